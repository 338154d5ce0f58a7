#include "support/portable.h"
#include "decode/section_scanner.h"

#include "decode/boundary_list.h"
#include "frame/line_source.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace kodra {
namespace {


struct ScanCase {
    const char* name;
    std::string input;  // the first line is shown to the scanner, the rest follows in the stream
    int wantType;
    const DecodeTable* wantTable;
    std::string wantName;
};

// Stands for the scanner state's own private table in the expectations.
const DecodeTable kPrivate{};

class ScannerTest : public ::testing::TestWithParam<ScanCase> {};

// Runs the scanner on the first line of input, the rest following in the source.
int scanFirstLine(const std::string& input, std::string& name, ScanState& state, BoundaryList& boundaries) {
    LineSource source(input.data(), input.size());
    std::string line;
    if (!readLine(source, line)) return -1;
    std::string lower = line;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scanSectionLine(boundaries, source, lower, line, name, state);
}

TEST_P(ScannerTest, Recognises) {
    const ScanCase& c = GetParam();
    std::string name;
    BoundaryList boundaries;
    ScanState state;
    const int type = scanFirstLine(c.input, name, state, boundaries);
    EXPECT_EQ(type, c.wantType);
    const DecodeTable* wantTable = c.wantTable == &kPrivate ? &state.privateTable : c.wantTable;
    EXPECT_EQ(state.table, wantTable);
    EXPECT_EQ(name, c.wantName) << "got name \"" << name << "\", want \"" << c.wantName << "\"";
}

const std::string kTableLines = "+-0123456789ABCDEFGHIJKLMNOPQRST\r\nUVWXYZabcdefghijklmnopqrstuvwxyz\r\n";

INSTANTIATE_TEST_SUITE_P(
    Lines, ScannerTest,
    ::testing::Values(
        ScanCase{"UnknownPdf", "Content-Type: application/pdf\r\nContent-Transfer-Encoding: base64\r\n\r\n", 2,
                 &base64Table, "Unknown.pdf"},
        ScanCase{"UnknownMsword", "Content-Type: application/msword\r\nContent-Transfer-Encoding: base64\r\n\r\n", 2,
                 &base64Table, "Unknown.doc"},
        ScanCase{"Base64WithoutNameOrSubtype", "Content-Transfer-Encoding: base64\r\n\r\n", 0, nullptr, ""},
        ScanCase{"WindowsPathInFilename",
                 "Content-Disposition: attachment; filename=\"C:\\My Documents\\report 1.doc\"\r\n\r\n", 5, &xxTable,
                 "report 1.doc"},
        ScanCase{"UnquotedNameEndsAtSemicolon",
                 "Content-Type: application/octet-stream; name=data.bin; x-mac-type=0\r\n"
                 "Content-Transfer-Encoding: base64\r\n\r\n",
                 2, &base64Table, "data.bin"},
        ScanCase{"HtmlLineGivesNoName", "Content-Type: text/html; <a name=\"x\"></a>\r\n\r\n", 0, nullptr, ""},
        ScanCase{"ContinuedEncodedName",
                 "Content-Disposition: attachment; filename=\"=?iso-8859-1?q?a_very_long_name_that_was_folded_?=\r\n"
                 "\t=?iso-8859-1?q?over_two_lines.bin?=\"\r\nContent-Transfer-Encoding: base64\r\n\r\n",
                 2, &base64Table, "a very long name that was folded over two lines.bin"},
        ScanCase{"BeginKeepsTrailingBlank", "begin 644 name with blank \r\nM86)C\r\n", 1, &uuTable, "name with blank "},
        ScanCase{"BeginInCapitals", "BEGIN 644 CAPS.BIN\r\nM86)C\r\n", 1, &uuTable, "CAPS.BIN"},
        ScanCase{"BeginSelectsXx", "begin 644 x.bin\r\nhABCD\r\n", 1, &xxTable, "x.bin"},
        ScanCase{"BeginWithLongUuLine", "begin 644 u.bin\r\n_" + std::string(84, 'A') + "\r\n", 1, &uuTable, "u.bin"},
        ScanCase{"BeginWithShortenedLongLine", "begin 644 u.bin\r\n_" + std::string(80, 'A') + "\r\n", 1, &xxTable,
                 "u.bin"},
        ScanCase{"BeginWithoutName", "begin 644\r\nM86)C\r\n", 1, &uuTable, "Unknown.bin"},
        ScanCase{"BeginWithoutNameBeforeText", "begin 644\r\nsome text\r\n", 0, nullptr, ""},
        ScanCase{"TableThenBegin", "table\r\n" + kTableLines + "begin 644 t.bin\r\n", 1, &kPrivate, "t.bin"},
        ScanCase{"ShortTableLine", "table\r\n+-0123456789ABCDEFGHIJKLMNOPQRS\r\n", 1, &kPrivate, ""},
        ScanCase{"TableLineWithHighCode", "table\r\n+-0123456789ABCDEFGHIJKLMNOPQR\xE9\r\n", 1, &kPrivate, ""},
        ScanCase{"UuencodedPartWaitsForBegin",
                 "Content-Type: application/octet-stream; name=\"u.bin\"\r\nContent-Transfer-Encoding: x-uuencode\r\n\r\n",
                 0, nullptr, ""},
        ScanCase{"BinHexMediaTypeWaitsForBanner",
                 "Content-Type: application/mac-binhex40; name=\"m.hqx\"\r\n\r\n", 0, nullptr, ""}),
    [](const ::testing::TestParamInfo<ScanCase>& row) { return std::string(row.param.name); });

// The transfer encoding of a named part picks how its body is written: 8bit and binary
// byte for byte, by the field's own value only.
TEST(Scanner, TransferEncodingPicksTheTextBody) {
    struct Row {
        const char* name;
        std::string header;  // after a Content-Type line that names the part
        Encoding want;
    };
    const std::vector<Row> rows = {
        {"no transfer encoding", "", Encoding::text},
        {"7bit", "Content-Transfer-Encoding: 7bit\r\n", Encoding::text},
        {"quoted-printable", "Content-Transfer-Encoding: quoted-printable\r\n", Encoding::quotedPrintable},
        {"8bit", "Content-Transfer-Encoding: 8bit\r\n", Encoding::raw},
        {"binary", "Content-Transfer-Encoding: binary\r\n", Encoding::raw},
        {"capitals", "CONTENT-TRANSFER-ENCODING: 8BIT\r\n", Encoding::raw},
        {"blanks around the value", "Content-Transfer-Encoding:\t binary  \r\n", Encoding::raw},
        {"blank before the colon", "Content-Transfer-Encoding : 8bit\r\n", Encoding::raw},
        {"comment after the value", "Content-Transfer-Encoding: 8bit (sent as is)\r\n", Encoding::raw},
        {"stray semicolon", "Content-Transfer-Encoding: binary;\r\n", Encoding::raw},
        {"other token", "Content-Transfer-Encoding: x-8bit\r\n", Encoding::text},
        {"longer token", "Content-Transfer-Encoding: 8bits\r\n", Encoding::text},
        {"two tokens", "Content-Transfer-Encoding: 8bit binary\r\n", Encoding::text},
        {"empty value", "Content-Transfer-Encoding:\r\n", Encoding::text},
        {"word in another field", "Content-Description: binary data\r\n", Encoding::text},
    };
    for (const Row& row : rows) {
        for (const bool typeFirst : {true, false}) {
            const std::string type = "Content-Type: text/plain; name=\"binary.txt\"\r\n";
            const std::string input = (typeFirst ? type + row.header : row.header + type) + "\r\nbody\r\n";
            std::string name;
            BoundaryList boundaries;
            ScanState state;
            const int found = scanFirstLine(input, name, state, boundaries);
            const char* order = typeFirst ? "type first" : "type last";
            if (row.header.empty() && !typeFirst) continue;
            EXPECT_EQ(found, kTextSection) << row.name << ", " << order;
            EXPECT_EQ(name, "binary.txt") << row.name << ", " << order;
            const Encoding got = encodingOf(static_cast<SectionType>(found), state);
            EXPECT_EQ(got, row.want) << row.name << ", " << order << ": got " << static_cast<int>(got) << ", want "
                                     << static_cast<int>(row.want);
        }
    }
    // A named part of another type with 8bit is a raw section too.
    std::string name;
    BoundaryList boundaries;
    ScanState state;
    const int found = scanFirstLine(
        "Content-Type: application/octet-stream; name=\"a.bin\"\r\nContent-Transfer-Encoding: binary\r\n\r\n", name,
        state, boundaries);
    EXPECT_EQ(encodingOf(static_cast<SectionType>(found), state), Encoding::raw);
    EXPECT_EQ(classicType(Encoding::raw), 5) << "8bit and binary parts are text to the classic exports";
}

TEST(Scanner, QuotedBoundaryIsListed) {
    std::string name;
    BoundaryList boundaries;
    ScanState state;
    scanFirstLine("Content-Type: multipart/mixed; boundary=\"=_abc_=\"; charset=x\r\n\r\n", name, state, boundaries);
    EXPECT_TRUE(boundaries.matches("--=_abc_=--"));
    EXPECT_FALSE(boundaries.matches("plain text"));
}

// The boundary parameter read from the whole unfolded Content-Type field; the line-level
// reader stands in only when the field gives none.
TEST(Scanner, BoundaryOfTheUnfoldedField) {
    struct Case {
        const char* name;
        std::string header;
        std::string listed;     // a delimiter line that must match
        std::string notListed;  // one that must not
    };
    const Case cases[] = {
        {"Apple Mail", "Content-Type: multipart/related;\r\n\tboundary=Apple-Mail-7--99;\r\n\ttype=\"text/html\"\r\n\r\n",
         "--Apple-Mail-7--99", "--Apple-Mail-7"},
        {"equals before it", "Content-Type: multipart/mixed; a=\"b=c\"; boundary=\"q1\"\r\n\r\n", "--q1", "--c\""},
        {"unquoted then blank", "Content-Type: multipart/mixed; boundary=u1 type=x\r\n\r\n", "--u1--", "--type"},
        {"value on the folded line", "Content-Type: multipart/mixed; boundary=\r\n \"folded\"\r\n\r\n", "--folded",
         "--x"},
        {"comment around it", "Content-Type: multipart/mixed (c); boundary=(c)\"c1\"(c)\r\n\r\n", "--c1", "--(c)"},
        {"line reader when the field has none", "Content-Type: multipart/mixed\r\nX-Boundary: boundary=\"old\"\r\n\r\n",
         "--old", "--x"},
    };
    for (const Case& c : cases) {
        std::string name;
        BoundaryList boundaries;
        ScanState state;
        scanFirstLine(c.header, name, state, boundaries);
        EXPECT_TRUE(boundaries.matches(c.listed)) << c.name << ": got no match for " << c.listed << ", want one";
        EXPECT_FALSE(boundaries.matches(c.notListed)) << c.name << ": got a match for " << c.notListed << ", want none";
    }
}

// A line is a boundary line when it begins with "--" and a listed boundary, or has a
// separator shape; the boundary anywhere else in a line no longer counts.
TEST(BoundaryList, MatchesDelimitersAtTheStartOfALine) {
    BoundaryList boundaries;
    for (int i = 0; i < 40; ++i) boundaries.add(("=_part_" + std::to_string(i) + "_=").c_str());
    boundaries.add("b");
    boundaries.add(std::string(300, 'L').c_str());  // kept to kMaxBoundary characters
    struct Case {
        const char* name;
        std::string line;
        bool want;
    };
    const Case cases[] = {
        {"delimiter", "--=_part_39_=", true},
        {"close delimiter", "--=_part_0_=--", true},
        {"delimiter and blanks", "--=_part_7_=  ", true},
        {"one-character boundary", "--b", true},
        {"one-character boundary prefix", "--bx", true},
        {"long boundary, cut", "--" + std::string(128, 'L'), true},
        {"long boundary, whole", "--" + std::string(300, 'L'), true},
        {"long boundary, one short", "--" + std::string(127, 'L'), false},
        {"unlisted", "--=_part_40_=", false},
        {"listed prefix of unlisted", "--=_part_3", false},
        {"inside a line", "x--=_part_0_=--", false},
        {"after blanks", "  --=_part_0_=", false},
        {"one dash", "-=_part_0_=", false},
        {"Base64 data", "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo=", false},
        {"empty", "", false},
        {"separator shape with dashes", "------=_NextPart_000_0001", true},
        {"separator shape with equals", "x===------=======", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(boundaries.matches(c.line.c_str()), c.want) << c.name << ": got " << !c.want << ", want " << c.want;
    EXPECT_FALSE(BoundaryList().matches("--b")) << "an empty list matches nothing";
}

// Only the most recently declared boundaries are kept: memory stays bounded whatever a
// file declares, and a boundary declared again is kept as if new.
TEST(BoundaryList, KeepsTheMostRecentlyDeclared) {
    constexpr int kCap = static_cast<int>(BoundaryList::kMaxRemembered);
    auto boundary = [](int i) { return "=_" + std::string(static_cast<std::size_t>(i % 90), 'x') + std::to_string(i); };
    BoundaryList boundaries;
    boundaries.add("outer");
    for (int i = 0; i < 100000; ++i) {
        boundaries.add(boundary(i).c_str());
        if (i % 100 == 0) boundaries.add("outer");  // declared again now and then
    }
    EXPECT_EQ(boundaries.size(), BoundaryList::kMaxRemembered) << "got " << boundaries.size() << " remembered";
    struct Case {
        const char* name;
        std::string line;
        bool want;
    };
    const Case cases[] = {
        {"last declared", "--" + boundary(99999), true},
        {"oldest still kept", "--" + boundary(100000 - (kCap - 1)), true},
        {"just forgotten", "--" + boundary(100000 - kCap), false},
        {"long forgotten", "--" + boundary(0), false},
        {"declared again", "--outer--", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(boundaries.matches(c.line.c_str()), c.want) << c.name << ": got " << !c.want << ", want " << c.want;

    BoundaryList repeated;
    for (int round = 0; round < 3; ++round)
        for (int i = 0; i < 10; ++i) repeated.add(boundary(i).c_str());
    EXPECT_EQ(repeated.size(), 10u) << "a boundary listed already adds nothing";
}

}  // namespace
}  // namespace kodra
