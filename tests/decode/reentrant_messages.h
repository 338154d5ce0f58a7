// Messages for the reentrant decoding tests, built at test time with the library's encoders:
// MIME Base64, quoted-printable and text parts, UU and XX sections, a private "table"
// section, nested multiparts and long Base64 lines, each with the parts a sink must get.
#pragma once

#include "decode_test_messages.h"
#include "kodra32.h"
#include "support/temp_folder.h"

#include <ostream>
#include <string>
#include <vector>

namespace kodra::testing {

struct WantPart {
    int encoding;
    std::string name;  // empty: not checked (names the engine makes up for text parts)
    std::string data;
    bool checkData = true;  // false: the bytes are only compared between the decoding paths
};

struct MessageCase {
    std::string name;
    std::string message;  // CR LF line ends
    std::vector<WantPart> want;
};

// GoogleTest shows a row by its name.
inline void PrintTo(const MessageCase& row, std::ostream* out) { *out << row.name; }

// The same text with LF line ends.
inline std::string withLf(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

// Base64 of data on one line of exactly `length` characters: when the data's Base64 form
// is shorter, blanks fill the line (transport padding, which decoders ignore: RFC 2045, 6.8).
inline std::string base64OneLine(const std::string& data, std::size_t length) {
    std::string lines = encodedLines(data, KODRA_BASE64), joined;
    for (char c : lines)
        if (c != '\r' && c != '\n') joined += c;
    if (joined.size() < length) joined.append(length - joined.size(), ' ');
    return joined;
}

// Bytes whose Base64 form fills as much of a line of `length` characters as whole groups can.
inline std::string payloadForBase64Length(std::size_t length, unsigned seed) {
    return binaryPayload(length / 4 * 3, seed);
}

inline std::string base64Attachment(const std::string& boundary, const std::string& name, const std::string& body) {
    return "--" + boundary + "\r\nContent-Type: application/octet-stream; name=\"" + name +
           "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"" + name +
           "\"\r\n\r\n" + body + "\r\n";
}

// The private alphabet of the "table" rows: the XX alphabet reversed.
inline const std::string& privateAlphabet() {
    static const std::string alphabet = [] {
        std::string xx = "+-0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        return std::string(xx.rbegin(), xx.rend());
    }();
    return alphabet;
}

// A UU section written in the private alphabet, after its "table" header.
inline std::string privateTableSection(const std::string& name, const std::string& data) {
    const std::string& alphabet = privateAlphabet();
    std::string uu = encodedLines(data, KODRA_UUENCODE) + "`\r\n", mapped;
    for (char c : uu) {
        if (c == '\r' || c == '\n') mapped += c;
        else mapped += alphabet[static_cast<unsigned char>(c - 32) & 63];
    }
    return "table\r\n" + alphabet.substr(0, 32) + "\r\n" + alphabet.substr(32) + "\r\nbegin 644 " + name + "\r\n" +
           mapped + "end\r\n";
}

inline std::vector<MessageCase> reentrantMessages() {
    const std::string a = binaryPayload(1000, 1), b = binaryPayload(777, 2), c = binaryPayload(4096, 3);
    const std::string text = "Hello from the body.\r\nSecond line.\r\n";
    std::vector<MessageCase> cases;
    cases.push_back({"TwoBase64Attachments", mimeMessage("b1", base64Part("b1", "a.bin", a) + base64Part("b1", "b.bin", b)),
                     {{KODRA_ENCODING_BASE64, "a.bin", a}, {KODRA_ENCODING_BASE64, "b.bin", b}}});
    cases.push_back({"UuThenXx", "Hello\r\n\r\n" + uuSection("u.bin", a) + "\r\n" + uuSection("x.bin", b, KODRA_XXENCODE),
                     {{KODRA_ENCODING_UU, "u.bin", a}, {KODRA_ENCODING_XX, "x.bin", b}}});
    cases.push_back({"PrivateTable", "Some text\r\n\r\n" + privateTableSection("t.bin", c),
                     {{KODRA_ENCODING_UU_TABLE, "t.bin", c}}});
    // A text body without a name is no part of its own.
    cases.push_back(
        {"TextQuotedPrintableAndBase64",
         mimeMessage("b2", "--b2\r\nContent-Type: text/plain; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" +
                               text +
                               "--b2\r\nContent-Type: text/plain; name=\"q.txt\"\r\n"
                               "Content-Transfer-Encoding: quoted-printable\r\n"
                               "Content-Disposition: attachment; filename=\"q.txt\"\r\n\r\n"
                               "caf=C3=A9 =3D soft=\r\n break\r\n" +
                               base64Part("b2", "c.bin", c)),
         {{KODRA_ENCODING_QUOTED_PRINTABLE, "q.txt", "caf\xC3\xA9 = soft break\r\n"}, {KODRA_ENCODING_BASE64, "c.bin", c}}});
    cases.push_back(
        {"NestedMultipart",
         mimeMessage("outer", "--outer\r\nContent-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n"
                              "--inner\r\nContent-Type: text/plain\r\n\r\nplain body\r\n"
                              "--inner\r\nContent-Type: text/plain; name=\"note.txt\"\r\nContent-Transfer-Encoding: 7bit\r\n\r\n"
                              "a named note\r\n"
                              "--inner\r\nContent-Type: text/html\r\n\r\n<p>html body</p>\r\n--inner--\r\n" +
                                  base64Part("outer", "n.bin", a) + base64Part("outer", "m.bin", b)),
         {{KODRA_ENCODING_TEXT, "note.txt", "a named note\r\n"}, {KODRA_ENCODING_BASE64, "n.bin", a},
          {KODRA_ENCODING_BASE64, "m.bin", b}}});
    // A name in raw Latin-1 is given as UTF-8, as every name is.
    cases.push_back({"Utf8AndLatin1Names",
                     mimeMessage("b3", base64Part("b3", "caf\xC3\xA9.bin", a) + base64Part("b3", "na\xEFve.bin", b)),
                     {{KODRA_ENCODING_BASE64, "caf\xC3\xA9.bin", a}, {KODRA_ENCODING_BASE64, "na\xC3\xAFve.bin", b}}});
    for (const std::size_t length : {1023u, 1024u, 4000u, 100000u}) {
        const std::string data = payloadForBase64Length(length, static_cast<unsigned>(length));
        const std::string name = "long" + std::to_string(length) + ".bin";
        cases.push_back({"Base64LineOf" + std::to_string(length),
                         mimeMessage("b4", base64Attachment("b4", name, base64OneLine(data, length))),
                         {{KODRA_ENCODING_BASE64, name, data}}});
    }
    return cases;
}

// A message of one attachment written by EncodeFile as `type`, header and closing
// delimiter included.
inline std::string encodeFileMessage(const std::string& boundary, const std::string& name, const std::string& data,
                                     int type) {
    TempFolder folder;
    writeFile(folder.file(name), data);
    const std::string out = folder.file("message.eml");
    writeFile(out, "From: a@example.org\r\nSubject: test\r\nMIME-Version: 1.0\r\n"
                   "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n--" + boundary);
    if (EncodeFile(folder.file(name).c_str(), out.c_str(), boundary.c_str(), type, 1) != 1) return std::string();
    if (FinishAttachments(out.c_str()) != 0) return std::string();
    return readFile(out);
}

// BinHex rows, made by the library's own encoder.
inline std::vector<MessageCase> binHexMessages() {
    const std::string a = binaryPayload(1000, 4);
    return {{"BinHexAttachment", encodeFileMessage("b5", "h.bin", a, KODRA_BINHEX), {{KODRA_ENCODING_BINHEX, "h.bin", a}}}};
}

}  // namespace kodra::testing
