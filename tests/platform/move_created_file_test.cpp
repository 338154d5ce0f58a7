// Moving a job's own file to a new name: never over anything, never through a link, and
// never a file that was swapped in under the old name.
#include "platform/platform.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kodra::testing {
namespace {

platform::FileIdentity identityAt(const std::string& path) {
    platform::PathInfo info;
    EXPECT_TRUE(platform::inspectPath(path.c_str(), info)) << path;
    return info.identity;
}

enum class Target { nothing, file, danglingLink };

struct MoveRow {
    const char* name;
    Target target;
    bool otherIdentity;
    platform::MoveResult want;
};

std::vector<MoveRow> moveRows() {
    std::vector<MoveRow> rows = {
        {"to a free name", Target::nothing, false, platform::MoveResult::moved},
        {"onto a file", Target::file, false, platform::MoveResult::targetTaken},
        {"a file swapped in", Target::nothing, true, platform::MoveResult::failed},
    };
#ifndef _WIN32
    rows.push_back({"onto a dangling link", Target::danglingLink, false, platform::MoveResult::targetTaken});
#endif
    return rows;
}

TEST(MoveCreatedFile, MovesOnlyItsOwnFileToAFreeName) {
    for (const MoveRow& row : moveRows()) {
        TempFolder folder;
        const std::string from = folder.file("part.bin"), to = folder.file("part.bin.incomplete");
        writeFile(from, "partial");
        platform::FileIdentity identity = identityAt(from);
        if (row.otherIdentity) identity.inode += 1;
        if (row.target == Target::file) writeFile(to, "older");
        if (row.target == Target::danglingLink) std::filesystem::create_symlink(folder.file("missing"), to);
        const platform::MoveResult got = platform::moveCreatedFile(from.c_str(), to.c_str(), identity);
        EXPECT_EQ(got, row.want) << row.name << ": got " << static_cast<int>(got) << ", want "
                                 << static_cast<int>(row.want);
        const bool moved = row.want == platform::MoveResult::moved;
        EXPECT_EQ(platform::pathExists(from.c_str()), !moved) << row.name;
        EXPECT_EQ(readFile(moved ? to : from), "partial") << row.name;
        if (row.target == Target::file) {
            EXPECT_EQ(readFile(to), "older") << row.name;
        }
        if (row.target == Target::danglingLink) {
            EXPECT_TRUE(std::filesystem::is_symlink(to)) << row.name;
            EXPECT_FALSE(platform::pathExists(folder.file("missing").c_str())) << row.name;
        }
    }
}

}  // namespace
}  // namespace kodra::testing
