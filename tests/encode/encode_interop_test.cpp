// Our parts as other programs read them: sharutils uudecode, coreutils base64, hexbin
// (macutils), Python's email package and munpack (mpack). A missing program fails.
#include "encode_test_support.h"
#include "kodra32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::test {
namespace {

namespace fs = std::filesystem;

// Runs a shell command inside folder; returns its exit status.
int runIn(const TempFolder& folder, const std::string& command) {
    const std::string line = "cd '" + folder.path().string() + "' && " + command;
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void requirePrograms(const std::vector<std::string>& programs) {
    for (const std::string& program : programs)
        ASSERT_TRUE(haveProgram(program)) << program << " is missing: install the Debian packages "
                                          << "sharutils, mpack, macutils, coreutils and python3";
}

// The body of the only part in a file written by EncodeFile: what lies between the
// empty line after the part's header and the trailer.
std::string partBody(const std::string& part) {
    const std::size_t start = part.find("\r\n\r\n");
    const std::size_t end = part.rfind("\r\n--");
    if (start == std::string::npos || end == std::string::npos || end < start + 4) return "";
    return part.substr(start + 4, end - start - 4);
}

struct SizeCase {
    const char* name;
    std::size_t length;
};

const std::vector<SizeCase> kSizes = {
    {"empty", 0},       {"one byte", 1},          {"two bytes", 2},        {"one group", 3},
    {"short line", 44}, {"full UU line", 45},     {"full Base64 line", 57}, {"one past", 58},
    {"one chunk", 4500}, {"several chunks", 300001},
};

class EncodeInteropTest : public ::testing::Test {
protected:
    void SetUp() override { SetEncodingApplication("Interop"); }
    void TearDown() override { SetEncodingApplication(nullptr); }
    TempFolder folder;
};

TEST_F(EncodeInteropTest, UudecodeReadsOurUuLinesInBothLayouts) {
    requirePrograms({"uudecode"});
    for (int flags : {0, 1}) {
        for (const SizeCase& c : kSizes) {
            SCOPED_TRACE(std::string(c.name) + (flags ? ", standard" : ", classic"));
            const std::string content = patternBytes(c.length);
            writeFile(folder.file("source.bin"), content);
            ASSERT_EQ(EncodeFileEx(folder.file("source.bin").c_str(), folder.file("part.mim").c_str(), "b",
                                   1, 0, flags),
                      1);
            const std::string body = partBody(readFile(folder.file("part.mim")));
            ASSERT_EQ(body.rfind("begin 644 source.bin\r\n", 0), 0u) << body.substr(0, 40);
            writeFile(folder.file("lines.uue"), body);
            fs::remove(folder.file("decoded.bin"));
            ASSERT_EQ(runIn(folder, "uudecode -o decoded.bin lines.uue"), 0);
            EXPECT_EQ(readFile(folder.file("decoded.bin")), content);
        }
    }
}

TEST_F(EncodeInteropTest, Base64DecodesOurBase64Body) {
    requirePrograms({"base64", "tr"});
    for (const SizeCase& c : kSizes) {
        SCOPED_TRACE(c.name);
        const std::string content = patternBytes(c.length);
        writeFile(folder.file("source.bin"), content);
        ASSERT_EQ(EncodeFile(folder.file("source.bin").c_str(), folder.file("part.mim").c_str(), "b", 2, 0), 1);
        writeFile(folder.file("body.b64"), partBody(readFile(folder.file("part.mim"))));
        // coreutils wants Unix line ends; the CRs of our lines are the message's.
        ASSERT_EQ(runIn(folder, "tr -d '\\r' < body.b64 | base64 -d > decoded.bin"), 0);
        EXPECT_EQ(readFile(folder.file("decoded.bin")), content);
    }
}

TEST_F(EncodeInteropTest, HexbinReadsOurBinHexPartInBothLayouts) {
    requirePrograms({"hexbin"});
    for (int flags : {0, 1}) {
        for (const SizeCase& c : kSizes) {
            SCOPED_TRACE(std::string(c.name) + (flags ? ", standard" : ", classic"));
            TempFolder local;
            const std::string content = patternBytes(c.length);
            writeFile(local.file("photo.jpg"), content);
            ASSERT_EQ(EncodeFileEx(local.file("photo.jpg").c_str(), local.file("part.hqx").c_str(), "b", 3,
                                   0, flags),
                      1);
            fs::create_directory(local.file("out"));
            // hexbin skips the part's header lines up to the "(This file" banner.
            ASSERT_EQ(runIn(local, "cd out && hexbin -3 ../part.hqx"), 0);
            EXPECT_EQ(readFile(local.file("out/photo.jpg.data")), content);
        }
    }
}

// The head of a message whose body is our parts; the first delimiter has no line end,
// because every part begins by ending the line before it.
const std::string kMessageHead =
    "From: sender@example.org\r\nTo: reader@example.org\r\nSubject: attachments\r\n"
    "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"kodra-parts\"\r\n\r\n"
    "This is a multi-part message in MIME format.\r\n--kodra-parts";

struct AttachmentCase {
    const char* fileName;
    int type;
    std::string content;
};

// One attachment of every type, written in the standard layout after kMessageHead.
std::vector<AttachmentCase> writeMessage(const TempFolder& folder) {
    std::string text;
    for (int i = 0; i < 400; ++i) text += "line " + std::to_string(i) + " = caf\xC3\xA9\tend \r\n";
    const std::vector<AttachmentCase> attachments = {
        {"photo.uu.bin", 1, patternBytes(100000)},
        {"photo.b64.bin", 2, patternBytes(123457)},
        {"notes.hqx.txt", 3, "BinHex\r\ncontent\x90\x90\x90\x90 end"},
        {"photo.xx.bin", 4, patternBytes(4501)},
        {"letter.txt", 5, text + "no line end at the end "},
        {"empty.bin", 2, ""},
    };
    writeFile(folder.file("message.eml"), kMessageHead);
    fs::create_directory(folder.file("sources"));
    for (const AttachmentCase& a : attachments) {
        const std::string source = folder.file("sources/" + std::string(a.fileName));
        writeFile(source, a.content);
        EXPECT_EQ(EncodeFileEx(source.c_str(), folder.file("message.eml").c_str(), "kodra-parts", a.type, 1, 1), 1)
            << a.fileName;
    }
    EXPECT_EQ(FinishAttachments(folder.file("message.eml").c_str()), 0);
    return attachments;
}

// Writes each leaf part's decoded payload to out/<filename> and prints
// "filename|content type|transfer encoding|defects" per part.
const char kPythonReader[] = R"(import email, email.policy, os, sys
with open(sys.argv[1], 'rb') as f:
    message = email.message_from_binary_file(f, policy=email.policy.default)
if message.defects:
    print('message defects:', message.defects)
for part in message.walk():
    if part.is_multipart():
        continue
    name = part.get_filename()
    with open(os.path.join(sys.argv[2], name), 'wb') as out:
        out.write(part.get_payload(decode=True))
    print('%s|%s|%s|%d' % (name, part.get_content_type(), part['Content-Transfer-Encoding'], len(part.defects)))
)";

TEST_F(EncodeInteropTest, PythonEmailReadsTheStandardLayoutBitExact) {
    requirePrograms({"python3"});
    const std::vector<AttachmentCase> attachments = writeMessage(folder);
    writeFile(folder.file("reader.py"), kPythonReader);
    fs::create_directory(folder.file("out"));
    ASSERT_EQ(runIn(folder, "python3 reader.py message.eml out > listing.txt"), 0);
    const std::string listing = readFile(folder.file("listing.txt"));
    const char* const wantType[] = {"", "application/octet-stream", "application/octet-stream",
                                    "application/mac-binhex40", "application/octet-stream",
                                    "application/octet-stream"};
    const char* const wantEncoding[] = {"", "x-uuencode", "base64", "7bit", "x-xxencode", "quoted-printable"};
    std::string wantListing;
    for (const AttachmentCase& a : attachments)
        wantListing += std::string(a.fileName) + "|" + wantType[a.type] + "|" + wantEncoding[a.type] + "|0\n";
    EXPECT_EQ(listing, wantListing);
    for (const AttachmentCase& a : attachments) {
        // Python decodes Base64, quoted-printable and UUencode; BinHex and XX stay text.
        if (a.type == 3 || a.type == 4) continue;
        EXPECT_EQ(readFile(folder.file("out/" + std::string(a.fileName))), a.content) << a.fileName;
    }
}

TEST_F(EncodeInteropTest, MunpackSavesEveryStandardPartUnderItsName) {
    requirePrograms({"munpack"});
    const std::vector<AttachmentCase> attachments = writeMessage(folder);
    fs::create_directory(folder.file("out"));
    ASSERT_EQ(runIn(folder, "munpack -q -C out ../message.eml > /dev/null 2>&1"), 0);
    for (const AttachmentCase& a : attachments) {
        SCOPED_TRACE(a.fileName);
        const std::string saved = folder.file("out/" + std::string(a.fileName));
        if (a.content.empty()) continue;  // munpack saves no file for an empty part
        ASSERT_TRUE(exists(saved));
        if (a.type == 2) {
            EXPECT_EQ(readFile(saved), a.content);
        }
    }
}

}  // namespace
}  // namespace kodra::test
