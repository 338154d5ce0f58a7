#include "message/intermediate_file.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

namespace kodra::testing {
namespace {

namespace fs = std::filesystem;

std::string folderOf(const TempFolder& folder) {
    return folder.path().string() + static_cast<char>(fs::path::preferred_separator);
}

// What the file holds from its start, read through its own stream.
std::string readBack(const IntermediateFile& file) {
    std::rewind(file.file());
    std::string content;
    char chunk[256];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.file())) > 0;) content.append(chunk, got);
    return content;
}

TEST(IntermediateFile, TakesTheFirstFreeNameAndRemovesItAtTheEnd) {
    struct Row {
        const char* name;
        std::set<std::string> present;
        std::string avoid;
        std::string want;
    };
    const Row rows[] = {
        {"first number", {}, "", "tmp.1"},
        {"a taken name is skipped and left alone", {"tmp.1"}, "", "tmp.2"},
        {"the avoided name is skipped", {}, "tmp.1", "tmp.2"},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        for (const std::string& name : row.present) writeFile(folder.file(name), "user's file");
        {
            IntermediateFile file;
            ASSERT_TRUE(file.create(folderOf(folder), "tmp", row.avoid.empty() ? "" : folder.file(row.avoid)))
                << row.name;
            EXPECT_EQ(fs::path(file.path()).filename().string(), row.want) << row.name;
        }
        EXPECT_EQ(folder.names(), row.present) << row.name << ": the file is removed, nothing else";
        for (const std::string& name : row.present) EXPECT_EQ(readFile(folder.file(name)), "user's file") << row.name;
    }
}

TEST(IntermediateFile, CutsItsTailAndReadsThroughItsHandle) {
    TempFolder folder;
    IntermediateFile file;
    ASSERT_TRUE(file.create(folderOf(folder), "tmp", ""));
    ASSERT_TRUE(file.write("a long first line\r\n"));
    file.seek(2);
    ASSERT_TRUE(file.write("x"));
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(readBack(file), "a x") << "whatever lay beyond the last write is cut off";
    ASSERT_TRUE(file.restart());
    ASSERT_TRUE(file.write("new"));
    ASSERT_TRUE(file.finish());
    EXPECT_EQ(readBack(file), "new");
}

// A link put at the file's name after it was made: every later step works on the file
// that was created, and the link and what it leads to stay as they are.
TEST(IntermediateFile, NeverReachesWhatIsPutAtItsNameLater) {
    KODRA_POSIX_ONLY("a symbolic link is put at the name");
    TempFolder folder;
    writeFile(folder.file("victim.txt"), "precious");
    {
        IntermediateFile file;
        ASSERT_TRUE(file.create(folderOf(folder), "tmp", ""));
        ASSERT_TRUE(file.write("old text\r\n"));
        fs::remove(file.path());
        fs::create_symlink(folder.file("victim.txt"), file.path());
        ASSERT_TRUE(file.restart());
        ASSERT_TRUE(file.write("body"));
        ASSERT_TRUE(file.finish());
        EXPECT_EQ(readBack(file), "body");
        EXPECT_EQ(readFile(folder.file("victim.txt")), "precious") << "resized or written through the name";
    }
    EXPECT_TRUE(fs::is_symlink(folder.file("tmp.1"))) << "removed what stood at the name at the end";
    EXPECT_EQ(readFile(folder.file("victim.txt")), "precious");
}

}  // namespace
}  // namespace kodra::testing
