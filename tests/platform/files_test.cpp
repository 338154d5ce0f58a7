#include "frame/file_names.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace kodra::platform {
namespace {

namespace fs = std::filesystem;

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("kodra-files-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder / "report.txt", fs::perms::owner_all, ignored);
        fs::remove_all(folder, ignored);
    }
    std::string path(const char* name) const { return (folder / name).string(); }
    void write(const char* name, const std::string& bytes) const {
        std::ofstream(folder / name, std::ios::binary) << bytes;
    }
    fs::path folder;
};

TEST_F(FilesTest, ExistenceOfLiteralPaths) {
    write("report.txt", "x");
#ifndef _WIN32  // symbolic links need a privilege on Windows
    fs::create_symlink(folder / "missing", folder / "dangling");
#endif
    struct Case {
        const char* name;
        std::string path;
        bool want;
    };
    const Case cases[] = {
        {"file", path("report.txt"), true},
        {"missing", path("nothing.txt"), false},
        {"directory", folder.string(), true},
#ifndef _WIN32
        {"dangling link occupies its name", path("dangling"), true},
#endif
        // Names are literal: a pattern that would match report.txt names nothing.
        {"pattern taken literally", path("rep*.t?t"), false},
        {"brackets taken literally", path("rep[o]rt.txt"), false},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(pathExists(c.path.c_str()), c.want) << c.name;
        EXPECT_EQ(fileExists(c.path.c_str()), c.want ? 1 : 0) << c.name;
    }
}

TEST_F(FilesTest, MakeWritableDeleteAndCopy) {
    write("report.txt", "old");
    fs::permissions(folder / "report.txt", fs::perms::owner_read);
    EXPECT_TRUE(makeWritable(path("report.txt").c_str()));
    EXPECT_NE(fs::status(folder / "report.txt").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_FALSE(makeWritable(path("missing").c_str()));

    write("source.txt", "new contents");
    EXPECT_TRUE(copyFileReplacing(path("source.txt").c_str(), path("report.txt").c_str()));
    std::ifstream copied(folder / "report.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "new contents");

    EXPECT_TRUE(deleteFile(path("source.txt").c_str()));
    EXPECT_FALSE(deleteFile(path("source.txt").c_str()));
}

}  // namespace
}  // namespace kodra::platform
