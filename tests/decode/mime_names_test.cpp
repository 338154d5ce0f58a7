// Whole small messages decoded into named parts: names from RFC 2231 and RFC 2047
// parameters as UTF-8, the disposition's filename before the type's name, boundaries in
// the forms real mailers write them, and "begin" lines without a name.
#include "decode/decode_test_messages.h"
#include "decode/recording_sink.h"
#include "decode/reentrant_messages.h"
#include "frame/utf8_text.h"
#include "message/encoded_words.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kodra::testing {
namespace {

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};
using ContextHandle = std::unique_ptr<KodraContext, ContextCloser>;

const std::string kA = "first attachment \x01\x02\x03 bytes\r\n";
const std::string kB = std::string(300, '\xAB') + "second";

std::string base64(const std::string& data) { return encodedLines(data, KODRA_BASE64); }

// A part with the given header lines (CR LF each) and data in Base64.
std::string part(const std::string& boundary, const std::string& header, const std::string& data) {
    return "--" + boundary + "\r\n" + header + "Content-Transfer-Encoding: base64\r\n\r\n" + base64(data);
}

struct Expected {
    std::string name;
    std::string data;
};

struct MessageCase {
    const char* name;
    std::string message;
    std::vector<Expected> parts;
};

std::vector<RecordedPart> decodeToSink(const std::string& message) {
    ContextHandle context(KodraOpenContext());
    RecordingSink recorder;
    const KodraSink sink = recorder.sink();
    KodraDecodeMemoryToSink(context.get(), message.data(), message.size(), &sink);
    EXPECT_EQ(recorder.errors, std::vector<std::string>{});
    return recorder.parts;
}

std::string describe(const std::vector<RecordedPart>& parts) {
    std::string text;
    for (const RecordedPart& part : parts)
        text += "[\"" + part.name + "\" " + std::to_string(part.data.size()) + " bytes]";
    return text;
}

class MimeNamesTest : public ::testing::TestWithParam<MessageCase> {};

TEST_P(MimeNamesTest, DecodesUnderTheRealName) {
    const MessageCase& c = GetParam();
    const std::vector<RecordedPart> got = decodeToSink(c.message);
    ASSERT_EQ(got.size(), c.parts.size()) << "got " << describe(got);
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].name, c.parts[i].name)
            << "part " << i << ": got \"" << got[i].name << "\", want \"" << c.parts[i].name << "\"";
        EXPECT_EQ(got[i].nameUtf8, c.parts[i].name) << "part " << i;
        EXPECT_TRUE(got[i].data == c.parts[i].data)
            << "part " << i << ": got " << got[i].data.size() << " bytes, want " << c.parts[i].data.size();
        EXPECT_EQ(got[i].status, KODRA_PART_DECODED) << "part " << i;
    }
}

std::string mixed(const std::string& parts) { return mimeMessage("b", parts); }

INSTANTIATE_TEST_SUITE_P(
    Messages, MimeNamesTest,
    ::testing::Values(
        MessageCase{"Rfc2231Utf8",
                    mixed(part("b",
                               "Content-Type: application/octet-stream\r\n"
                               "Content-Disposition: attachment;\r\n filename*=UTF-8''%E2%82%AC%20rates.bin\r\n",
                               kA)),
                    {{"\xE2\x82\xAC rates.bin", kA}}},
        MessageCase{"Rfc2231Latin1Sections",
                    mixed(part("b",
                               "Content-Type: application/octet-stream\r\n"
                               "Content-Disposition: attachment;\r\n filename*0*=iso-8859-1'fr'caf%E9;\r\n"
                               " filename*1=\" au lait.bin\"\r\n",
                               kA)),
                    {{"caf\xC3\xA9 au lait.bin", kA}}},
        MessageCase{"Rfc2231UsAsciiSectionsOutOfOrder",
                    mixed(part("b",
                               "Content-Type: application/octet-stream;\r\n name*1*=%2Ebin; name*0*=us-ascii''report\r\n",
                               kA)),
                    {{"report.bin", kA}}},
        MessageCase{"Rfc2047Latin1InQuotedName",
                    mixed(part("b", "Content-Type: application/octet-stream; name=\"=?ISO-8859-1?Q?na=EFve.bin?=\"\r\n",
                               kA)),
                    {{"na\xC3\xAFve.bin", kA}}},
        MessageCase{"Rfc2047Latin1Unquoted",
                    mixed(part("b", "Content-Type: application/octet-stream; name==?iso-8859-1?B?Y2Fm6S5iaW4=?=\r\n", kA)),
                    {{"caf\xC3\xA9.bin", kA}}},
        MessageCase{"RawLatin1NameBecomesUtf8",
                    mixed(part("b", "Content-Type: application/octet-stream; name=\"na\xEFve.bin\"\r\n", kA)),
                    {{"na\xC3\xAFve.bin", kA}}},
        MessageCase{"RawUtf8NameStays",
                    mixed(part("b", "Content-Type: application/octet-stream; name=\"\xC3\xA9t\xC3\xA9.bin\"\r\n", kA)),
                    {{"\xC3\xA9t\xC3\xA9.bin", kA}}},
        // RFC 2183, 2.3: the disposition's filename, whichever field comes first.
        MessageCase{"FilenameBeforeNameWhateverTheOrder",
                    mixed(part("b",
                               "Content-Disposition: attachment; filename=\"from-disposition.bin\"\r\n"
                               "Content-Type: application/octet-stream; name=\"from-type.bin\"\r\n",
                               kA)),
                    {{"from-disposition.bin", kA}}},
        MessageCase{"ExtendedFilenameBeforePlain",
                    mixed(part("b",
                               "Content-Type: application/octet-stream; name*=utf-8''typ%C3%A9.bin; name=\"t.bin\"\r\n"
                               "Content-Disposition: attachment; filename=\"plain.bin\";\r\n"
                               "\tfilename*=utf-8''%C3%A9xt.bin\r\n",
                               kA)),
                    {{"\xC3\xA9xt.bin", kA}}},
        MessageCase{"TypeNameWhenFilenameIsEmpty",
                    mixed(part("b",
                               "Content-Type: application/octet-stream; name=\"type.bin\"\r\n"
                               "Content-Disposition: attachment; filename=\"\"\r\n",
                               kA)),
                    {{"type.bin", kA}}},
        MessageCase{"FoldedQuotedNameAndComments",
                    mixed(part("b",
                               "Content-Type: application/octet-stream (binary)\r\n"
                               "Content-Disposition: attachment (saved);\r\n"
                               " filename = \"a folded\r\n long name.bin\" (original)\r\n",
                               kA)),
                    {{"a folded long name.bin", kA}}},
        MessageCase{"EscapedQuoteInName",
                    mixed(part("b", "Content-Disposition: attachment; filename=\"say \\\"hi\\\".bin\"\r\n", kA)),
                    {{"say \"hi\".bin", kA}}},
        MessageCase{"PathInNameKeepsItsLastComponent",
                    mixed(part("b", "Content-Disposition: attachment; filename*=utf-8''..%2F..%2Fetc%2Fx.bin\r\n", kA)),
                    {{"x.bin", kA}}},
        // Apple Mail: an unquoted boundary ended by ";" and type= on the next line.
        MessageCase{"AppleMailBoundary",
                    "Content-Type: multipart/mixed;\r\n\tboundary=Apple-Mail-5--1234;\r\n\ttype=\"text/plain\"\r\n"
                    "\r\n" + part("Apple-Mail-5--1234", "Content-Type: application/pdf; name=a.pdf\r\n", kA) +
                        part("Apple-Mail-5--1234", "Content-Type: image/png;\r\n\tname=b.png\r\n", kB) +
                        "--Apple-Mail-5--1234--\r\n",
                    {{"a.pdf", kA}, {"b.png", kB}}},
        MessageCase{"EqualsBeforeBoundaryOnItsLine",
                    "Content-Type: multipart/mixed; x-note=\"a=b\"; boundary=\"=_inner_=\"\r\n\r\n" +
                        part("=_inner_=", "Content-Type: application/octet-stream; name=\"a.bin\"\r\n", kA) +
                        part("=_inner_=", "Content-Type: application/octet-stream; name=\"b.bin\"\r\n", kB) +
                        "--=_inner_=--\r\n",
                    {{"a.bin", kA}, {"b.bin", kB}}},
        MessageCase{"UnquotedBoundaryThenBlank",
                    "Content-Type: multipart/mixed; boundary=simple type=x\r\n\r\n" +
                        part("simple", "Content-Type: application/octet-stream; name=a.bin\r\n", kA) +
                        part("simple", "Content-Type: application/octet-stream; name=b.bin\r\n", kB) + "--simple--\r\n",
                    {{"a.bin", kA}, {"b.bin", kB}}},
        MessageCase{"UnknownSubtypeStays",
                    mixed(part("b", "Content-Type: application/pdf (document)\r\n", kA)), {{"Unknown.pdf", kA}}},
        // A "begin" line without a name takes the part's MIME name.
        MessageCase{"BeginWithoutNameInNamedPart",
                    mixed("--b\r\nContent-Type: application/octet-stream; name=\"from-mime.bin\"\r\n"
                          "Content-Transfer-Encoding: x-uuencode\r\n\r\n"
                          "begin 644\r\n" + encodedLines(kB, KODRA_UUENCODE) + "`\r\nend\r\n"),
                    {{"from-mime.bin", kB}}},
        MessageCase{"BeginWithoutNameOutsideMime",
                    "Subject: x\r\n\r\nbegin 600\r\n" + encodedLines(kA, KODRA_UUENCODE) + "`\r\nend\r\n",
                    {{"Unknown.bin", kA}}},
        // Names outside MIME headers are UTF-8 too: a "begin" line's 8-bit name is read as Latin-1.
        MessageCase{"BeginLineLatin1NameBecomesUtf8", "Subject: x\r\n\r\n" + uuSection("caf\xE9.bin", kA),
                    {{"caf\xC3\xA9.bin", kA}}},
        MessageCase{"BeginLineUtf8NameStays", "Subject: x\r\n\r\n" + uuSection("\xD0\x9E\xD1\x82.bin", kA),
                    {{"\xD0\x9E\xD1\x82.bin", kA}}},
        MessageCase{"BeginWithoutNameInLaterUnnamedPart",
                    mixed(part("b", "Content-Type: application/octet-stream; name=\"first.bin\"\r\n", kA) +
                          "--b\r\nContent-Type: text/plain\r\n\r\nbegin 644\r\n" + encodedLines(kB, KODRA_UUENCODE) +
                          "`\r\nend\r\n"),
                    {{"first.bin", kA}, {"Unknown.bin", kB}}}),
    [](const ::testing::TestParamInfo<MessageCase>& row) { return std::string(row.param.name); });

#ifndef _WIN32  // the source file's name is the Mac OS Roman bytes, which only POSIX can hold
// A BinHex header stores a Macintosh name, in Mac OS Roman: it is given as UTF-8.
TEST(MimeNames, BinHexMacRomanNameBecomesUtf8) {
    const std::string message = encodeFileMessage("b5", "caf\x8E.bin", kB, KODRA_BINHEX);
    ASSERT_FALSE(message.empty());
    const std::vector<RecordedPart> got = decodeToSink(message);
    ASSERT_EQ(got.size(), 1u) << "got " << describe(got);
    EXPECT_EQ(got[0].name, "caf\xC3\xA9.bin") << "got \"" << got[0].name << "\", want \"caf\xC3\xA9.bin\"";
    EXPECT_TRUE(got[0].data == kB);
}
#endif

// A "begin" line of mode digits alone followed by text is no section.
TEST(MimeNames, BeginWithoutNameNeedsDataAfterIt) {
    const std::vector<RecordedPart> got =
        decodeToSink("Subject: x\r\n\r\nbegin 644\r\nthis is only text, not data\r\n\r\n" + uuSection("u.bin", kA));
    ASSERT_EQ(got.size(), 1u) << "got " << describe(got);
    EXPECT_EQ(got[0].name, "u.bin");
    EXPECT_TRUE(got[0].data == kA);
}

// A name longer than the file system allows keeps its last 255 bytes, on a character
// boundary, so that it stays UTF-8 and keeps its extension.
TEST(MimeNames, LongUtf8NameIsCutOnACharacter) {
    std::string name;
    for (int i = 0; i < 200; ++i) name += "\xC3\xA9";
    name += ".bin";  // 404 bytes
    for (const std::string& header :
         {"Content-Type: application/octet-stream; name=\"" + name + "\"\r\n",
          "Content-Type: application/octet-stream; name=\"x" + name + "\"\r\n"}) {
        const std::vector<RecordedPart> got = decodeToSink(mixed(part("b", header, kA)));
        ASSERT_EQ(got.size(), 1u) << "got " << describe(got);
        const std::string& kept = got[0].name;
        EXPECT_LE(kept.size(), 255u) << "got " << kept.size() << " bytes";
        EXPECT_GE(kept.size(), 252u) << "got " << kept.size() << " bytes";
        EXPECT_TRUE(isUtf8(kept)) << "got \"" << kept << "\"";
        EXPECT_EQ(kept.substr(kept.size() - 4), ".bin");
    }
}

// An unquoted encoded word as the whole name: the attachment is decoded, under its
// decoded name once the encoded-word decoder knows the charset.
TEST(MimeNames, UnquotedUtf8EncodedWordKeepsTheAttachment) {
    const std::vector<RecordedPart> got =
        decodeToSink(mixed(part("b", "Content-Type: application/pdf; name==?utf-8?B?w6l0w6kucGRm?=\r\n", kA)));
    ASSERT_EQ(got.size(), 1u) << "got " << describe(got);
    EXPECT_TRUE(got[0].data == kA);
    EXPECT_FALSE(got[0].name.empty());
    EXPECT_TRUE(isUtf8(got[0].name));
    if (decodeEncodedWordsToUtf8("=?utf-8?q?x?=") != "x") GTEST_SKIP() << "the UTF-8 encoded-word decoder is not in this build";
    EXPECT_EQ(got[0].name, "\xC3\xA9t\xC3\xA9.pdf");
}

TEST(MimeNames, Rfc2047Utf8Names) {
    if (decodeEncodedWordsToUtf8("=?utf-8?q?x?=") != "x") GTEST_SKIP() << "the UTF-8 encoded-word decoder is not in this build";
    const std::vector<RecordedPart> got = decodeToSink(
        mixed(part("b", "Content-Disposition: attachment;\r\n filename=\"=?UTF-8?B?4oKsIHJhdGVz?=\r\n =?UTF-8?Q?.bin?=\"\r\n",
                   kA)));
    ASSERT_EQ(got.size(), 1u) << "got " << describe(got);
    EXPECT_EQ(got[0].name, "\xE2\x82\xAC rates.bin");
}

#ifndef _WIN32
// On POSIX the file written carries the UTF-8 name.
TEST(MimeNames, FolderDecodeWritesTheUtf8Name) {
    TempFolder folder;
    ContextHandle context(KodraOpenContext());
    const std::string message =
        mixed(part("b", "Content-Disposition: attachment; filename*=iso-8859-1''caf%E9.bin\r\n", kA) +
              part("b", "Content-Type: application/octet-stream; name=\"=?iso-8859-1?q?na=EFve.bin?=\"\r\n", kB));
    EXPECT_EQ(KodraDecodeMemoryTo(context.get(), message.data(), message.size(), folder.path().string().c_str()),
              KODRA_BASE64);
    const std::set<std::string> want{"caf\xC3\xA9.bin", "na\xC3\xAFve.bin"};
    EXPECT_EQ(folder.names(), want);
    EXPECT_TRUE(readFile(folder.file("caf\xC3\xA9.bin")) == kA);
    EXPECT_TRUE(readFile(folder.file("na\xC3\xAFve.bin")) == kB);
}
#endif

}  // namespace
}  // namespace kodra::testing
