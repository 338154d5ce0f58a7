#include "encode/application_name.h"
#include "encode/progress_meter.h"
#include "encode_test_support.h"
#include "kodra32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::test {
namespace {

const std::string kBoundary = "=_kodra_boundary";

// Everything a part holds before its body, in either layout.
std::string partHeader(bool standard, const std::string& application, const std::string& mediaType,
                       const std::string& encoding, const std::string& name) {
    return std::string(standard ? "\r\nX-Encoded-By: Kodra DLL for " : "\r\nEncoded by Kodra DLL for ") +
           application + "\r\nContent-Description: \"" + application +
           "\"\r\nContent-Type: " + mediaType + "; name=\"" + name +
           "\"\r\nContent-Transfer-Encoding: " + encoding +
           "\r\nContent-Disposition: attachment; filename=\"" + name + "\"\r\n\r\n";
}

class FileEncoderTest : public ::testing::Test {
protected:
    void SetUp() override { SetEncodingApplication("Mailer"); }
    void TearDown() override {
        SetEncodingApplication(nullptr);
        SetUserInterface(nullptr);
    }
    TempFolder folder;
};

struct LayoutCase {
    const char* name;
    int type;
    int flags;
    std::string source;
    const char* mediaType;
    const char* encoding;
    std::string body;
};

TEST_F(FileEncoderTest, WritesTheExactPartOfEveryTypeAndLayout) {
    const std::string classicType = "application\\octet-stream";
    const std::string standardType = "application/octet-stream";
    const std::vector<LayoutCase> cases = {
        {"uuencode classic", 1, 0, "Hello", classicType.c_str(), "UUENCODED",
         "begin 644 report.pdf\r\n%2&5L;&\\=\r\n`\r\nend\r\n"},
        {"uuencode standard pads with the zero character", 1, 1, "Hello", standardType.c_str(),
         "x-uuencode", "begin 644 report.pdf\r\n%2&5L;&\\`\r\n`\r\nend\r\n"},
        {"base64 classic", 2, 0, "Hello", classicType.c_str(), "Base64", "SGVsbG8=\r\n"},
        {"base64 standard keeps its padding", 2, 1, "Hello", standardType.c_str(), "base64",
         "SGVsbG8=\r\n"},
        {"xxencode classic", 4, 0, "Hello", classicType.c_str(), "XXENCODED",
         "begin 644 report.pdf\r\n3G4JgP4w=\r\n+\r\nend\r\n"},
        {"xxencode standard pads with the zero character", 4, 1, "Hello", standardType.c_str(),
         "x-xxencode", "begin 644 report.pdf\r\n3G4JgP4w+\r\n+\r\nend\r\n"},
        {"quoted-printable classic", 5, 0, std::string("a=b\r\n\xE9", 6), classicType.c_str(),
         "quoted-printable", "a=3Db=0D=0A=E9\r\n"},
        {"quoted-printable standard ends in a soft break", 5, 1, std::string("a=b\r\n\xE9", 6),
         standardType.c_str(), "quoted-printable", "a=3Db=0D=0A=E9=\r\n"},
        {"uuencode of an empty file", 1, 0, "", classicType.c_str(), "UUENCODED",
         "begin 644 report.pdf\r\n`\r\nend\r\n"},
        {"base64 of an empty file", 2, 0, "", classicType.c_str(), "Base64", ""},
    };
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = folder.file("report.pdf");
        const std::string output = folder.file("out.mim");
        writeFile(source, c.source);
        ASSERT_EQ(EncodeFileEx(source.c_str(), output.c_str(), kBoundary.c_str(), c.type, 0, c.flags), 1);
        const std::string want = partHeader(c.flags == 1, "Mailer", c.mediaType, c.encoding, "report.pdf") +
                                 c.body + "\r\n--" + kBoundary;
        EXPECT_EQ(readFile(output), want) << "got the part above, want the one below";
    }
}

TEST_F(FileEncoderTest, BinHexPartsCarryTheBinHexStreamBetweenHeaderAndTrailer) {
    struct BinHexCase {
        const char* name;
        int flags;
        const char* mediaType;
        const char* encoding;
    };
    const std::vector<BinHexCase> cases = {
        {"classic", 0, "application\\octet-stream", "BinHex"},
        {"standard", 1, "application/mac-binhex40", "7bit"},
    };
    const std::string source = folder.file("photo.jpg");
    writeFile(source, patternBytes(1000));
    for (const BinHexCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = folder.file("out.hqx");
        ASSERT_EQ(EncodeFileEx(source.c_str(), output.c_str(), "b", 3, 0, c.flags), 1);
        const std::string got = readFile(output);
        const std::string head = partHeader(c.flags == 1, "Mailer", c.mediaType, c.encoding, "photo.jpg") +
                                 "(This file must be converted with BinHex 4.0)\r\n:";
        EXPECT_EQ(got.substr(0, head.size()), head);
        const std::string tail = ":\r\n\r\n--b";
        ASSERT_GE(got.size(), tail.size());
        EXPECT_EQ(got.substr(got.size() - tail.size()), tail);
    }
}

TEST_F(FileEncoderTest, EncodeFileIsTheClassicLayout) {
    const std::string source = folder.file("a.bin");
    writeFile(source, "Hello");
    const std::string viaPlain = folder.file("plain.mim");
    const std::string viaEx = folder.file("ex.mim");
    ASSERT_EQ(EncodeFile(source.c_str(), viaPlain.c_str(), "b", 1, 0), 1);
    ASSERT_EQ(EncodeFileEx(source.c_str(), viaEx.c_str(), "b", 1, 0, 0), 1);
    EXPECT_EQ(readFile(viaPlain), readFile(viaEx));
}

TEST_F(FileEncoderTest, TwoPartsAndFinishGiveOneDelimiterBetweenAndTheCloseAtTheEnd) {
    const std::string first = folder.file("one.txt");
    const std::string second = folder.file("two.txt");
    const std::string output = folder.file("body.mim");
    writeFile(first, "Hello");
    writeFile(second, "Hi");
    writeFile(output, "--" + kBoundary);  // what the caller writes before the first part
    ASSERT_EQ(EncodeFile(first.c_str(), output.c_str(), kBoundary.c_str(), 2, 1), 1);
    ASSERT_EQ(EncodeFile(second.c_str(), output.c_str(), kBoundary.c_str(), 2, 1), 1);
    ASSERT_EQ(FinishAttachments(output.c_str()), 0);
    const std::string classicType = "application\\octet-stream";
    const std::string want = "--" + kBoundary +
                             partHeader(false, "Mailer", classicType, "Base64", "one.txt") +
                             "SGVsbG8=\r\n\r\n--" + kBoundary +
                             partHeader(false, "Mailer", classicType, "Base64", "two.txt") +
                             "SGk=\r\n\r\n--" + kBoundary + "--\r\n";
    EXPECT_EQ(readFile(output), want);
}

TEST_F(FileEncoderTest, AppendZeroDiscardsThePreviousContent) {
    const std::string source = folder.file("a.txt");
    const std::string output = folder.file("out.mim");
    writeFile(source, "Hello");
    writeFile(output, std::string(5000, 'x'));
    ASSERT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", 2, 0), 1);
    EXPECT_EQ(readFile(output), partHeader(false, "Mailer", "application\\octet-stream", "Base64",
                                           "a.txt") + "SGVsbG8=\r\n\r\n--b");
}

struct RefusalCase {
    const char* name;
    int type;
    int flags;
};

TEST_F(FileEncoderTest, BadTypesAndFlagsCreateNoFile) {
    const std::vector<RefusalCase> cases = {
        {"type 0", 0, 0}, {"type 7", 7, 0}, {"type -1", -1, 0}, {"type 7 standard", 7, 1},
        {"flags 2", 2, 2}, {"flags -1", 2, -1}, {"yEnc flags 2", 6, 2},
    };
    const std::string source = folder.file("a.txt");
    writeFile(source, "Hello");
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = folder.file("never.mim");
        EXPECT_EQ(EncodeFileEx(source.c_str(), output.c_str(), "b", c.type, 0, c.flags), 0);
        EXPECT_FALSE(exists(output));
    }
}

TEST_F(FileEncoderTest, MissingOrUnreadableSourcesCreateNoFile) {
    std::filesystem::create_directory(folder.file("folder"));
    const std::string output = folder.file("never.mim");
    for (const std::string& source : {folder.file("missing.txt"), folder.file("folder")}) {
        SCOPED_TRACE(source);
        EXPECT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", 2, 0), 0);
        EXPECT_FALSE(exists(output));
    }
    EXPECT_EQ(EncodeFile(nullptr, output.c_str(), "b", 2, 0), 0);
    EXPECT_EQ(EncodeFile(folder.file("missing.txt").c_str(), nullptr, "b", 2, 0), 0);
    EXPECT_EQ(EncodeFile(folder.file("missing.txt").c_str(), output.c_str(), nullptr, 2, 0), 0);
}

// The source under any other name: its own path, a hard link, a path through a linked
// folder, a symbolic link. The part must never land in it, appended or not.
TEST_F(FileEncoderTest, RefusesToWriteIntoItsOwnSourceUnderAnyName) {
    const std::string source = folder.file("self.txt");
    writeFile(source, "precious");
    std::filesystem::create_directory(folder.file("sub"));
    std::filesystem::create_hard_link(source, folder.file("hard.txt"));
    std::vector<std::string> outputs = {source, folder.file("hard.txt"), folder.file("sub/../self.txt")};
#ifndef _WIN32  // symbolic links need a privilege on Windows
    std::filesystem::create_symlink(source, folder.file("link.txt"));
    std::filesystem::create_directory_symlink(folder.path(), folder.file("linked"));
    outputs.push_back(folder.file("link.txt"));
    outputs.push_back(folder.file("linked/self.txt"));
    outputs.push_back(folder.file("linked/hard.txt"));
#endif
    for (int append : {0, 1}) {
        for (const std::string& output : outputs) {
            EXPECT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", 1, append), 0)
                << output << (append ? " (append)" : "") << ": got success, want 0";
            EXPECT_EQ(readFile(source), "precious") << output << (append ? " (append)" : "");
        }
    }
}

TEST_F(FileEncoderTest, ReportsAFullDisk) {
    KODRA_POSIX_ONLY("needs /dev/full");
    ASSERT_TRUE(exists("/dev/full")) << "this test needs /dev/full";
    const std::string source = folder.file("a.txt");
    writeFile(source, patternBytes(100000));
    for (int type : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE(type);
        EXPECT_EQ(EncodeFile(source.c_str(), "/dev/full", "b", type, 0), 0);
    }
    EXPECT_EQ(FinishAttachments("/dev/full"), -1);
}

TEST_F(FileEncoderTest, FinishAttachmentsCreatesNothingForAMissingOutput) {
    const std::string output = folder.file("missing.mim");
    EXPECT_EQ(FinishAttachments(output.c_str()), -1);
    EXPECT_FALSE(exists(output));
    EXPECT_EQ(FinishAttachments(nullptr), -1);
}

struct NameCase {
    const char* name;
    std::string sourceName;
    std::string wantName;
};

TEST_F(FileEncoderTest, NamesCannotBreakHeaderLines) {
    const std::vector<NameCase> cases = {
#ifndef _WIN32  // names Windows does not allow
        {"windows-style path", "C:\\data\\report.pdf", "report.pdf"},
        {"quote", "say \"hi\".txt", "say _hi_.txt"},
        {"line ends", "evil\r\nContent-Type: text\nx.txt", "evil__Content-Type: text_x.txt"},
#endif
        {"plain name", "report.pdf", "report.pdf"},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = folder.file(c.sourceName);
        const std::string output = folder.file("out.mim");
        writeFile(source, "Hello");
        ASSERT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", 1, 0), 1);
        const std::string want = partHeader(false, "Mailer", "application\\octet-stream",
                                            "UUENCODED", c.wantName) +
                                 "begin 644 " + c.wantName + "\r\n%2&5L;&\\=\r\n`\r\nend\r\n\r\n--b";
        EXPECT_EQ(readFile(output), want);
    }
}

TEST_F(FileEncoderTest, ApplicationNameIsTheLastOneSetOrTheDefault) {
    const std::string source = folder.file("a.txt");
    const std::string output = folder.file("out.mim");
    writeFile(source, "");
    std::string name = "First";
    const char* copy = SetEncodingApplication(name.c_str());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, name.c_str());
    EXPECT_STREQ(copy, "First");
    EXPECT_STREQ(SetEncodingApplication("Second\r\nX: \"y\""), "Second\r\nX: \"y\"");
    ASSERT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", 2, 0), 1);
    EXPECT_EQ(readFile(output), partHeader(false, "Second__X: _y_", "application\\octet-stream",
                                           "Base64", "a.txt") + "\r\n--b");

    EXPECT_EQ(SetEncodingApplication(nullptr), nullptr);
    ASSERT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", 2, 0), 1);
    EXPECT_EQ(readFile(output), partHeader(false, kUnnamedApplication, "application\\octet-stream",
                                           "Base64", "a.txt") + "\r\n--b");
}

struct ProgressLog {
    std::vector<std::pair<long long, long long>> reports;
};

void KODRA_CALL recordProgress(void* context, long long done, long long total) {
    static_cast<ProgressLog*>(context)->reports.emplace_back(done, total);
}

TEST_F(FileEncoderTest, ReportsProgressEveryFewMebibytes) {
    const std::size_t length = 9u << 20;
    const std::string source = folder.file("big.bin");
    const std::string output = folder.file("big.mim");
    writeFile(source, patternBytes(length));
    for (int type : {2, 5}) {
        SCOPED_TRACE(type);
        ProgressLog log;
        KodraUserInterface ui{};
        ui.context = &log;
        ui.progress = recordProgress;
        SetUserInterface(&ui);
        ASSERT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", type, 0), 1);
        ASSERT_GE(log.reports.size(), 3u) << "got " << log.reports.size() << " reports for 9 MiB";
        EXPECT_LE(log.reports.size(), 9u);
        for (std::size_t i = 1; i < log.reports.size(); ++i)
            EXPECT_LE(log.reports[i - 1].first, log.reports[i].first);
        const auto total = static_cast<long long>(length);
        EXPECT_EQ(log.reports.back(), std::make_pair(total, total));
    }
}

}  // namespace
}  // namespace kodra::test
