// Hostile file-system situations for the encoding, split, join and naming exports: FIFOs
// where files are expected (a call must fail, not wait for ever), links planted at output
// names, and folder names that look like patterns.
#include "hostile/hostile_support.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstring>

namespace kodra::testing {
namespace {

// Seconds a call may take before the child is stopped as hung.
constexpr unsigned kHangGuard = 20;

struct PathBuffer {
    explicit PathBuffer(const std::string& path) { std::strncpy(bytes, path.c_str(), sizeof bytes - 1); }
    char bytes[300] = {};
};

class HostileEncoding : public ::testing::Test {
protected:
    void SetUp() override { installQuietInterface(); }
    void TearDown() override { SetUserInterface(nullptr); }

    std::string fifo(const std::string& name) const {
        const std::string path = sandbox.file(name);
        EXPECT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
        return path;
    }
    HostileSandbox sandbox;
};

TEST_F(HostileEncoding, FifosInPlaceOfFilesFailWithoutWaiting) {
    const std::string source = sandbox.file("data.bin");
    writeFile(source, binaryPayload(1000));
    const std::string fifoSource = fifo("source.fifo");
    const std::string fifoOutput = fifo("out.fifo");
    writeFile(sandbox.file("first1.txt"), "first");
    fifo("first2.txt");
    fifo("alone1.txt");
    fifo("data2.bin");
    struct Row {
        const char* name;
        std::function<int()> call;
        int failure;
    };
    const std::vector<Row> rows = {
        {"EncodeFile from a FIFO", [&] { return EncodeFile(fifoSource.c_str(), sandbox.file("a.mim").c_str(), "b", 2, 0); }, 0},
        {"EncodeFile into a FIFO", [&] { return EncodeFile(source.c_str(), fifoOutput.c_str(), "b", 2, 1); }, 0},
        {"FinishAttachments on a FIFO", [&] { return FinishAttachments(fifoOutput.c_str()); }, -1},
        {"ConcatenateRelated with a FIFO piece",
         [&] {
             PathBuffer path(sandbox.file("first1.txt"));
             return ConcatenateRelated(1, path.bytes);
         },
         0},
        {"ConcatenateRelated with a FIFO first file",
         [&] {
             PathBuffer path(sandbox.file("alone1.txt"));
             return ConcatenateRelated(0, path.bytes);
         },
         0},
        {"SplitFile onto a FIFO piece",
         [&] {
             PathBuffer path(source);
             return SplitFile(path.bytes, 400);
         },
         0},
        {"SplitFile of a FIFO",
         [&] {
             PathBuffer path(fifoSource);
             return SplitFile(path.bytes, 400);
         },
         0},
    };
    for (const Row& row : rows) {
        const ChildOutcome outcome = runInChild([&] { return row.call() == row.failure ? 0 : 1; }, 0, kHangGuard);
        EXPECT_EQ(outcome.status, 0) << row.name << ": got status " << outcome.status
                                     << " (negative: stopped by a signal, 1: no failure value), want 0";
    }
    EXPECT_EQ(readFile(sandbox.file("first1.txt")), "first");
    EXPECT_FALSE(std::filesystem::exists(sandbox.file("data1.bin"))) << "a piece was written before the check";
    EXPECT_TRUE(sandbox.outside().empty());
}

TEST_F(HostileEncoding, LinksAtOutputNamesAreNeverWrittenThrough) {
    const std::string victim = (sandbox.root() / "victim.txt").string();
    writeFile(victim, "keep me");
    const std::string source = sandbox.file("data.bin");
    writeFile(source, binaryPayload(1000));
    for (const char* name : {"out.mim", "data1.bin", "data2.bin"})
        std::filesystem::create_symlink(victim, sandbox.folder() / name);
    std::filesystem::create_symlink(sandbox.root() / "new.txt", sandbox.folder() / "dangling.mim");
    struct Row {
        const char* name;
        std::function<int()> call;
        int failure;
    };
    const std::vector<Row> rows = {
        {"EncodeFile replacing", [&] { return EncodeFile(source.c_str(), sandbox.file("out.mim").c_str(), "b", 2, 0); }, 0},
        {"EncodeFile appending", [&] { return EncodeFile(source.c_str(), sandbox.file("out.mim").c_str(), "b", 2, 1); }, 0},
        {"EncodeFile through a dangling link",
         [&] { return EncodeFile(source.c_str(), sandbox.file("dangling.mim").c_str(), "b", 2, 0); }, 0},
        {"FinishAttachments", [&] { return FinishAttachments(sandbox.file("out.mim").c_str()); }, -1},
        {"SplitFile",
         [&] {
             PathBuffer path(source);
             return SplitFile(path.bytes, 400);
         },
         0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(row.call(), row.failure) << row.name;
        EXPECT_EQ(readFile(victim), "keep me") << row.name << " wrote through a link";
    }
    EXPECT_EQ(sandbox.outside(), std::set<std::string>{"victim.txt"}) << "a link's target was created";
}

// Join: a piece that is the first file again, under another name, is refused before the
// first file changes; a piece is only deleted once its bytes are in the first file.
TEST_F(HostileEncoding, JoinRefusesTheFirstFileAsItsOwnPiece) {
    writeFile(sandbox.file("part1.txt"), "first");
    std::filesystem::create_hard_link(sandbox.file("part1.txt"), sandbox.file("part2.txt"));
    PathBuffer path(sandbox.file("part1.txt"));
    EXPECT_EQ(ConcatenateRelated(1, path.bytes), 0);
    EXPECT_EQ(readFile(sandbox.file("part1.txt")), "first");
    EXPECT_TRUE(std::filesystem::exists(sandbox.file("part2.txt")));
}

// In a folder whose name holds "?", "*" and "[...]", existence is the literal name's: no
// pattern may match another file, and a name that exists is never taken for free.
TEST_F(HostileEncoding, PatternCharactersInFolderNamesAreLiteral) {
    const std::filesystem::path tricky = sandbox.folder() / "What? [draft] *";
    std::filesystem::create_directory(tricky);
    writeFile((tricky / "data.MIM").string(), "existing message");
    PathBuffer unique((tricky / "data.MIM").string());
    EXPECT_EQ(GetUniqueFileName(unique.bytes), 0);
    EXPECT_EQ(std::string(unique.bytes), (tricky / "data1.MIM").string()) << "got a name that exists";

    const std::string message = (tricky / "message.txt").string();
    const std::string output = (tricky / "out.bin").string();
    writeFile(output, "old");
    writeFile(message, "begin 644 out.bin\r\n#86)C\r\n`\r\nend\r\n");
    // Mode 2 asks before replacing an existing file; the quiet interface says no.
    DecodeFile(message.c_str(), nullptr, 2);
    EXPECT_EQ(readFile(output), "old") << "replaced without asking";
}

}  // namespace
}  // namespace kodra::testing
