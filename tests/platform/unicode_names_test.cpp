// File services with names beyond ASCII: every path is UTF-8 inside the library, and on
// Windows the name the file system gets is the same Unicode name (reached through the
// wide-character functions), never its bytes read in some code page.
#include "platform/platform.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace kodra::platform {
namespace {

namespace fs = std::filesystem;
using kodra::testing::TempFolder;

struct NameRow {
    const char* label;
    const char* name;  // UTF-8
};

const NameRow kNames[] = {
    {"Cyrillic", "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt"},                      // Отчёт.txt
    {"CJK", "\xE5\xA0\xB1\xE5\x91\x8A.pdf"},                                            // 報告.pdf
    {"Emoji", "\xF0\x9F\x93\x8E note.txt"},                                             // 📎 note.txt
    {"LatinAccents", "caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9.bin"},                            // café résumé.bin
    {"Mixed", "\xCE\xB1\xCE\xB2\xCE\xB3-\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88.tar.gz"},  // αβγ-テスト.tar.gz
};

// The path of name in folder, as UTF-8 text.
std::string join(const TempFolder& folder, const std::string& name) {
    return folder.path().u8string() + static_cast<char>(fs::path::preferred_separator) + name;
}

// What the file system itself lists in folder, each name as UTF-8.
std::set<std::string> systemNames(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path().filename().u8string());
    return names;
}

void collect(void* context, const char* name) { static_cast<std::set<std::string>*>(context)->insert(name); }

std::set<std::string> listed(const std::string& folder) {
    std::set<std::string> names;
    EXPECT_TRUE(listFolder(folder.c_str(), &collect, &names)) << "listing " << folder;
    return names;
}

std::string readAll(std::FILE* file) {
    std::string bytes;
    char chunk[256];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, got);
    return bytes;
}

class UnicodeNameTest : public ::testing::TestWithParam<NameRow> {};

TEST_P(UnicodeNameTest, CreateListOpenInspectAndDelete) {
    TempFolder folder;
    const std::string name = GetParam().name;
    const std::string path = join(folder, name);

    std::FILE* created = createNewFile(path.c_str());
    ASSERT_NE(created, nullptr) << "createNewFile(" << path << ")";
    FileIdentity identity;
    ASSERT_TRUE(identifyOpenFile(created, identity));
    ASSERT_EQ(std::fwrite("first", 1, 5, created), 5u);
    ASSERT_EQ(std::fclose(created), 0);

    // The file system holds the Unicode name itself, and the library lists it as UTF-8.
    EXPECT_EQ(systemNames(folder.path()), std::set<std::string>{name});
    EXPECT_EQ(listed(folder.path().u8string()), std::set<std::string>{name});
    EXPECT_TRUE(pathExists(path.c_str()));
    EXPECT_EQ(createNewFile(path.c_str()), nullptr) << "a second createNewFile must be refused";

    PathInfo info;
    ASSERT_TRUE(inspectPath(path.c_str(), info));
    EXPECT_EQ(info.kind, PathKind::regularFile);
    EXPECT_EQ(info.size, 5u);
    EXPECT_EQ(info.identity, identity);
    Ticks modified = 0;
    EXPECT_TRUE(lastModified(path.c_str(), modified));
    EXPECT_GT(modified, 0);
    EXPECT_TRUE(isReplaceableOutput(path.c_str(), nullptr));
    EXPECT_FALSE(isReplaceableOutput(path.c_str(), &identity)) << "an input is never an output";

    const OutputFile appended = openOutput(path.c_str(), OutputMode::append);
    ASSERT_NE(appended.file, nullptr);
    EXPECT_FALSE(appended.created);
    EXPECT_EQ(appended.identity, identity);
    ASSERT_EQ(std::fwrite(" second", 1, 7, appended.file), 7u);
    ASSERT_EQ(std::fclose(appended.file), 0);

    FileIdentity opened;
    std::FILE* input = openInputFile(path.c_str(), &opened);
    ASSERT_NE(input, nullptr);
    const std::string got = readAll(input);
    std::fclose(input);
    EXPECT_EQ(got, "first second") << "got " << got << ", want \"first second\"";
    EXPECT_EQ(opened, identity);

    const std::string copy = join(folder, "copy-" + name);
    EXPECT_TRUE(copyFileReplacing(path.c_str(), copy.c_str()));
    EXPECT_EQ(systemNames(folder.path()), (std::set<std::string>{name, "copy-" + name}));
    EXPECT_TRUE(makeWritable(copy.c_str()));
    EXPECT_TRUE(deleteFile(copy.c_str()));

    EXPECT_TRUE(deleteCreatedFile(path.c_str(), identity));
    EXPECT_FALSE(pathExists(path.c_str()));
    EXPECT_EQ(systemNames(folder.path()), std::set<std::string>{});
}

TEST_P(UnicodeNameTest, FoldersAndOutputsInThem) {
    TempFolder folder;
    const std::string name = GetParam().name;
    const std::string nested = join(folder, name) + "/" + name;
    ASSERT_TRUE(makeFolders(nested.c_str())) << "makeFolders(" << nested << ")";
    EXPECT_TRUE(canWriteInFolder(nested.c_str()));
    PathInfo info;
    ASSERT_TRUE(inspectPath(nested.c_str(), info));
    EXPECT_EQ(info.kind, PathKind::folder);
    EXPECT_TRUE(fs::is_directory(fs::u8path(nested)));

    const std::string output = nested + "/" + name;
    const OutputFile replaced = openOutput(output.c_str(), OutputMode::replace);
    ASSERT_NE(replaced.file, nullptr);
    EXPECT_TRUE(replaced.created);
    std::fclose(replaced.file);
    EXPECT_EQ(openOutput(output.c_str(), OutputMode::createNew).file, nullptr) << "createNew over a file";
    EXPECT_EQ(listed(nested), std::set<std::string>{name});

    std::string pattern = join(folder, name) + "/tmp-" + name + "-XXXXXX";
    const std::string before = pattern;
    ASSERT_TRUE(createPrivateFolder(&pattern[0]));
    EXPECT_EQ(pattern.compare(0, before.size() - 6, before, 0, before.size() - 6), 0)
        << "got " << pattern << ", want the pattern's start kept";
    EXPECT_TRUE(fs::is_directory(fs::u8path(pattern)));
    EXPECT_TRUE(removeEmptyFolder(pattern.c_str()));
    EXPECT_FALSE(fs::exists(fs::u8path(pattern)));
}

TEST_P(UnicodeNameTest, CurrentFolderIsUtf8) {
    TempFolder folder;
    const std::string inside = join(folder, GetParam().name);
    ASSERT_TRUE(makeFolders(inside.c_str()));
    const fs::path saved = fs::current_path();
    fs::current_path(fs::u8path(inside));
    char here[kMaxPath * 4];
    const bool told = currentFolder(here, sizeof here);
    fs::current_path(saved);
    ASSERT_TRUE(told);
    // Compared as the system spells the folder (temporary folders may be reached through
    // another name); what matters is that the UTF-8 text names this folder.
    EXPECT_TRUE(fs::equivalent(fs::u8path(here), fs::u8path(inside))) << "got " << here << ", want " << inside;
    const std::string got = here;
    EXPECT_EQ(got.substr(got.size() - std::strlen(GetParam().name)), GetParam().name) << "got " << got;
    char tiny[4];
    EXPECT_FALSE(currentFolder(tiny, sizeof tiny)) << "a folder that does not fit";
}

INSTANTIATE_TEST_SUITE_P(Names, UnicodeNameTest, ::testing::ValuesIn(kNames),
                         [](const ::testing::TestParamInfo<NameRow>& row) { return std::string(row.param.label); });

// Bytes that are not UTF-8 name nothing on Windows, where paths reach the wide functions:
// every service refuses them and nothing is created under some other name. On POSIX they
// are a file name like any other.
TEST(UnicodeNames, BytesThatAreNotUtf8) {
    TempFolder folder;
    const std::string path = join(folder, "caf\xE9.txt");
#ifdef _WIN32
    EXPECT_EQ(createNewFile(path.c_str()), nullptr);
    EXPECT_EQ(openOutput(path.c_str(), OutputMode::replace).file, nullptr);
    EXPECT_EQ(openOutputFile(path.c_str(), nullptr), nullptr);
    EXPECT_FALSE(isReplaceableOutput(path.c_str(), nullptr));
    EXPECT_FALSE(pathExists(path.c_str()));
    EXPECT_EQ(openInputFile(path.c_str()), nullptr);
    EXPECT_FALSE(makeFolders((path + "/sub").c_str()));
    PathInfo info;
    EXPECT_FALSE(inspectPath(path.c_str(), info));
    EXPECT_FALSE(deleteFile(path.c_str()));
    EXPECT_EQ(systemNames(folder.path()), std::set<std::string>{});
#else
    std::FILE* created = createNewFile(path.c_str());
    ASSERT_NE(created, nullptr);
    std::fclose(created);
    EXPECT_TRUE(pathExists(path.c_str()));
    EXPECT_EQ(listed(folder.path().u8string()), std::set<std::string>{"caf\xE9.txt"});
#endif
}

}  // namespace
}  // namespace kodra::platform
