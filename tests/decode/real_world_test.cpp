// Messages in the forms today's mail clients write (real_world/messages, made by
// real_world/make_fixtures.py): a folder decode of each must write exactly the listed
// files, under their UTF-8 names, with exactly the listed bytes.
#include "kodra32.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#ifndef KODRA_REAL_WORLD_DIR
#error "KODRA_REAL_WORLD_DIR must name the fixture folder"
#endif

namespace kodra::testing {
namespace {

namespace fs = std::filesystem;

// One row per fixture: the stem of messages/<name>.eml and of expected/<name>/.
constexpr const char* kFixtures[] = {
    "apple_mail",       "outlook",       "thunderbird",   "gmail",           "ios_photos",
    "android_names",    "signed",        "forwarded",     "long_lines",      "mac_cr",
    "eight_bit_binary", "text_parts_lf", "text_parts_crlf", "uu_without_name", "binhex_indented",
};

const fs::path& fixtureFolder() {
    static const fs::path folder(KODRA_REAL_WORLD_DIR);
    return folder;
}

struct ExpectedFile {
    std::string content;
    bool text = false;  // a text section: its line ends follow the platform on Windows
};

using Files = std::map<std::string, std::string>;  // UTF-8 name -> bytes

// The lone LFs of text made CR LF, as Windows writes a text section's line ends.
std::string withCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

// Reads expected/<row>/names.txt: "<stored file>\t<bytes|text>\t<UTF-8 name>" per line.
// A malformed listing adds a failure and yields what could be read.
std::map<std::string, ExpectedFile> readExpected(const std::string& row) {
    std::map<std::string, ExpectedFile> files;
    const fs::path folder = fixtureFolder() / "expected" / row;
    std::istringstream listing(readFile((folder / "names.txt").string()));
    std::string line;
    int number = 0;
    while (std::getline(listing, line)) {
        ++number;
        const std::size_t first = line.find('\t');
        const std::size_t second = first == std::string::npos ? first : line.find('\t', first + 1);
        if (second == std::string::npos) {
            ADD_FAILURE() << row << "/names.txt line " << number << ": got \"" << line
                          << "\", want file, kind and name separated by tabs";
            continue;
        }
        const std::string stored = line.substr(0, first);
        const std::string kind = line.substr(first + 1, second - first - 1);
        EXPECT_TRUE(kind == "bytes" || kind == "text") << row << "/names.txt line " << number << ": kind " << kind;
        EXPECT_TRUE(fs::is_regular_file(folder / stored)) << row << "/names.txt line " << number << ": no file " << stored;
        ExpectedFile& file = files[line.substr(second + 1)];
        file.content = readFile((folder / stored).string());
        file.text = kind == "text";
    }
    EXPECT_FALSE(files.empty()) << "no expected files for " << row;
    return files;
}

// The bytes of the file at path, reached by its Unicode name on every system.
std::string readPath(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every file directly in folder, by its UTF-8 name.
Files filesIn(const fs::path& folder) {
    Files files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().u8string()] = readPath(entry.path());
    return files;
}

std::string namesOf(const Files& files) {
    std::string out;
    for (const auto& file : files) out += (out.empty() ? "\"" : ", \"") + file.first + "\"";
    return "{" + out + "}";
}

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};

class RealWorldTest : public ::testing::TestWithParam<const char*> {};

TEST_P(RealWorldTest, DecodeWritesEveryFileBitExactUnderItsName) {
    const std::string row = GetParam();
    const std::map<std::string, ExpectedFile> expected = readExpected(row);
    Files want;
    for (const auto& [name, file] : expected) {
#ifdef _WIN32
        want[name] = file.text ? withCrLf(file.content) : file.content;
#else
        want[name] = file.content;
#endif
    }

    // The message is copied into a folder of its own, the outputs go to another.
    TempFolder inputs, outputs;
    const std::string message = readFile((fixtureFolder() / "messages" / (row + ".eml")).string());
    ASSERT_FALSE(message.empty()) << "messages/" << row << ".eml could not be read";
    writeFile(inputs.file("message.eml"), message);
    std::unique_ptr<KodraContext, ContextCloser> context(KodraOpenContext());
    ASSERT_NE(context, nullptr);
    KodraDecodeFileTo(context.get(), inputs.file("message.eml").c_str(), outputs.path().string().c_str());

    const Files got = filesIn(outputs.path());
    EXPECT_EQ(inputs.names(), std::set<std::string>{"message.eml"}) << "the decode wrote beside its input";
    EXPECT_EQ(readFile(inputs.file("message.eml")), message) << "the decode changed its input";
    EXPECT_EQ(namesOf(got), namesOf(want)) << "got the names on the left, want those on the right";
    for (const auto& [name, content] : want) {
        const auto found = got.find(name);
        if (found == got.end()) continue;  // reported with the names
        EXPECT_TRUE(sameBytes(found->second, content)) << "file \"" << name << "\"";
    }
}

std::string rowName(const ::testing::TestParamInfo<const char*>& info) { return info.param; }

INSTANTIATE_TEST_SUITE_P(Fixtures, RealWorldTest, ::testing::ValuesIn(kFixtures), rowName);

// Every fixture on disk has its row, every row its fixture, and every known failure is a row.
TEST(RealWorldFixtures, RowsMatchTheFixtureFolder) {
    std::set<std::string> rows(std::begin(kFixtures), std::end(kFixtures));
    std::set<std::string> messages, expected;
    for (const auto& entry : fs::directory_iterator(fixtureFolder() / "messages"))
        if (entry.path().extension() == ".eml") messages.insert(entry.path().stem().string());
    for (const auto& entry : fs::directory_iterator(fixtureFolder() / "expected"))
        if (entry.is_directory()) expected.insert(entry.path().filename().string());
    EXPECT_EQ(messages, rows) << "got the messages on the left, want one per row";
    EXPECT_EQ(expected, rows) << "got the expected folders on the left, want one per row";
}

// The listing reader and the line-end rule the Windows rows use.
TEST(RealWorldFixtures, TextLineEndsBecomeCrLf) {
    struct Case {
        const char* name;
        std::string text;
        std::string want;
    };
    const Case cases[] = {
        {"lf", "a\nb\n", "a\r\nb\r\n"},
        {"crlf_kept", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"mixed", "a\r\nb\nc", "a\r\nb\r\nc"},
        {"leading_lf", "\nx", "\r\nx"},
        {"lone_cr_kept", "a\rb", "a\rb"},
        {"empty", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(withCrLf(c.text), c.want) << c.name << ": got the left, want the right";
}

}  // namespace
}  // namespace kodra::testing
