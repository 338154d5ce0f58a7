#include "encode/numbered_names.h"
#include "encode_test_support.h"
#include "kodra32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kodra::test {
namespace {

struct NextNameCase {
    const char* name;
    std::string before;
    std::string want;
};

TEST(NextNumberedName, RaisesTheNumberBeforeTheExtension) {
    const std::vector<NextNameCase> cases = {
        {"no number", "report.txt", "report1.txt"},
        {"one digit", "report1.txt", "report2.txt"},
        {"carry gains a digit", "report9.txt", "report10.txt"},
        {"leading zeros dropped", "report007.txt", "report8.txt"},
        {"no extension", "archive", "archive1"},
        {"last dot only", "data.tar.gz", "data.tar1.gz"},
        {"name is all digits", "19.txt", "20.txt"},
        {"zeros only", "part000.bin", "part1.bin"},
        {"nines after zeros", "part0099.bin", "part100.bin"},
        {"past 32 bits", "report2147483647.txt", "report2147483648.txt"},
        {"past 64 bits", "n18446744073709551615", "n18446744073709551616"},
        {"25 nines", std::string(25, '9') + ".x", "1" + std::string(25, '0') + ".x"},
        {"dot file", ".profile", "1.profile"},
        {"empty", "", "1"},
        {"extension cut to 20", "a.abcdefghijklmnopqrstuvwxyz", "a1.abcdefghijklmnopqrs"},
    };
    for (const NextNameCase& c : cases) {
        PathBuffer buffer(c.before);
        ASSERT_TRUE(nextNumberedName(buffer.bytes, 260)) << c.name;
        EXPECT_EQ(buffer.text(), c.want) << c.name << ": got " << buffer.text() << ", want " << c.want;
    }
}

TEST(NextNumberedName, LeavesTheNameAloneWhenTheResultWouldNotFit) {
    struct RoomCase {
        const char* name;
        std::string before;
        std::size_t room;
        bool fits;
        std::string want;
    };
    const std::vector<RoomCase> cases = {
        {"same length fits exactly", "a1.txt", 7, true, "a2.txt"},
        {"extra digit does not fit", "a9.txt", 7, false, "a9.txt"},
        {"extra digit fits", "a9.txt", 8, true, "a10.txt"},
        {"shorter result fits", "a007.txt", 7, true, "a8.txt"},
        {"no room at all", "a", 0, false, "a"},
    };
    for (const RoomCase& c : cases) {
        PathBuffer buffer(c.before);
        EXPECT_EQ(nextNumberedName(buffer.bytes, c.room), c.fits) << c.name;
        EXPECT_EQ(buffer.text(), c.want) << c.name << ": got " << buffer.text();
    }
}

class UniqueFileNameTest : public ::testing::Test {
protected:
    TempFolder folder;
};

TEST_F(UniqueFileNameTest, NumbersUntilTheNameIsFree) {
    struct UniqueCase {
        const char* name;
        std::vector<std::string> existing;
        std::string path;
        std::string want;
    };
    const std::vector<UniqueCase> cases = {
        {"free name unchanged", {}, "report.txt", "report.txt"},
        {"two taken", {"report.txt", "report1.txt"}, "report.txt", "report2.txt"},
        {"numbered name continues", {"scan9.png", "scan10.png"}, "scan9.png", "scan11.png"},
        {"unsafe characters cleaned", {}, "a:b?.txt", "a_b_.txt"},
        {"cleaned name taken", {"a_b.txt"}, "a*b.txt", "a_b1.txt"},
    };
    for (const UniqueCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder local;
        for (const std::string& name : c.existing) writeFile(local.file(name), "");
        PathBuffer buffer(local.file(c.path));
        EXPECT_EQ(GetUniqueFileName(buffer.bytes), 0);
        EXPECT_EQ(buffer.text(), local.file(c.want));
    }
}

// A bare name is cleaned to "doc1.doc" once; numbering then goes on from there rather
// than cleaning it back to "doc1.doc" for ever.
TEST_F(UniqueFileNameTest, BareNameEndsEvenWhenDoc1Exists) {
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    writeFile("doc1.doc", "");
    writeFile("doc2.doc", "");
    PathBuffer buffer("letter.txt");
    EXPECT_EQ(GetUniqueFileName(buffer.bytes), 0);
    EXPECT_EQ(buffer.text(), "doc3.doc");
    std::filesystem::current_path(previous);
}

// A path of `length` characters in the temporary folder, ending in name.
std::string pathOfLength(const TempFolder& folder, std::size_t length, const std::string& name) {
    const std::size_t fixed = folder.path().string().size() + 1 + name.size() + 1;
    const std::string directory = folder.file(std::string(length - fixed, 'd'));
    std::filesystem::create_directories(directory);
    const std::string path = directory + "/" + name;
    EXPECT_EQ(path.size(), length);
    return path;
}

TEST_F(UniqueFileNameTest, NeverGrowsAPathPastTheLimit) {
    struct LengthCase {
        std::size_t length;
        int want;
    };
    // report9.txt exists; report10.txt is one character longer.
    const std::vector<LengthCase> cases = {{255, 0}, {256, 0}, {257, 0}, {258, 0}, {259, -1}};
    for (const LengthCase& c : cases) {
        SCOPED_TRACE(c.length);
        TempFolder local;
        const std::string path = pathOfLength(local, c.length, "report9.txt");
        writeFile(path, "");
        PathBuffer buffer(path);
        EXPECT_EQ(GetUniqueFileName(buffer.bytes), c.want);
        EXPECT_TRUE(buffer.guardIntact());
        if (c.want == 0) {
            EXPECT_EQ(buffer.text(), path.substr(0, path.size() - 5) + "10.txt");
        } else {
            EXPECT_EQ(buffer.text(), "") << "a full path must not name the existing file";
        }
    }
}

}  // namespace
}  // namespace kodra::test
