// Messages and archives the archive tests share: mixed encodings, names in encoded words,
// a message without parts, and the SHA-256 of each part's bytes.
#pragma once

#include "platform/platform.h"

#include <string>

namespace kodra::testing {

// Base64 "report.pdf" ("hello pdf\n") and a quoted-printable text part whose name is an
// encoded word ("été.txt", "café\n").
inline const std::string kMixedMessage =
    "From: =?UTF-8?Q?Ren=C3=A9e?= <renee@example.org>\n"
    "Subject: =?UTF-8?B?UmFwcG9ydA==?= du jour\n"
    "Date: Fri, 01 Mar 2024 11:00:00 +0100\n"
    "Message-ID: <mixed.1@example.org>\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"XX\"\n"
    "\n"
    "--XX\n"
    "Content-Type: application/pdf; name=\"report.pdf\"\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "aGVsbG8gcGRmCg==\n"
    "--XX\n"
    "Content-Type: text/plain; charset=utf-8\n"
    "Content-Disposition: attachment; filename=\"=?UTF-8?B?w6l0w6kudHh0?=\"\n"
    "Content-Transfer-Encoding: quoted-printable\n"
    "\n"
    "caf=C3=A9\n"
    "--XX--\n";
inline const char* const kPdfSha = "4a2338547a6c1b9e5bb7bdf555dab60469c4dd032c7c56ed09a29ddc7ffa43cb";
// The quoted-printable text part "café" and its line end, which text parts write the system's
// way: LF, or CR LF on Windows.
inline const char* const kCafeText = platform::kTextInCrLf ? "caf\xC3\xA9\r\n" : "caf\xC3\xA9\n";
inline const char* const kCafeSize = platform::kTextInCrLf ? "7" : "6";
inline const char* const kCafeSha = platform::kTextInCrLf
                                        ? "7f2adbdb77890209f13a322e75d8aa13b9169722e702a2e367250125d33e8832"
                                        : "7b49b9e063bd91a4f9252b413261f5557b9c570aa61516989499f64a62dbcdd6";

// A UUencoded "data.bin" ("abc") in a plain body.
inline const std::string kUuMessage =
    "From: bob@example.org\n"
    "Subject: data\n"
    "Date: Sat, 02 Mar 2024 08:30:00 -0500\n"
    "Message-ID: <uu.2@example.org>\n"
    "\n"
    "begin 644 data.bin\n"
    "#86)C\n"
    "`\n"
    "end\n";
inline const char* const kAbcSha = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";

// No parts; a Latin-1 encoded-word subject and a date that forms none.
inline const std::string kPlainMessage =
    "From: carol@example.org\n"
    "Subject: =?ISO-8859-1?Q?Caf=E9?=\n"
    "Date: sometime soon\n"
    "\n"
    "Just text.\n";

// The same "report.pdf" again, in another message: stored once by hash.
inline const std::string kDuplicateMessage =
    "From: dave@example.org\n"
    "Subject: again\n"
    "Message-ID: <dup.4@example.org>\n"
    "MIME-Version: 1.0\n"
    "Content-Type: multipart/mixed; boundary=\"YY\"\n"
    "\n"
    "--YY\n"
    "Content-Type: application/pdf\n"
    "Content-Disposition: attachment; filename=copy.pdf\n"
    "Content-Transfer-Encoding: base64\n"
    "\n"
    "aGVsbG8gcGRmCg==\n"
    "--YY--\n";

// A UU part whose data stops before its "end" line: the input was cut.
inline const std::string kTruncatedMessage =
    "From: eve@example.org\n"
    "Subject: cut\n"
    "\n"
    "begin 644 cut.bin\n"
    "M86)C9&5F9VAI:FML;6YO<'%R<W1U=G=X>7I!0D-$149'2$E*2TQ-3D]045)3\n";

// An mbox of the messages above (mboxrd quoting in the plain one), the truncated one last.
inline std::string sampleMbox() {
    return "From alice@example.org Fri Mar  1 10:00:00 2024\n" + kMixedMessage + "\n" +
           "From bob@example.org Sat Mar  2 13:30:00 2024\n" + kUuMessage + "\n" +
           "From carol@example.org Sun Mar  3 09:00:00 2024\n" + kPlainMessage + ">From the start\n\n" +
           "From dave@example.org Mon Mar  4 09:00:00 2024\n" + kDuplicateMessage + "\n" +
           "From eve@example.org Tue Mar  5 09:00:00 2024\n" + kTruncatedMessage;
}

}  // namespace kodra::testing
