// Hostile file-system situations: outputs that are links, read-only files or folders, a
// full file system, and inputs that are folders, FIFOs or unreadable.
#include "decode/decode_test_messages.h"
#include "hostile/hostile_support.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace kodra::testing {
namespace {

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override { installQuietInterface(); }
    void TearDown() override { SetUserInterface(nullptr); }
};

TEST_F(HostileFiles, OutputLinkToAFileOutsideIsNotWrittenThrough) {
    HostileSandbox sandbox;
    const std::string victim = (sandbox.root() / "victim.txt").string();
    writeFile(victim, "keep me");
    std::filesystem::create_symlink(victim, sandbox.folder() / "out.bin");
    const std::string input = sandbox.file("message.txt");
    writeFile(input, uuSection("out.bin", binaryPayload(100)));
    DecodeFile(input.c_str(), nullptr, 3);
    EXPECT_EQ(readFile(victim), "keep me");

    const std::string message = sandbox.file("message.eml");
    writeFile(message, "Subject: x\r\n\r\nplain body\r\n");
    std::filesystem::create_symlink(victim, sandbox.folder() / "text.txt");
    GetMessageText(message.c_str(), "text.txt");
    EXPECT_EQ(readFile(victim), "keep me") << "GetMessageText wrote through a link";
    EXPECT_TRUE(std::filesystem::is_symlink(sandbox.folder() / "text.txt"));
}

TEST_F(HostileFiles, OutputThatIsAFolderStaysAFolder) {
    HostileSandbox sandbox;
    std::filesystem::create_directory(sandbox.folder() / "out.bin");
    writeFile(sandbox.file("out.bin/inner"), "inner");
    const std::string input = sandbox.file("message.txt");
    writeFile(input, uuSection("out.bin", binaryPayload(100)));
    EXPECT_EQ(DecodeFile(input.c_str(), nullptr, 3), 0);
    EXPECT_EQ(readFile(sandbox.file("out.bin/inner")), "inner");

    const std::string message = sandbox.file("message.eml");
    writeFile(message, "Subject: x\r\n\r\nplain body\r\n");
    std::filesystem::create_directory(sandbox.folder() / "text.txt");
    EXPECT_EQ(GetMessageText(message.c_str(), "text.txt"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(sandbox.folder() / "text.txt"));
    for (const std::string& name : sandbox.inside()) EXPECT_EQ(name.find("54sfh$42"), std::string::npos) << name;
}

TEST_F(HostileFiles, ReadOnlyOutputIsOnlyReplacedWhenTheCallerAllows) {
    HostileSandbox sandbox;
    const std::string output = sandbox.file("out.bin");
    writeFile(output, "old");
    std::filesystem::permissions(output, std::filesystem::perms::owner_read);
    const std::string input = sandbox.file("message.txt");
    const std::string data = binaryPayload(100);
    writeFile(input, uuSection("out.bin", data));
    // Mode 2 asks before overwriting; the quiet interface says no.
    EXPECT_EQ(DecodeFile(input.c_str(), nullptr, 2), 0);
    EXPECT_EQ(readFile(output), "old");
    // The silent mode has the caller's consent to replace.
    EXPECT_EQ(DecodeFile(input.c_str(), nullptr, 3), KODRA_UUENCODE);
    EXPECT_TRUE(sameBytes(readFile(output), data));
}

TEST_F(HostileFiles, FullFileSystemIsReportedAsFailure) {
    HostileSandbox sandbox;
    const std::string data = binaryPayload(256 * 1024);
    struct Row {
        const char* label;
        std::string message;
        std::function<int(const std::string&)> call;
    };
    const std::vector<Row> rows = {
        {"uu", uuSection("big.bin", data), [](const std::string& p) { return DecodeFile(p.c_str(), nullptr, 3); }},
        {"base64", mimeMessage("b", base64Part("b", "big64.bin", data)),
         [](const std::string& p) { return DecodeFile(p.c_str(), nullptr, 3); }},
        {"message text", "Subject: x\r\n\r\n" + std::string(256 * 1024, 't') + "\r\n",
         [](const std::string& p) { return GetMessageText(p.c_str(), "text.txt"); }},
    };
    for (const Row& row : rows) {
        const std::string input = sandbox.file(std::string(row.label) + ".eml");
        writeFile(input, row.message);
        // Files may not grow past 64 KiB in the child: writes fail as on a full disk.
        const ChildOutcome outcome = runInChild([&] { return row.call(input); }, 64 * 1024);
        EXPECT_EQ(outcome.status, 0) << row.label << ": got result " << outcome.status << ", want failure 0";
        EXPECT_TRUE(sandbox.outside().empty()) << row.label;
    }
}

TEST_F(HostileFiles, InputsThatAreNoRegularFilesGiveTheFailureValue) {
    HostileSandbox sandbox;
    const std::string folder = sandbox.file("folder");
    std::filesystem::create_directory(folder);
    const std::string fifo = sandbox.file("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {folder, fifo, sandbox.file("missing")}) {
        // In a child: a reader that waits for a writer would never come back.
        const ChildOutcome outcome = runInChild([&] {
            MessageInfoRecord record;
            char buffer[32];
            const int results[] = {DecodeFile(path.c_str(), nullptr, 3), GetNumFilesToDecode(path.c_str()),
                                   GetMessageInfo(path.c_str(), &record),
                                   GetMessageHeaderField(path.c_str(), buffer, sizeof buffer, 1),
                                   GetMessageText(path.c_str(), "text.txt")};
            int failures = 0;
            for (int result : results) failures += result == 0 ? 0 : 1;
            return failures;
        });
        EXPECT_EQ(outcome.status, 0) << path << ": got " << outcome.status << " calls without the failure value";
    }
    EXPECT_TRUE(sandbox.outside().empty());
}

TEST_F(HostileFiles, UnreadableInputGivesTheFailureValue) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    HostileSandbox sandbox;
    const std::string input = sandbox.file("message.txt");
    writeFile(input, uuSection("out.bin", binaryPayload(100)));
    std::filesystem::permissions(input, std::filesystem::perms::none);
    EXPECT_EQ(DecodeFile(input.c_str(), nullptr, 3), 0);
    EXPECT_EQ(GetNumFilesToDecode(input.c_str()), 0);
    MessageInfoRecord record;
    EXPECT_EQ(GetMessageInfo(input.c_str(), &record), 0);
    EXPECT_EQ(GetMessageText(input.c_str(), "text.txt"), 0);
    EXPECT_EQ(sandbox.inside(), std::set<std::string>{"message.txt"});
}

}  // namespace
}  // namespace kodra::testing
