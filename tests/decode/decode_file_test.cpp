#include "decode/decode_file.h"
#include "decode_test_messages.h"
#include "kodra32.h"
#include "platform/platform.h"
#include "support/scripted_user_interface.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>

namespace kodra::testing {
namespace {

namespace fs = std::filesystem;

const std::string kPayloadA = binaryPayload(1000, 1);
const std::string kPayloadB = binaryPayload(777, 2);

// ---- Questions and messages, prompt by prompt ------------------------------------

struct PromptCase {
    const char* name;
    int mode;
    std::deque<int> answers;
    std::deque<std::string> chosen;  // names in the folder picked in the save chooser
    bool outputExists;               // a.bin is there before the decode
    std::vector<Prompt> (*wantPrompts)(const TempFolder&);
    int wantResult;
    std::set<std::string> wantFiles;  // besides msg.txt
};

std::string twoSections() { return "Hello\r\n\r\n" + uuSection("a.bin", kPayloadA) + "\r\n" + uuSection("b.bin", kPayloadB); }

class DecodePromptsTest : public ::testing::TestWithParam<PromptCase> {};

TEST_P(DecodePromptsTest, AsksInOrder) {
    const PromptCase& c = GetParam();
    TempFolder folder;
    writeFile(folder.file("msg.txt"), twoSections());
    if (c.outputExists) writeFile(folder.file("a.bin"), "old");
    std::deque<std::string> chosen;
    for (const std::string& name : c.chosen) chosen.push_back(folder.file(name));
    ScriptedUserInterface ui(c.answers, chosen);
    const int result = DecodeFile(folder.file("msg.txt").c_str(), "", c.mode);
    EXPECT_EQ(result, c.wantResult);
    EXPECT_EQ(ui.prompts, c.wantPrompts(folder));
    std::set<std::string> files = folder.names();
    files.erase("msg.txt");
    EXPECT_EQ(files, c.wantFiles);
}

Prompt ask(const TempFolder& f, const char* name) { return {"Decode file " + f.file(name) + "?", "Kodra DLL", KODRA_MB_YESNOCANCEL}; }
Prompt exists(const TempFolder& f, const char* name) {
    return {"File " + f.file(name) + " exists.  \nOverwite?", "Kodra DLL", KODRA_MB_YESNO};
}
Prompt decoded(const TempFolder& f, const char* name) { return {"File " + f.file(name) + " was decoded", "Kodra DLL", KODRA_MB_OK}; }

INSTANTIATE_TEST_SUITE_P(
    Modes, DecodePromptsTest,
    ::testing::Values(
        PromptCase{"Mode0YesThenCancel", 0, {KODRA_IDYES, KODRA_IDCANCEL}, {}, false,
                   [](const TempFolder& f) { return std::vector<Prompt>{ask(f, "a.bin"), decoded(f, "a.bin"), ask(f, "b.bin")}; },
                   0, {"a.bin"}},
        PromptCase{"Mode0YesYes", 0, {KODRA_IDYES, KODRA_IDYES}, {}, false,
                   [](const TempFolder& f) {
                       return std::vector<Prompt>{ask(f, "a.bin"), decoded(f, "a.bin"), ask(f, "b.bin"), decoded(f, "b.bin")};
                   },
                   1, {"a.bin", "b.bin"}},
        PromptCase{"Mode0NoThenChooserCancelled", 0, {KODRA_IDNO}, {}, false,
                   [](const TempFolder& f) { return std::vector<Prompt>{ask(f, "a.bin")}; }, 0, {}},
        PromptCase{"Mode0NoThenOtherName", 0, {KODRA_IDNO, KODRA_IDCANCEL}, {"other.bin"}, false,
                   [](const TempFolder& f) {
                       return std::vector<Prompt>{ask(f, "a.bin"), decoded(f, "other.bin"), ask(f, "b.bin")};
                   },
                   0, {"other.bin"}},
        PromptCase{"Mode0OverwriteYes", 0, {KODRA_IDYES, KODRA_IDYES, KODRA_IDCANCEL}, {}, true,
                   [](const TempFolder& f) {
                       return std::vector<Prompt>{ask(f, "a.bin"), exists(f, "a.bin"), decoded(f, "a.bin"), ask(f, "b.bin")};
                   },
                   0, {"a.bin"}},
        PromptCase{"Mode2OverwriteNo", 2, {KODRA_IDNO}, {}, true,
                   [](const TempFolder& f) { return std::vector<Prompt>{exists(f, "a.bin")}; }, 1, {"a.bin", "b.bin"}},
        PromptCase{"Mode1AsksNothing", 1, {}, {}, true, [](const TempFolder&) { return std::vector<Prompt>{}; }, 1,
                   {"a.bin", "b.bin"}}),
    [](const ::testing::TestParamInfo<PromptCase>& row) { return std::string(row.param.name); });

TEST(DecodeFile, Mode2DecliningTheLastSectionGivesZero) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"), uuSection("a.bin", kPayloadA));
    writeFile(folder.file("a.bin"), "old");
    ScriptedUserInterface ui({KODRA_IDNO});
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 2), 0);
    EXPECT_TRUE(sameBytes(readFile(folder.file("a.bin")), "old"));
}

TEST(DecodeFile, NotEncodedIsReportedWithTheInputPath) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"), "Just text.\r\nNothing else.\r\n");
    ScriptedUserInterface ui;
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 0), 0);
    const std::vector<Prompt> want{{"File " + folder.file("msg.txt") + " is not encoded", "Kodra DLL", KODRA_MB_OK}};
    EXPECT_EQ(ui.prompts, want);
}

TEST(DecodeFile, MissingInputGivesZero) {
    TempFolder folder;
    ScriptedUserInterface ui;
    EXPECT_EQ(DecodeFile(folder.file("absent.txt").c_str(), "", 3), 0);
}

// ---- Results and exact outputs, silent --------------------------------------------

struct ResultCase {
    const char* name;
    std::string message;
    int wantResult;
    std::map<std::string, std::string> wantFiles;
};

class DecodeResultTest : public ::testing::TestWithParam<ResultCase> {};

TEST_P(DecodeResultTest, WritesExactFiles) {
    const ResultCase& c = GetParam();
    TempFolder folder;
    writeFile(folder.file("msg.txt"), c.message);
    ScriptedUserInterface ui;
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), nullptr, 3), c.wantResult);
    std::set<std::string> want{"msg.txt"};
    for (const auto& [name, content] : c.wantFiles) {
        want.insert(name);
        EXPECT_TRUE(sameBytes(readFile(folder.file(name)), content)) << "file " << name << " differs";
    }
    EXPECT_EQ(folder.names(), want);
    EXPECT_TRUE(ui.prompts.empty());
}

const std::string kB = "=_kodra_test_boundary_=";

// Base64 lines with the "=" padding left out, the last line end too unless asked for.
std::string unpaddedBase64(const std::string& data, bool lastLineEnd) {
    std::string lines = encodedLines(data, KODRA_BASE64);
    lines.erase(std::remove(lines.begin(), lines.end(), '='), lines.end());
    if (!lastLineEnd) lines.resize(lines.size() - 2);
    return lines;
}

// The same text with every CR LF made CR.
std::string withCrLineEnds(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r')) out += text[i];
    return out;
}
const std::string kText = "Line one\r\nCaf\xE9 line two\r\n";

INSTANTIATE_TEST_SUITE_P(
    Sections, DecodeResultTest,
    ::testing::Values(
        ResultCase{"UUencode", "text\r\n" + uuSection("a.bin", kPayloadA), 1, {{"a.bin", kPayloadA}}},
        ResultCase{"XXencode", uuSection("x.bin", kPayloadA, KODRA_XXENCODE), 4, {{"x.bin", kPayloadA}}},
        ResultCase{"CapitalBegin", "BEGIN 644 c.bin\r\n" + encodedLines(kPayloadB, 1) + "`\r\nend\r\n", 1,
                   {{"c.bin", kPayloadB}}},
        // Legal one-letter boundaries stand inside Base64 data lines; only "--" and the
        // boundary delimit a part.
        ResultCase{"OneLetterBoundary",
                   mimeMessage("b", base64Part("b", "one.bin", kPayloadA) + base64Part("b", "two.bin", kPayloadB)), 2,
                   {{"one.bin", kPayloadA}, {"two.bin", kPayloadB}}},
        ResultCase{"TwoBase64Attachments",
                   mimeMessage("XYZ", base64Part("XYZ", "one.bin", kPayloadA) + base64Part("XYZ", "two.bin", kPayloadB)), 2,
                   {{"one.bin", kPayloadA}, {"two.bin", kPayloadB}}},
        ResultCase{"QuotedPrintableText",
                   mimeMessage(kB, "--" + kB + "\r\nContent-Type: text/plain; name=\"t.txt\"\r\nContent-Transfer-Encoding: "
                                    "quoted-printable\r\n\r\nLine one\r\nCaf=E9 line =\r\ntwo\r\n\r\n"),
                   5, {{"t.txt", kText}}},
        ResultCase{"LfOnlyTextPart",
                   "Content-Type: multipart/mixed; boundary=\"lf-only-boundary\"\n\n--lf-only-boundary\nContent-Type: text/plain; "
                   "name=\"t.txt\"\n\nLine one\nLine two\n\n--lf-only-boundary--\n", 5,
                   {{"t.txt", lfTextAsWritten("Line one\nLine two\n")}}},
        // Classic Mac line ends.
        ResultCase{"CrOnlyBase64Parts",
                   withCrLineEnds(mimeMessage("XYZ", base64Part("XYZ", "one.bin", kPayloadA) +
                                                        base64Part("XYZ", "two.bin", kPayloadB))),
                   2, {{"one.bin", kPayloadA}, {"two.bin", kPayloadB}}},
        ResultCase{"CrOnlyUuencode", withCrLineEnds("text\r\n" + uuSection("a.bin", kPayloadA)), 1,
                   {{"a.bin", kPayloadA}}},
        ResultCase{"CrOnlyTextPart",
                   "Content-Type: multipart/mixed; boundary=\"cr\"\r\r--cr\rContent-Type: text/plain; "
                   "name=\"t.txt\"\r\rLine one\rLine two\r\r--cr--\r", 5,
                   {{"t.txt", platform::kTextInCrLf ? "Line one\r\nLine two\r\n" : "Line one\rLine two\r"}}},
        // 8bit and binary parts are written byte for byte; DecodeFile calls them text.
        ResultCase{"BinaryPart",
                   mimeMessage(kB, "--" + kB + "\r\nContent-Type: application/octet-stream; name=\"b.bin\"\r\n"
                                    "Content-Transfer-Encoding: binary\r\n\r\n" + kPayloadA + "\r\n"),
                   5, {{"b.bin", kPayloadA}}},
        ResultCase{"EightBitTextPartWithLfLines",
                   mimeMessage(kB, "--" + kB + "\r\nContent-Type: text/plain; charset=iso-8859-1; name=\"t.txt\"\r\n"
                                    "Content-Transfer-Encoding: 8bit\r\n\r\nCaf\xE9\nline\rtwo\n\n\r\n"),
                   5, {{"t.txt", "Caf\xE9\nline\rtwo\n\n"}}},
        // The transfer encodings the file encoder writes for UU, XX and BinHex parts.
        ResultCase{"UuencodedPart",
                   mimeMessage(kB, "--" + kB + "\r\nContent-Type: application/octet-stream; name=\"u.bin\"\r\n"
                                    "Content-Transfer-Encoding: UUENCODED\r\n\r\n" + uuSection("u.bin", kPayloadA) + "\r\n"),
                   1, {{"u.bin", kPayloadA}}},
        ResultCase{"XUuencodePart",
                   mimeMessage(kB, "--" + kB + "\r\nContent-Type: text/plain; name=\"u.bin\"\r\n"
                                    "Content-Transfer-Encoding: x-uuencode\r\n\r\n" + uuSection("u.bin", kPayloadA) + "\r\n"),
                   1, {{"u.bin", kPayloadA}}},
        ResultCase{"XxencodedPart",
                   mimeMessage(kB, "--" + kB + "\r\nContent-Type: application/octet-stream; name=\"x.bin\"\r\n"
                                    "Content-Transfer-Encoding: XXENCODED\r\n\r\n" +
                                        uuSection("x.bin", kPayloadA, KODRA_XXENCODE) + "\r\n"),
                   4, {{"x.bin", kPayloadA}}},
        // After "end", lines of the UU alphabet are not appended to the finished file.
        ResultCase{"NothingAfterEnd",
                   uuSection("a.bin", kPayloadA) + "THIS LINE IS ALL CAPITALS AND BLANKS\r\n"
                                                   "--=_-0123456789-====================\r\n" +
                       uuSection("b.bin", kPayloadB),
                   1, {{"a.bin", kPayloadA}, {"b.bin", kPayloadB}}},
        ResultCase{"BeginRightAfterEnd", uuSection("a.bin", kPayloadA) + uuSection("b.bin", kPayloadB), 1,
                   {{"a.bin", kPayloadA}, {"b.bin", kPayloadB}}},
        // A posting in two parts: the second part's data is appended after its headers.
        ResultCase{"ContinuedPosting",
                   "begin 644 p.bin\r\n" + encodedLines(kPayloadA.substr(0, 450), 1) +
                       "\r\nFrom: poster\r\nSubject: part 2/2\r\n\r\n" + encodedLines(kPayloadA.substr(450), 1) +
                       "`\r\nend\r\n",
                   1, {{"p.bin", kPayloadA}}},
        ResultCase{"UnknownPdf",
                   "Content-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                       encodedLines(kPayloadB, 2) + "\r\n",
                   2, {{"Unknown.pdf", kPayloadB}}},
        // Unnamed data after a "table" header is decoded with that table.
        ResultCase{"UnnamedDataIsDecoded",
                   "table\r\n+-0123456789ABCDEFGHIJKLMNOPQRST\r\nUVWXYZabcdefghijklmnopqrstuvwxyz\r\n" +
                       encodedLines(kPayloadA, KODRA_XXENCODE) + "\r\n",
                   1, {{"NONAME.DAT", kPayloadA}}},
        ResultCase{"BrSuffixAndLeadingBlank",
                   "Content-Type: application/octet-stream; name=\"br.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
                   " QUJDREVGR0hJSktMTU5PUFFSU1RVVldY<br>\r\n\r\n",
                   2, {{"br.bin", "ABCDEFGHIJKLMNOPQRSTUVWX"}}},
        ResultCase{"TruncatedUu", "begin 644 t.bin\r\n" + encodedLines(kPayloadA, 1).substr(0, 63 * 3), 1,
                   {{"t.bin", kPayloadA.substr(0, 135)}}},
        // The last group's one or two bytes are kept when its padding was left out.
        ResultCase{"UnpaddedBase64OneByteLeft",
                   mimeMessage(kB, "--" + kB + "\r\nContent-Type: application/octet-stream; name=\"u.bin\"\r\n"
                                    "Content-Transfer-Encoding: base64\r\n\r\n" + unpaddedBase64(kPayloadA, true)),
                   2, {{"u.bin", kPayloadA}}},
        ResultCase{"UnpaddedBase64TwoBytesLeftAtTheEnd",
                   "Content-Type: application/octet-stream; name=\"u.bin\"\r\n"
                   "Content-Transfer-Encoding: base64\r\n\r\n" +
                       unpaddedBase64(kPayloadA.substr(0, 998), false),
                   2, {{"u.bin", kPayloadA.substr(0, 998)}}},
        ResultCase{"TruncatedBase64",
                   "Content-Type: image/png; name=\"t.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                       encodedLines(kPayloadA, KODRA_BASE64).substr(0, 78 * 2 + 4),
                   2, {{"t.bin", kPayloadA.substr(0, 57 * 2 + 3)}}}),
    [](const ::testing::TestParamInfo<ResultCase>& row) { return std::string(row.param.name); });

TEST(DecodeFile, Mode1TakesNamesInOrder) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"),
              mimeMessage("XYZ", base64Part("XYZ", "one.bin", kPayloadA) + base64Part("XYZ", "two.bin", kPayloadB)));
    const std::string names = folder.file("first") + ";" + folder.file("second");
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), names.c_str(), 1), 2);
    EXPECT_TRUE(sameBytes(readFile(folder.file("first")), kPayloadA));
    EXPECT_TRUE(sameBytes(readFile(folder.file("second")), kPayloadB));

    const std::string single = folder.file("only");
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), single.c_str(), 1), 2);
    EXPECT_TRUE(sameBytes(readFile(single), kPayloadB));  // the second overwrote the first
}

TEST(DecodeFile, UncreatableOutputSkipsOnlyItsSection) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"), twoSections());
    fs::create_directory(folder.file("blocked"));
    const std::string names = folder.file("blocked") + ";" + folder.file("second");
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), names.c_str(), 1), 1);
    EXPECT_TRUE(fs::is_directory(folder.file("blocked")));
    EXPECT_TRUE(sameBytes(readFile(folder.file("second")), kPayloadB));
}

TEST(DecodeFile, Mode0OffersTheChooserWhenCreationFails) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"), uuSection("a.bin", kPayloadA));
    fs::create_directory(folder.file("a.bin"));
    ScriptedUserInterface ui({KODRA_IDYES, KODRA_IDYES}, {folder.file("instead.bin")});
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 0), 1);
    EXPECT_EQ(ui.chooserProposals, std::vector<std::string>{folder.file("a.bin")});
    EXPECT_TRUE(sameBytes(readFile(folder.file("instead.bin")), kPayloadA));
}

TEST(DecodeFile, ReportsProgressToTheEnd) {
    TempFolder folder;
    const std::string message = std::string(200000, 'x') + "\r\n" + uuSection("a.bin", binaryPayload(6 << 20, 3));
    writeFile(folder.file("msg.txt"), message);
    ScriptedUserInterface ui;
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 3), 1);
    ASSERT_GE(ui.progressReports.size(), 2u);
    EXPECT_EQ(ui.progressReports.back(), static_cast<long long>(message.size()));
}

// ---- Safety ---------------------------------------------------------------------------

struct HostileCase {
    const char* name;
    std::string message;
    std::string wantFile;  // where the data lands, in the input's folder ("" for nowhere)
};

class HostileNameTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileNameTest, StaysInTheInputFolder) {
    const HostileCase& c = GetParam();
    TempFolder outer;
    const std::string inner = outer.file("in");
    fs::create_directory(inner);
    writeFile(inner + "/msg.txt", c.message);
    for (int mode : {3, 2, 0}) {
        ScriptedUserInterface ui({KODRA_IDYES, KODRA_IDYES});
        DecodeFile((inner + "/msg.txt").c_str(), "", mode);
        EXPECT_EQ(outer.names(), std::set<std::string>{"in"}) << "mode " << mode;
        // A long name is cut further where the system limits whole paths.
        const std::size_t room = platform::kSystemPathLimit - inner.size() - 1;
        const std::string wantFile = c.wantFile.size() > room ? c.wantFile.substr(c.wantFile.size() - room) : c.wantFile;
        std::set<std::string> want{"msg.txt"};
        if (!wantFile.empty()) want.insert(wantFile);
        std::set<std::string> got;
        for (const auto& entry : fs::recursive_directory_iterator(inner)) got.insert(entry.path().filename().string());
        EXPECT_EQ(got, want) << "mode " << mode;
        if (!wantFile.empty()) {
            EXPECT_TRUE(sameBytes(readFile(inner + "/" + wantFile), kPayloadA));
        }
    }
    EXPECT_FALSE(fs::exists("/tmp/kodra-absolute.bin"));
}

const std::string kLongName = std::string(600, 'n') + ".bin";
#ifdef _WIN32
const char* const kDotDotName = "_";  // Windows drops the trailing dots of a name
#else
const char* const kDotDotName = "_.";
#endif

INSTANTIATE_TEST_SUITE_P(
    Names, HostileNameTest,
    ::testing::Values(
        HostileCase{"DotDotSlash", uuSection("../../evil.bin", kPayloadA), "evil.bin"},
        HostileCase{"Absolute", uuSection("/tmp/kodra-absolute.bin", kPayloadA), "kodra-absolute.bin"},
        HostileCase{"Backslashes", uuSection("..\\..\\win.bin", kPayloadA), "win.bin"},
        HostileCase{"DotDot", uuSection("..", kPayloadA), kDotDotName},
        HostileCase{"FoldersOnly", uuSection("../", kPayloadA), ""},
        HostileCase{"MimeName", mimeMessage(kB, base64Part(kB, "../../m.bin", kPayloadA)), "m.bin"},
        HostileCase{"EncodedWordName",
                    mimeMessage(kB, base64Part(kB, "=?iso-8859-1?q?=2E=2E=2F=2E=2E=2Fw.bin?=", kPayloadA)), "w.bin"},
        HostileCase{"VeryLongName", uuSection(kLongName, kPayloadA), kLongName.substr(kLongName.size() - 255)}),
    [](const ::testing::TestParamInfo<HostileCase>& row) { return std::string(row.param.name); });

TEST(DecodeFile, NeverOverwritesItsInput) {
    TempFolder folder;
    const std::string message = "begin 644 msg.txt\r\n" + encodedLines(kPayloadA, 1) + "`\r\nend\r\n";
    writeFile(folder.file("msg.txt"), message);
    fs::create_hard_link(folder.file("msg.txt"), folder.file("alias.txt"));
    for (const char* names : {"", "alias.txt"}) {
        const std::string list = *names ? folder.file(names) : "";
        EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), list.c_str(), *names ? 1 : 3), 0);
        EXPECT_TRUE(sameBytes(readFile(folder.file("msg.txt")), message));
    }
}

#ifndef _WIN32  // symbolic links and FIFOs are POSIX matters
TEST(DecodeFile, RefusesLinksAndSpecialFiles) {
    TempFolder folder;
    const std::string victim = folder.file("victim");
    writeFile(victim, "keep");
    writeFile(folder.file("in.txt"), uuSection("link.bin", kPayloadA) + "\r\n" + uuSection("dangling.bin", kPayloadA) +
                                         "\r\n" + uuSection("fifo.bin", kPayloadA) + "\r\n" + uuSection("dir.bin", kPayloadA));
    fs::create_symlink(victim, folder.file("link.bin"));
    fs::create_symlink(folder.file("nowhere"), folder.file("dangling.bin"));
    ASSERT_EQ(mkfifo(folder.file("fifo.bin").c_str(), 0600), 0);
    fs::create_directory(folder.file("dir.bin"));
    EXPECT_EQ(DecodeFile(folder.file("in.txt").c_str(), "", 3), 0);
    EXPECT_TRUE(sameBytes(readFile(victim), "keep"));
    EXPECT_FALSE(fs::exists(folder.file("nowhere")));
    EXPECT_TRUE(fs::is_symlink(folder.file("link.bin")));
}
#endif

TEST(DecodeFile, ReplacesReadOnlyFileWhenAllowed) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"), uuSection("ro.bin", kPayloadA));
    writeFile(folder.file("ro.bin"), "old");
    fs::permissions(folder.file("ro.bin"), fs::perms::owner_read);
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 3), 1);
    EXPECT_TRUE(sameBytes(readFile(folder.file("ro.bin")), kPayloadA));
}

// ---- Long lines, long files ----------------------------------------------------------

TEST(DecodeFile, SurvivesVeryLongLines) {
    for (std::size_t length : {std::size_t{2000}, std::size_t{10000}, std::size_t{1000000}}) {
        TempFolder folder;
        const std::string longLine(length, '.');
        const std::string message = longLine + "\r\n" + uuSection("a.bin", kPayloadA) + longLine + "\r\n" +
                                    mimeMessage(kB, base64Part(kB, "b.bin", kPayloadB) + longLine + "\r\n") +
                                    "Content-Type: text/plain; name=\"t.txt\"\r\n\r\n" + longLine + "\r\n";
        writeFile(folder.file("msg.txt"), message);
        EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 3), 5) << length;
        EXPECT_TRUE(sameBytes(readFile(folder.file("a.bin")), kPayloadA)) << length;
        EXPECT_TRUE(sameBytes(readFile(folder.file("b.bin")), kPayloadB)) << length;
        EXPECT_TRUE(sameBytes(readFile(folder.file("t.txt")), longLine + "\r\n")) << length;
    }
}

TEST(DecodeFile, GivesUpAfterManyLinesWithoutSection) {
    TempFolder folder;
    std::string message;
    for (int i = 0; i < 100000; ++i) message += "Some ordinary text line\r\n";
    writeFile(folder.file("msg.txt"), message + uuSection("late.bin", kPayloadA));
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 3), 0);
    EXPECT_EQ(GetNumFilesToDecode(folder.file("msg.txt").c_str()), 0);
    EXPECT_EQ(folder.names(), std::set<std::string>{"msg.txt"});
}

TEST(DecodeFile, ManyBoundariesAndLines) {
    TempFolder folder;
    std::string message = "Content-Type: multipart/mixed; boundary=\"=_outer_=\"\r\n";
    for (int i = 0; i < 100000; ++i) message += "X-Part: boundary=\"=_part_" + std::to_string(i) + "_=\"\r\n";
    const std::string payload = binaryPayload(57 * 100000, 4);
    message += "\r\n" + base64Part("=_outer_=", "big.bin", payload) + "--=_part_99999_=--\r\n";
    writeFile(folder.file("msg.txt"), message);
    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), "", 3), 2);
    EXPECT_TRUE(sameBytes(readFile(folder.file("big.bin")), payload));
}

// ---- Pre-scan ----------------------------------------------------------------------

TEST(PreScan, ListsTheOutputsInOrder) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"),
              mimeMessage("XYZ", base64Part("XYZ", "one.bin", kPayloadA) + base64Part("XYZ", "../two.bin", kPayloadB)));
    ASSERT_EQ(GetNumFilesToDecode(folder.file("msg.txt").c_str()), 2);
    char buffer[1024] = "untouched";
    ASSERT_EQ(GetEncodedFile(buffer, 0), 1);
    EXPECT_EQ(std::string(buffer), folder.file("one.bin"));
    ASSERT_EQ(GetEncodedFile(buffer, 1), 1);
    EXPECT_EQ(std::string(buffer), folder.file("two.bin"));
    std::strcpy(buffer, "untouched");
    EXPECT_EQ(GetEncodedFile(buffer, 2), 0);
    EXPECT_EQ(GetEncodedFile(buffer, -1), 0);
    EXPECT_EQ(std::string(buffer), "untouched");
    // A file that cannot be opened leaves the list as it was.
    EXPECT_EQ(GetNumFilesToDecode(folder.file("absent").c_str()), 0);
    EXPECT_EQ(GetEncodedFile(buffer, 1), 1);
}

// A mode-1 decode takes one name from its list for every section the pre-scan lists, in
// the same order, also where the default output would be refused: a caller can pair them.
TEST(PreScan, ListsOneEntryPerSectionThatTakesAName) {
    struct Section {
        const char* name;         // in the message
        const char* standing;     // what stands at its default path: "", "dir", "link"
        std::string data;
    };
    const std::vector<Section> sections = {
        {"first.bin", "", binaryPayload(300, 11)},
        {"msg.txt", "", binaryPayload(310, 12)},  // the input itself
        {"dir.bin", "dir", binaryPayload(320, 13)},
#ifndef _WIN32
        {"link.bin", "link", binaryPayload(330, 14)},
#endif
        {"a;b.bin", "", binaryPayload(340, 15)},
        {"last.bin", "", binaryPayload(350, 16)},
    };
    TempFolder folder;
    std::string message = "Subject: x\r\n\r\n";
    for (const Section& section : sections) message += uuSection(section.name, section.data) + "\r\n";
    writeFile(folder.file("msg.txt"), message);
    writeFile(folder.file("victim"), "keep");
    for (const Section& section : sections) {
        if (std::string(section.standing) == "dir") fs::create_directory(folder.file(section.name));
#ifndef _WIN32
        if (std::string(section.standing) == "link") fs::create_symlink(folder.file("victim"), folder.file(section.name));
#endif
    }

    const int listed = GetNumFilesToDecode(folder.file("msg.txt").c_str());
    ASSERT_EQ(listed, static_cast<int>(sections.size())) << "got " << listed << " entries, want one per section";
    std::string names;
    for (int i = 0; i < listed; ++i) {
        char entry[1024];
        ASSERT_EQ(GetEncodedFile(entry, i), 1) << "entry " << i;
        std::string want = folder.file(sections[static_cast<std::size_t>(i)].name);
        std::replace(want.end() - static_cast<std::ptrdiff_t>(std::strlen(sections[static_cast<std::size_t>(i)].name)),
                     want.end(), ';', '_');
        EXPECT_EQ(std::string(entry), want) << "entry " << i;
        names += (i ? ";" : "") + folder.file("out" + std::to_string(i));
    }

    EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), names.c_str(), 1), KODRA_UUENCODE);
    for (std::size_t i = 0; i < sections.size(); ++i)
        EXPECT_TRUE(sameBytes(readFile(folder.file("out" + std::to_string(i))), sections[i].data))
            << "out" << i << " should hold section " << sections[i].name;
    EXPECT_TRUE(sameBytes(readFile(folder.file("victim")), "keep"));
    EXPECT_TRUE(sameBytes(readFile(folder.file("msg.txt")), message));
}

TEST(PreScan, BeginNameKeepsItsBlanks) {
    TempFolder folder;
    writeFile(folder.file("msg.txt"), uuSection("two words ", kPayloadA));
    ASSERT_EQ(GetNumFilesToDecode(folder.file("msg.txt").c_str()), 1);
    char buffer[1024];
    ASSERT_EQ(GetEncodedFile(buffer, 0), 1);
    EXPECT_EQ(std::string(buffer), folder.file("two words "));
}

}  // namespace
}  // namespace kodra::testing

namespace kodra::testing {
namespace {

// Short XXencoded files open with length characters that UUencode has too; every size
// must still decode with the right alphabet.
TEST(DecodeFile, ShortUuAndXxFilesOfEverySize) {
    for (int type : {KODRA_UUENCODE, KODRA_XXENCODE}) {
        for (std::size_t size = 1; size <= 50; ++size) {
            TempFolder folder;
            const std::string payload = binaryPayload(size, static_cast<unsigned>(size));
            writeFile(folder.file("msg.txt"), uuSection("s.bin", payload, type));
            ScriptedUserInterface ui;
            EXPECT_EQ(DecodeFile(folder.file("msg.txt").c_str(), nullptr, 3), type) << "type " << type << " size " << size;
            EXPECT_TRUE(sameBytes(readFile(folder.file("s.bin")), payload)) << "type " << type << " size " << size;
        }
    }
}

}  // namespace
}  // namespace kodra::testing
