#include "encode_test_support.h"
#include "kodra32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::test {
namespace {

namespace fs = std::filesystem;

constexpr int kPiece = 1000;

class SplitJoinTest : public ::testing::Test {
protected:
    TempFolder folder;
};

struct SplitCase {
    const char* name;
    std::size_t length;
    std::vector<std::size_t> pieces;  // sizes of report1.txt, report2.txt, ...
};

// Every split ends with a short piece, an empty one when the length is a multiple.
const std::vector<SplitCase> kSplitCases = {
    {"empty", 0, {0}},
    {"one byte", 1, {1}},
    {"size - 1", kPiece - 1, {kPiece - 1}},
    {"size", kPiece, {kPiece, 0}},
    {"size + 1", kPiece + 1, {kPiece, 1}},
    {"3.5 x size", kPiece * 7 / 2, {kPiece, kPiece, kPiece, kPiece / 2}},
};

TEST_F(SplitJoinTest, SplitMakesNumberedPiecesAndJoinRebuildsTheFile) {
    for (int deleteFlag : {0, 1}) {
        for (const SplitCase& c : kSplitCases) {
            SCOPED_TRACE(std::string(c.name) + (deleteFlag ? ", join deletes" : ", join keeps"));
            TempFolder local;
            const std::string source = local.file("report.txt");
            const std::string content = patternBytes(c.length);
            writeFile(source, content);

            PathBuffer path(source);
            ASSERT_EQ(SplitFile(path.bytes, kPiece), 1);
            const std::string last = local.file("report" + std::to_string(c.pieces.size()) + ".txt");
            EXPECT_EQ(path.text(), last);
            std::size_t offset = 0;
            for (std::size_t i = 0; i < c.pieces.size(); ++i) {
                const std::string piece = local.file("report" + std::to_string(i + 1) + ".txt");
                EXPECT_EQ(readFile(piece), content.substr(offset, c.pieces[i])) << piece;
                offset += c.pieces[i];
            }
            EXPECT_FALSE(exists(local.file("report" + std::to_string(c.pieces.size() + 1) + ".txt")));
            EXPECT_EQ(readFile(source), content) << "the source must stay as it was";

            PathBuffer first(local.file("report1.txt"));
            ASSERT_EQ(ConcatenateRelated(deleteFlag, first.bytes), 1);
            EXPECT_EQ(first.text(), local.file("report" + std::to_string(c.pieces.size() + 1) + ".txt"));
            EXPECT_EQ(readFile(local.file("report1.txt")), content);
            for (std::size_t i = 2; i <= c.pieces.size(); ++i)
                EXPECT_EQ(exists(local.file("report" + std::to_string(i) + ".txt")), deleteFlag == 0) << i;
        }
    }
}

TEST_F(SplitJoinTest, SplitOfANumberedNameContinuesItsNumber) {
    const std::string source = folder.file("report7.txt");
    writeFile(source, std::string(100, 'a'));
    PathBuffer path(source);
    ASSERT_EQ(SplitFile(path.bytes, 40), 1);
    EXPECT_EQ(path.text(), folder.file("report10.txt"));
    EXPECT_EQ(readFile(folder.file("report8.txt")).size(), 40u);
    EXPECT_EQ(readFile(folder.file("report9.txt")).size(), 40u);
    EXPECT_EQ(readFile(folder.file("report10.txt")).size(), 20u);
}

TEST_F(SplitJoinTest, SplitRefusesWithoutCreatingAnything) {
    const std::string source = folder.file("data.bin");
    writeFile(source, "0123456789");
    struct RefusalCase {
        const char* name;
        std::string path;
        int size;
    };
    fs::create_directory(folder.file("dir"));
    const std::vector<RefusalCase> cases = {
        {"size 0", source, 0},
        {"negative size", source, -5},
        {"missing source", folder.file("missing.bin"), 4},
        {"source is a folder", folder.file("dir"), 4},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.name);
        PathBuffer path(c.path);
        EXPECT_EQ(SplitFile(path.bytes, c.size), 0);
        EXPECT_EQ(path.text(), c.path);
        EXPECT_FALSE(exists(folder.file("data1.bin")));
        EXPECT_FALSE(exists(folder.file("dir1")));
    }
    EXPECT_EQ(SplitFile(nullptr, 4), 0);
}

TEST_F(SplitJoinTest, SplitNeverOverwritesItsSource) {
    KODRA_POSIX_ONLY("a symbolic link stands for the source");
    const std::string source = folder.file("data.bin");
    writeFile(source, "0123456789");
    writeFile(folder.file("data1.bin"), "old piece");
    fs::create_symlink(source, folder.file("data2.bin"));
    PathBuffer path(source);
    EXPECT_EQ(SplitFile(path.bytes, 4), 0);
    EXPECT_EQ(readFile(source), "0123456789");
    EXPECT_EQ(readFile(folder.file("data1.bin")), "old piece") << "nothing may change before the refusal";
}

TEST_F(SplitJoinTest, SplitLeavesEverythingWhenAPieceCannotBeWritten) {
    if (kodra::testing::writesThroughPermissions()) {
        // root writes read-only files anyway; a folder in the piece's place cannot be.
        fs::create_directory(folder.file("data3.bin"));
    } else {
        writeFile(folder.file("data3.bin"), "locked");
        fs::permissions(folder.file("data3.bin"), fs::perms::owner_read);
    }
    const std::string source = folder.file("data.bin");
    writeFile(source, "0123456789");
    writeFile(folder.file("data1.bin"), "old piece");
    PathBuffer path(source);
    EXPECT_EQ(SplitFile(path.bytes, 4), 0);
    EXPECT_EQ(path.text(), source);
    EXPECT_EQ(readFile(folder.file("data1.bin")), "old piece");
    EXPECT_FALSE(exists(folder.file("data2.bin")));
}

// A link planted at a piece's name is never written through: not even /dev/full, which
// once stood in for a full disk here.
TEST_F(SplitJoinTest, SplitRefusesALinkAtAPieceName) {
    KODRA_POSIX_ONLY("symbolic links need a privilege on Windows");
    const std::string source = folder.file("data.bin");
    writeFile(source, patternBytes(100000));
    writeFile(folder.file("target"), "kept");
    fs::create_symlink(folder.file("target"), folder.file("data2.bin"));
    PathBuffer path(source);
    EXPECT_EQ(SplitFile(path.bytes, 40000), 0);
    EXPECT_EQ(path.text(), source) << "nothing should have been split";
    EXPECT_FALSE(exists(folder.file("data1.bin"))) << "a piece was written before the check";
    EXPECT_EQ(readFile(folder.file("target")), "kept");
}

TEST_F(SplitJoinTest, JoinOfAMissingFirstFileChangesNothing) {
    writeFile(folder.file("report2.txt"), "second");
    PathBuffer path(folder.file("report1.txt"));
    EXPECT_EQ(ConcatenateRelated(1, path.bytes), 0);
    EXPECT_EQ(path.text(), folder.file("report1.txt"));
    EXPECT_EQ(readFile(folder.file("report2.txt")), "second");
    EXPECT_EQ(ConcatenateRelated(1, nullptr), 0);
}

TEST_F(SplitJoinTest, JoinWithoutFollowingPiecesOnlyMovesTheName) {
    writeFile(folder.file("report1.txt"), "alone");
    PathBuffer path(folder.file("report1.txt"));
    EXPECT_EQ(ConcatenateRelated(1, path.bytes), 1);
    EXPECT_EQ(path.text(), folder.file("report2.txt"));
    EXPECT_EQ(readFile(folder.file("report1.txt")), "alone");
}

TEST_F(SplitJoinTest, JoinRefusesAPieceThatIsTheFirstFile) {
    KODRA_POSIX_ONLY("a symbolic link stands for the first file");
    writeFile(folder.file("report1.txt"), "first");
    writeFile(folder.file("report2.txt"), "second");
    fs::create_symlink(folder.file("report1.txt"), folder.file("report3.txt"));
    PathBuffer path(folder.file("report1.txt"));
    EXPECT_EQ(ConcatenateRelated(1, path.bytes), 0);
    EXPECT_EQ(path.text(), folder.file("report1.txt"));
    EXPECT_EQ(readFile(folder.file("report1.txt")), "first");
    EXPECT_EQ(readFile(folder.file("report2.txt")), "second");
}

TEST_F(SplitJoinTest, JoinChangesNothingWhenALaterPieceCannotBeRead) {
    writeFile(folder.file("report1.txt"), "first");
    writeFile(folder.file("report2.txt"), "second");
    fs::create_directory(folder.file("report3.txt"));
    PathBuffer path(folder.file("report1.txt"));
    EXPECT_EQ(ConcatenateRelated(1, path.bytes), 0);
    EXPECT_EQ(readFile(folder.file("report1.txt")), "first");
    EXPECT_EQ(readFile(folder.file("report2.txt")), "second");
}

TEST_F(SplitJoinTest, JoinKeepsPiecesWhenTheirContentCannotBeWritten) {
    KODRA_POSIX_ONLY("needs /dev/full");
    ASSERT_TRUE(exists("/dev/full")) << "this test needs /dev/full";
    fs::create_symlink("/dev/full", folder.file("report1.txt"));
    writeFile(folder.file("report2.txt"), patternBytes(100000));
    PathBuffer path(folder.file("report1.txt"));
    EXPECT_EQ(ConcatenateRelated(1, path.bytes), 0);
    EXPECT_EQ(readFile(folder.file("report2.txt")), patternBytes(100000)) << "the piece must survive";
}

// A path of `length` characters in folder, ending in name.
std::string pathOfLength(const TempFolder& folder, std::size_t length, const std::string& name) {
    const std::size_t fixed = folder.path().string().size() + 1 + name.size() + 1;
    const std::string directory = folder.file(std::string(length - fixed, 'd'));
    fs::create_directories(directory);
    return directory + "/" + name;
}

TEST_F(SplitJoinTest, SplitNeverGrowsAPathPastTheLimit) {
    struct LengthCase {
        std::size_t length;  // of the source path, ending in x.bin
        std::size_t bytes;   // split one byte a piece: 8 bytes end at x9.bin, 9 at x10.bin
        int want;
    };
    const std::vector<LengthCase> cases = {
        {255, 9, 1}, {256, 9, 1}, {257, 9, 1}, {258, 9, 0}, {258, 8, 1}, {259, 8, 0},
    };
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.length) + " characters, " + std::to_string(c.bytes) + " bytes");
        TempFolder local;
        const std::string source = pathOfLength(local, c.length, "x.bin");
        ASSERT_EQ(source.size(), c.length);
        writeFile(source, std::string(c.bytes, 'a'));
        PathBuffer path(source);
        EXPECT_EQ(SplitFile(path.bytes, 1), c.want);
        EXPECT_TRUE(path.guardIntact());
        const std::string directory = fs::path(source).parent_path().string();
        if (c.want == 1) {
            EXPECT_EQ(path.text(), directory + "/x" + std::to_string(c.bytes + 1) + ".bin");
        } else {
            EXPECT_EQ(path.text(), source);
            EXPECT_FALSE(exists(directory + "/x1.bin")) << "nothing may be created";
        }
    }
}

TEST_F(SplitJoinTest, JoinNeverGrowsAPathPastTheLimit) {
    struct LengthCase {
        std::size_t length;  // of the first file's path, ending in x1.bin; x9.bin follows
        int want;
    };
    const std::vector<LengthCase> cases = {{255, 1}, {256, 1}, {257, 1}, {258, 1}, {259, 0}};
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.length);
        TempFolder local;
        const std::string first = pathOfLength(local, c.length, "x1.bin");
        ASSERT_EQ(first.size(), c.length);
        const std::string directory = fs::path(first).parent_path().string();
        for (int i = 1; i <= 9; ++i) writeFile(directory + "/x" + std::to_string(i) + ".bin", std::to_string(i));
        PathBuffer path(first);
        // Looking for x10.bin after x9.bin needs one more character.
        EXPECT_EQ(ConcatenateRelated(1, path.bytes), c.want);
        EXPECT_TRUE(path.guardIntact());
        if (c.want == 1) {
            EXPECT_EQ(path.text(), directory + "/x10.bin");
            EXPECT_EQ(readFile(first), "123456789");
        } else {
            EXPECT_EQ(path.text(), first);
            EXPECT_EQ(readFile(first), "1");
            EXPECT_TRUE(exists(directory + "/x2.bin"));
        }
    }
}

}  // namespace
}  // namespace kodra::test
