// The classic exports' text: paths and names in the ANSI code page on Windows (Wine's
// default is 1252), UTF-8 inside the library and on the file system's Unicode names; on
// POSIX the conversions are identities. Each row says what the caller sees on either system.
#include "kodra32.h"
#include "platform/classic_text.h"
#include "platform/platform.h"
#include "support/scripted_user_interface.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

namespace kodra::platform {
namespace {

namespace fs = std::filesystem;
using kodra::testing::ScriptedUserInterface;
using kodra::testing::TempFolder;

// The rows below spell the ANSI side in code page 1252.
bool ansiIs1252() {
#ifdef _WIN32
    return GetACP() == 1252 && AreFileApisANSI();
#else
    return true;
#endif
}

#define REQUIRE_1252() \
    if (!ansiIs1252()) GTEST_SKIP() << "the rows spell the ANSI side in code page 1252"

// What a classic caller passes or gets for a text: its 1252 bytes on Windows, UTF-8 on POSIX.
std::string callerText(const std::string& utf8, const std::string& cp1252) {
    return kClassicTextIsUtf8 ? utf8 : cp1252;
}

struct ToAnsiRow {
    const char* label;
    std::string utf8;
    std::string cp1252;  // what Windows gives
};

class Utf8ToAnsiTest : public ::testing::TestWithParam<ToAnsiRow> {};

TEST_P(Utf8ToAnsiTest, GivesTheCodePageFormOrUnderscores) {
    REQUIRE_1252();
    const ToAnsiRow& row = GetParam();
    std::string got;
    ASSERT_TRUE(utf8ToAnsi(row.utf8, got));
    const std::string want = callerText(row.utf8, row.cp1252);
    EXPECT_EQ(got, want) << "got " << ::testing::PrintToString(got) << ", want " << ::testing::PrintToString(want);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Utf8ToAnsiTest,
    ::testing::Values(ToAnsiRow{"Ascii", "report 1.txt", "report 1.txt"},
                      ToAnsiRow{"Empty", "", ""},
                      ToAnsiRow{"LatinAccents", "caf\xC3\xA9 na\xC3\xAFve", "caf\xE9 na\xEFve"},
                      ToAnsiRow{"EuroSign", "\xE2\x82\xAC", "\x80"},
                      ToAnsiRow{"CyrillicHasNoForm", "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt", "_____.txt"},
                      ToAnsiRow{"CjkHasNoForm", "\xE5\xA0\xB1\xE5\x91\x8A.pdf", "__.pdf"},
                      ToAnsiRow{"EmojiIsOneCharacter", "\xF0\x9F\x93\x8E.txt", "_.txt"},
                      // No best fit: "l" for U+0142 would be a look-alike, "/" for U+FF0F a separator.
                      ToAnsiRow{"NoLookAlike", "\xC5\x82\xC3\xB3" "d\xC5\xBA", "_\xF3" "d_"},
                      ToAnsiRow{"FullwidthSolidusIsNoSeparator", "a\xEF\xBC\x8F" "b", "a_b"},
                      ToAnsiRow{"FullwidthFullStopIsNoDot", "a\xEF\xBC\x8E" "b", "a_b"},
                      ToAnsiRow{"StrayByteIsUnderscore", "caf\xE9.txt", "caf_.txt"},
                      ToAnsiRow{"QuestionMarkOnlyWhereItWas", "why?", "why?"}),
    [](const ::testing::TestParamInfo<ToAnsiRow>& row) { return std::string(row.param.label); });

struct ToUtf8Row {
    const char* label;
    std::string cp1252;
    std::string utf8;
};

class AnsiToUtf8Test : public ::testing::TestWithParam<ToUtf8Row> {};

TEST_P(AnsiToUtf8Test, GivesUtf8) {
    REQUIRE_1252();
    const ToUtf8Row& row = GetParam();
    std::string got;
    ASSERT_TRUE(ansiToUtf8(row.cp1252, got));
    // On POSIX the caller's text is taken as it is.
    const std::string want = kClassicTextIsUtf8 ? row.cp1252 : row.utf8;
    EXPECT_EQ(got, want) << "got " << ::testing::PrintToString(got) << ", want " << ::testing::PrintToString(want);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, AnsiToUtf8Test,
    ::testing::Values(ToUtf8Row{"Ascii", "C:\\mail\\report.txt", "C:\\mail\\report.txt"},
                      ToUtf8Row{"Empty", "", ""},
                      ToUtf8Row{"LatinAccents", "r\xE9sum\xE9 \xC0 \xFF", "r\xC3\xA9sum\xC3\xA9 \xC3\x80 \xC3\xBF"},
                      ToUtf8Row{"EuroSign", "\x80", "\xE2\x82\xAC"}),
    [](const ::testing::TestParamInfo<ToUtf8Row>& row) { return std::string(row.param.label); });

// ---- The exports ---------------------------------------------------------------------

const std::string kReport = "\xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82.txt";  // Отчёт.txt
const std::string kResume = "r\xC3\xA9sum\xC3\xA9.bin";                       // résumé.bin
const std::string kMessage = "caf\xC3\xA9.txt";                               // café.txt

// Two UU parts whose begin lines carry UTF-8 names, taken as they are.
const std::string kTwoParts =
    "begin 644 " + kReport + "\r\n-:&5L;&\\L('=O<FQD\"@``\r\n`\r\nend\r\n\r\n"
    "begin 644 " + kResume + "\r\n+<V5C;VYD('!A<G0`\r\n`\r\nend\r\n";

class ClassicAnsiPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        REQUIRE_1252();
        const std::string root = folder_.path().u8string();
        ASSERT_TRUE(std::all_of(root.begin(), root.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
            << "the temporary folder's own path must be ASCII: " << root;
    }

    // The UTF-8 path of name in the folder, and the same path as a classic caller spells it.
    std::string utf8Path(const std::string& name) const {
        return folder_.path().u8string() + static_cast<char>(fs::path::preferred_separator) + name;
    }
    std::string callerPath(const std::string& utf8Name, const std::string& cp1252Name) const {
        return utf8Path(callerText(utf8Name, cp1252Name));
    }
    void write(const std::string& utf8Name, const std::string& bytes) const {
        std::ofstream(fs::u8path(utf8Path(utf8Name)), std::ios::binary) << bytes;
    }
    std::string read(const std::string& utf8Name) const {
        std::ifstream in(fs::u8path(utf8Path(utf8Name)), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // What the file system holds, each name as UTF-8.
    std::set<std::string> names() const {
        std::set<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder_.path())) found.insert(entry.path().filename().u8string());
        return found;
    }

    TempFolder folder_;
};

TEST_F(ClassicAnsiPathTest, DecodeFileWritesUnicodeNames) {
    write(kMessage, kTwoParts);
    const std::string message = callerPath(kMessage, "caf\xE9.txt");
    EXPECT_EQ(DecodeFile(message.c_str(), "", 3), KODRA_UUENCODE);
    EXPECT_EQ(names(), (std::set<std::string>{kMessage, kReport, kResume}));
    EXPECT_EQ(read(kReport), "hello, world\n");
    EXPECT_EQ(read(kResume), "second part");
}

TEST_F(ClassicAnsiPathTest, ListedNamesComeInTheCodePage) {
    write(kMessage, kTwoParts);
    const std::string message = callerPath(kMessage, "caf\xE9.txt");
    ASSERT_EQ(GetNumFilesToDecode(message.c_str()), 2);
    const std::string want[] = {callerPath(kReport, "_____.txt"), callerPath(kResume, "r\xE9sum\xE9.bin")};
    for (int i = 0; i < 2; ++i) {
        char entry[1024] = "untouched";
        ASSERT_EQ(GetEncodedFile(entry, i), 1) << "entry " << i;
        EXPECT_EQ(std::string(entry), want[i]) << "entry " << i;
    }
    char entry[1024] = "untouched";
    EXPECT_EQ(GetEncodedFile(entry, 2), 0);
    EXPECT_STREQ(entry, "untouched");
}

TEST_F(ClassicAnsiPathTest, GivenNamesInTheCodePage) {
    write(kMessage, kTwoParts);
    const std::string message = callerPath(kMessage, "caf\xE9.txt");
    const std::string given = callerPath("premi\xC3\xA8re.txt", "premi\xE8re.txt") + ";" +
                              callerPath("\xE2\x82\xAC" "2.bin", "\x80" "2.bin");
    EXPECT_EQ(DecodeFile(message.c_str(), given.c_str(), 1), KODRA_UUENCODE);
    EXPECT_EQ(read("premi\xC3\xA8re.txt"), "hello, world\n");
    EXPECT_EQ(read("\xE2\x82\xAC" "2.bin"), "second part");
}

TEST_F(ClassicAnsiPathTest, PromptsAndChooserSpeakTheCodePage) {
    write(kMessage, kTwoParts);
    // "No" to the first part opens the chooser; the host picks a name in its code page.
    ScriptedUserInterface ui({KODRA_IDNO, KODRA_IDCANCEL}, {callerPath("choisi-\xC3\xA9.bin", "choisi-\xE9.bin")});
    const std::string message = callerPath(kMessage, "caf\xE9.txt");
    DecodeFile(message.c_str(), "", 0);
    ASSERT_GE(ui.prompts.size(), 1u);
    const std::string want = "Decode file " + callerPath(kReport, "_____.txt") + "?";
    EXPECT_EQ(ui.prompts[0].text, want);
    ASSERT_EQ(ui.chooserProposals.size(), 1u);
    EXPECT_EQ(ui.chooserProposals[0], callerPath(kReport, "_____.txt"));
    EXPECT_EQ(read("choisi-\xC3\xA9.bin"), "hello, world\n");
}

TEST_F(ClassicAnsiPathTest, UniqueSplitAndJoinHandBackTheCodePage) {
    write(kMessage, "0123456789");
    char path[260] = {};
    std::string unique = callerPath(kMessage, "caf\xE9.txt");
    unique.copy(path, sizeof path - 1);
    EXPECT_EQ(GetUniqueFileName(path), 0);
    EXPECT_EQ(std::string(path), callerPath("caf\xC3\xA9" "1.txt", "caf\xE9" "1.txt"));

    std::memset(path, 0, sizeof path);
    callerPath(kMessage, "caf\xE9.txt").copy(path, sizeof path - 1);
    ASSERT_EQ(SplitFile(path, 4), 1);
    EXPECT_EQ(std::string(path), callerPath("caf\xC3\xA9" "3.txt", "caf\xE9" "3.txt"));
    EXPECT_EQ(read("caf\xC3\xA9" "2.txt"), "4567");

    std::memset(path, 0, sizeof path);
    callerPath("caf\xC3\xA9" "1.txt", "caf\xE9" "1.txt").copy(path, sizeof path - 1);
    ASSERT_EQ(ConcatenateRelated(1, path), 1);
    EXPECT_EQ(std::string(path), callerPath("caf\xC3\xA9" "4.txt", "caf\xE9" "4.txt"));
    EXPECT_EQ(read("caf\xC3\xA9" "1.txt"), "0123456789");
    EXPECT_EQ(names(), (std::set<std::string>{kMessage, "caf\xC3\xA9" "1.txt"}));

    // A call that changes nothing leaves the caller's buffer as it was.
    std::memset(path, 0, sizeof path);
    const std::string missing = callerPath("absent-\xC3\xA9.txt", "absent-\xE9.txt");
    missing.copy(path, sizeof path - 1);
    EXPECT_EQ(SplitFile(path, 4), 0);
    EXPECT_EQ(std::string(path), missing);
}

TEST_F(ClassicAnsiPathTest, EncoderAndMessageReadersTakeTheCodePage) {
    write(kResume, "binary bytes");
    const std::string source = callerPath(kResume, "r\xE9sum\xE9.bin");
    const std::string output = callerPath("envoi-\xC3\xA9.txt", "envoi-\xE9.txt");
    ASSERT_EQ(EncodeFile(source.c_str(), output.c_str(), "b", KODRA_BASE64, 0), 1);
    EXPECT_EQ(FinishAttachments(output.c_str()), 0);
    // The part carries the name as the library holds it: UTF-8, as on POSIX.
    const std::string encoded = read("envoi-\xC3\xA9.txt");
    EXPECT_NE(encoded.find(kResume), std::string::npos) << "got " << encoded;

    write(kMessage, "Subject: caf\xC3\xA9\r\nFrom: a@b\r\n\r\nbody text\r\n");
    const std::string message = callerPath(kMessage, "caf\xE9.txt");
    char subject[64] = {};
    ASSERT_EQ(GetMessageHeaderField(message.c_str(), subject, sizeof subject, 3), 1);
    EXPECT_STREQ(subject, "caf\xC3\xA9") << "header values are returned as read";
    MessageInfoRecord record;
    ASSERT_EQ(GetMessageInfo(message.c_str(), &record), 1);
    EXPECT_STREQ(record.from, "a@b");
    FreeMessageInfo(&record);

    const std::string target = callerPath("texte-\xC3\xA9.txt", "texte-\xE9.txt");
    EXPECT_EQ(GetMessageText(message.c_str(), target.c_str()), 5);
    EXPECT_NE(read("texte-\xC3\xA9.txt").find("body text"), std::string::npos);
}

// A null buffer stays null, and a path the library left as it was is not written back.
TEST(Utf8PathBuffer, NullAndUnchangedPaths) {
    Utf8PathBuffer none(nullptr);
    EXPECT_FALSE(none.failed());
    EXPECT_EQ(none.get(), nullptr);
    none.handBack();

    char path[260] = "C:\\mail\\report.txt";
    Utf8PathBuffer same(path);
    ASSERT_FALSE(same.failed());
    ASSERT_NE(same.get(), nullptr);
    EXPECT_STREQ(same.get(), "C:\\mail\\report.txt");
    same.handBack();
    EXPECT_STREQ(path, "C:\\mail\\report.txt");
}

}  // namespace
}  // namespace kodra::platform
