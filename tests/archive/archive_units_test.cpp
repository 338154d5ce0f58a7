#include "archive/archive_units.h"
#include "archive/mbox_file.h"
#include "archive/mbox_from_lines.h"
#include "support/portable.h"
#include "support/shown_bytes.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kodra {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::shown;
using testing::writeFile;

// The relative names of a listing's units, with "!" after those that carry an error.
std::vector<std::string> namesOf(const ArchiveListing& listing) {
    std::vector<std::string> names;
    for (const ArchiveUnit& unit : listing.units) names.push_back(unit.file + (unit.error.empty() ? "" : "!"));
    return names;
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += "[" + name + "]";
    return text;
}

// An mbox of count messages whose sizes vary, some with quoted From lines and CR LF.
std::string sampleMbox(int count) {
    std::string mbox;
    for (int i = 0; i < count; ++i) {
        const char* end = i % 5 == 3 ? "\r\n" : "\n";
        mbox += "From sender" + std::to_string(i) + "@example.org Mon Dec  7 21:00:00 2026" + end;
        mbox += "Subject: message " + std::to_string(i) + end + end;
        for (int line = 0; line < (i * 37) % 101; ++line) mbox += (line % 9 == 4 ? ">From the body " : "body ") +
                                                                  std::to_string(line) + end;
        if (i % 7 == 2) mbox += std::string("From inside, no empty line before") + end;
        mbox += end;
    }
    return mbox;
}

TEST(ArchiveKinds, DetectedFromWhatStandsThere) {
    TempFolder temp;
    writeFile(temp.file("box"), "From a\nx\n");
    writeFile(temp.file("message"), "Subject: x\n\nFrom a\n");
    writeFile(temp.file("short"), "From");
    writeFile(temp.file("empty"), "");
    fs::create_directories(temp.path() / "maildir" / "new");
    fs::create_directories(temp.path() / "plain" / "sub");
    struct Case {
        const char* name;
        std::string input;
        ArchiveKind want;
        bool error;
    };
    const Case cases[] = {
        {"mbox", temp.file("box"), ArchiveKind::mbox, false},
        {"message", temp.file("message"), ArchiveKind::message, false},
        {"file shorter than a From line", temp.file("short"), ArchiveKind::message, false},
        {"empty file", temp.file("empty"), ArchiveKind::message, false},
        {"maildir with new only", temp.file("maildir"), ArchiveKind::maildir, false},
        {"folder", temp.file("plain"), ArchiveKind::folder, false},
        {"standard input", "-", ArchiveKind::standardInput, false},
        {"missing", temp.file("missing"), ArchiveKind::message, true},
    };
    for (const Case& c : cases) {
        const ArchiveListing listing = listArchiveUnits(c.input, 3, 100);
        EXPECT_EQ(static_cast<int>(listing.kind), static_cast<int>(c.want)) << c.name;
        EXPECT_EQ(!listing.error.empty(), c.error) << c.name << ": got error " << shown(listing.error);
        for (const ArchiveUnit& unit : listing.units) EXPECT_EQ(unit.input, 3u) << c.name;
    }
}

// The file listing and the stream reader cut where the in-memory cutter does, across the
// reading windows of a large file, and the ranges read back are the file's bytes.
TEST(MboxFile, RangesMatchTheMemoryCut) {
    TempFolder temp;
    const std::string mbox = sampleMbox(400);
    ASSERT_GT(mbox.size(), 3u * 64 * 1024) << "the sample must span several reading windows";
    const std::string path = temp.file("box");
    writeFile(path, mbox);
    for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{100}, std::size_t{4096},
                                    std::size_t{65533}, std::size_t{65536}, std::size_t{100000}, mbox.size(),
                                    mbox.size() * 2}) {
        const std::vector<std::size_t> want = cutMboxRanges(mbox, chunk);
        const ArchiveListing listing = listArchiveUnits(path, 0, chunk);
        ASSERT_TRUE(listing.error.empty()) << listing.error;
        EXPECT_EQ(listing.kind, ArchiveKind::mbox);
        EXPECT_EQ(listing.bytes, static_cast<long long>(mbox.size())) << "chunk " << chunk;
        std::vector<std::size_t> got;
        std::string bytes, error, whole;
        for (const ArchiveUnit& unit : listing.units) {
            got.push_back(static_cast<std::size_t>(unit.offset));
            ASSERT_TRUE(readArchiveUnit(unit, bytes, error)) << error;
            EXPECT_EQ(bytes.size(), static_cast<std::size_t>(unit.size));
            whole += bytes;
        }
        EXPECT_EQ(got, want) << "file ranges at chunk " << chunk;
        EXPECT_TRUE(whole == mbox) << "ranges at chunk " << chunk << " do not read back the file";

        std::FILE* stream = std::fopen(path.c_str(), "rb");
        ASSERT_NE(stream, nullptr);
        std::vector<std::size_t> blocks;
        std::string streamed;
        const bool read = readMboxStream(stream, chunk, [&](long long offset, std::string_view block) {
            blocks.push_back(static_cast<std::size_t>(offset));
            EXPECT_EQ(static_cast<std::size_t>(offset), streamed.size());
            streamed.append(block);
            return true;
        });
        std::fclose(stream);
        EXPECT_TRUE(read);
        EXPECT_EQ(blocks, want) << "stream blocks at chunk " << chunk;
        EXPECT_TRUE(streamed == mbox) << "stream blocks at chunk " << chunk << " do not join to the input";
    }
}

TEST(MboxFile, MessagesOfTheRangesEqualTheWhole) {
    const std::string mbox = sampleMbox(40);
    std::vector<std::pair<long long, std::string>> want;
    std::string scratch;
    forEachMboxMessage(mbox, 0, scratch, [&](long long offset, std::string_view message) {
        want.emplace_back(offset, std::string(message));
    });
    ASSERT_EQ(want.size(), 40u);
    for (std::size_t chunk = 1; chunk <= mbox.size(); chunk += chunk < 64 ? 1 : chunk / 8) {
        std::vector<std::pair<long long, std::string>> got;
        const std::vector<std::size_t> starts = cutMboxRanges(mbox, chunk);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            const std::size_t end = i + 1 < starts.size() ? starts[i + 1] : mbox.size();
            forEachMboxMessage(std::string_view(mbox).substr(starts[i], end - starts[i]),
                               static_cast<long long>(starts[i]), scratch,
                               [&](long long offset, std::string_view message) {
                                   got.emplace_back(offset, std::string(message));
                               });
        }
        EXPECT_TRUE(got == want) << "chunk " << chunk << ": got " << got.size() << " messages, want " << want.size();
    }
}

TEST(MboxFile, ShrunkFileIsAnErrorWhenRead) {
    TempFolder temp;
    const std::string path = temp.file("box");
    writeFile(path, "From a\nx\n\nFrom b\ny\n");
    const ArchiveListing listing = listArchiveUnits(path, 0, 1);
    ASSERT_EQ(listing.units.size(), 2u);
    writeFile(path, "From a\n");
    std::string bytes, error;
    EXPECT_FALSE(readArchiveUnit(listing.units[1], bytes, error)) << "got " << shown(bytes);
    EXPECT_FALSE(error.empty());
    fs::remove(path);
    EXPECT_FALSE(readArchiveUnit(listing.units[0], bytes, error)) << "a removed file was read";
}

TEST(Maildir, OrderAndWhatIsLeftOut) {
    KODRA_POSIX_ONLY("symbolic links");
    TempFolder temp;
    const fs::path root = temp.path() / "mail";
    for (const char* part : {"cur", "new", "tmp"}) fs::create_directories(root / part);
    writeFile((root / "new" / "2").string(), "new 2");
    writeFile((root / "new" / "10").string(), "new 10");
    writeFile((root / "cur" / "b:2,S").string(), "cur b");
    writeFile((root / "cur" / "B:2,S").string(), "cur B");
    writeFile((root / "cur" / "a:2,").string(), "cur a");
    writeFile((root / "cur" / ".hidden").string(), "hidden");
    writeFile((root / "tmp" / "partial").string(), "tmp");
    fs::create_directories(root / "cur" / "folder");
    writeFile((root / "cur" / "folder" / "inner").string(), "not a Maildir message");
    writeFile((temp.path() / "outside").string(), "outside");
    fs::create_symlink(temp.path() / "outside", root / "cur" / "link");
    writeFile((root / "top").string(), "beside cur");

    const ArchiveListing listing = listArchiveUnits(root.string(), 0, 0);
    ASSERT_TRUE(listing.error.empty()) << listing.error;
    EXPECT_EQ(listing.kind, ArchiveKind::maildir);
    const std::vector<std::string> want = {"cur/B:2,S", "cur/a:2,", "cur/b:2,S", "new/10", "new/2"};
    EXPECT_EQ(namesOf(listing), want) << "got " << joined(namesOf(listing)) << ", want " << joined(want);
    EXPECT_EQ(listing.bytes, 5 * 5 + 1) << "sizes of the listed files";
    std::string bytes, error;
    ASSERT_FALSE(listing.units.empty());
    ASSERT_TRUE(readArchiveUnit(listing.units[0], bytes, error)) << error;
    EXPECT_EQ(bytes, "cur B");
}

TEST(Maildir, UnreadableFileIsAnErrorUnit) {
    KODRA_POSIX_ONLY("file permissions");
    if (testing::writesThroughPermissions()) GTEST_SKIP() << "permissions do not bind this user";
    TempFolder temp;
    const fs::path root = temp.path() / "mail";
    fs::create_directories(root / "cur");
    writeFile((root / "cur" / "a").string(), "a");
    writeFile((root / "cur" / "b").string(), "b");
    fs::permissions(root / "cur" / "a", fs::perms::none);
    const ArchiveListing listing = listArchiveUnits(root.string(), 0, 0);
    const std::vector<std::string> want = {"cur/a!", "cur/b"};
    EXPECT_EQ(namesOf(listing), want) << "got " << joined(namesOf(listing)) << ", want " << joined(want);
    std::string bytes, error;
    ASSERT_EQ(listing.units.size(), 2u);
    EXPECT_FALSE(readArchiveUnit(listing.units[0], bytes, error));
    EXPECT_EQ(error, listing.units[0].error);
}

TEST(Folders, RecursiveSortedLinksNotFollowed) {
    KODRA_POSIX_ONLY("symbolic links");
    TempFolder temp;
    const fs::path root = temp.path() / "tree";
    fs::create_directories(root / "b" / "deep");
    fs::create_directories(root / "a");
    fs::create_directories(root / ".git");
    writeFile((root / "z.eml").string(), "z");
    writeFile((root / "a" / "1.eml").string(), "1");
    writeFile((root / "b" / "deep" / "x").string(), "x");
    writeFile((root / "b" / "c").string(), "c");
    writeFile((root / ".git" / "config").string(), "hidden");
    fs::create_directory_symlink(root / "a", root / "linked-folder");
    fs::create_symlink(root / "z.eml", root / "linked-file");

    const ArchiveListing listing = listArchiveUnits(root.string(), 1, 0);
    ASSERT_TRUE(listing.error.empty()) << listing.error;
    EXPECT_EQ(listing.kind, ArchiveKind::folder);
    const std::vector<std::string> want = {"a/1.eml", "b/c", "b/deep/x", "z.eml"};
    EXPECT_EQ(namesOf(listing), want) << "got " << joined(namesOf(listing)) << ", want " << joined(want);
    for (const ArchiveUnit& unit : listing.units) {
        EXPECT_EQ(unit.kind, ArchiveKind::folder) << unit.file;
        EXPECT_EQ(unit.size, 1) << unit.file;
    }
}

TEST(Folders, InputReachedThroughALink) {
    KODRA_POSIX_ONLY("symbolic links");
    TempFolder temp;
    fs::create_directories(temp.path() / "tree");
    writeFile(temp.file("tree/m"), "m");
    writeFile(temp.file("box"), "From a\nx\n");
    fs::create_directory_symlink(temp.path() / "tree", temp.path() / "tree-link");
    fs::create_symlink(temp.path() / "box", temp.path() / "box-link");
    const ArchiveListing folder = listArchiveUnits(temp.file("tree-link"), 0, 0);
    EXPECT_EQ(folder.kind, ArchiveKind::folder);
    EXPECT_EQ(namesOf(folder), std::vector<std::string>{"m"});
    const ArchiveListing box = listArchiveUnits(temp.file("box-link"), 0, 0);
    EXPECT_EQ(box.kind, ArchiveKind::mbox);
    EXPECT_EQ(box.units.size(), 1u);
}

}  // namespace
}  // namespace kodra
