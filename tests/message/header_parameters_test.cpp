// The structured-field parser: Content-Type and Content-Disposition bodies as real mail
// writes them (RFC 2045, 5.1; RFC 5322 comments and quoted strings; RFC 2231 extended
// parameters), and its bounds on hostile input.
#include "message/header_parameters.h"

#include "frame/utf8_text.h"
#include "message/encoded_words.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kodra {
namespace {

// A wanted lookup: the parameter's UTF-8 text (text()), or nothing.
struct Want {
    const char* parameter;
    std::optional<std::string> text;
};

struct FieldCase {
    const char* name;
    std::string field;  // the unfolded body, after the colon
    std::string value;
    std::vector<Want> want;
};

std::string show(const std::optional<std::string>& text) { return text ? "\"" + *text + "\"" : "nothing"; }

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

class FieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(FieldTest, ReadsValueAndParameters) {
    const FieldCase& c = GetParam();
    const HeaderParameters parsed = parseHeaderParameters(c.field);
    EXPECT_EQ(parsed.value(), c.value) << "got value \"" << parsed.value() << "\", want \"" << c.value << "\"";
    for (const Want& want : c.want) {
        const std::optional<std::string> got = parsed.text(want.parameter);
        EXPECT_EQ(got, want.text) << want.parameter << ": got " << show(got) << ", want " << show(want.text);
    }
}

const std::optional<std::string> kNone;

INSTANTIATE_TEST_SUITE_P(
    Fields, FieldTest,
    ::testing::Values(
        // Apple Mail: an unquoted boundary ended by ";", the next parameter on a folded line.
        FieldCase{"AppleMailBoundaryBeforeSemicolon",
                  "multipart/alternative;\tboundary=Apple-Mail-2--284793216;\ttype=\"text/plain\"",
                  "multipart/alternative",
                  {{"boundary", "Apple-Mail-2--284793216"}, {"type", "text/plain"}}},
        FieldCase{"EqualsBeforeBoundary", "multipart/mixed; x-info=\"a=b\"; charset=us-ascii; boundary=\"=_b1_=\"",
                  "multipart/mixed", {{"boundary", "=_b1_="}, {"x-info", "a=b"}, {"charset", "us-ascii"}}},
        FieldCase{"UnquotedBoundaryThenBlank", "multipart/related; boundary=abc type=text/html", "multipart/related",
                  {{"boundary", "abc"}, {"type", "text/html"}}},
        FieldCase{"UnquotedValueThenBlankAtEnd", "multipart/mixed; boundary=abc   ", "multipart/mixed",
                  {{"boundary", "abc"}}},
        FieldCase{"Comments",
                  "multipart/mixed (outer (nested) comment) ; (c) boundary (c2) = (c3) \"b(not a comment)\" (end)",
                  "multipart/mixed", {{"boundary", "b(not a comment)"}}},
        FieldCase{"CommentWithEscapedParenthesis", "attachment (a \\) still comment); filename=x.bin", "attachment",
                  {{"filename", "x.bin"}}},
        FieldCase{"UnclosedCommentRunsToTheEnd", "attachment; (open comment filename=\"x\"", "attachment",
                  {{"filename", kNone}}},
        FieldCase{"EscapedQuotes", "attachment; filename=\"a \\\"quoted\\\" name.txt\"", "attachment",
                  {{"filename", "a \"quoted\" name.txt"}}},
        FieldCase{"EscapedBackslash", "attachment; filename=\"back\\\\slash\"", "attachment",
                  {{"filename", "back\\slash"}}},
        FieldCase{"UnescapedWindowsPath", "attachment; filename=\"C:\\Dir\\file.doc\"", "attachment",
                  {{"filename", "C:\\Dir\\file.doc"}}},
        FieldCase{"UnclosedQuote", "multipart/mixed; boundary=\"abc  ", "multipart/mixed", {{"boundary", "abc"}}},
        FieldCase{"BlanksAroundEqualsAndSemicolons", "attachment ; filename = \"x.bin\" ;  ; size = 12 ;",
                  "attachment", {{"filename", "x.bin"}, {"size", "12"}}},
        FieldCase{"AnyOrderAnyCase", "Attachment; SIZE=12; FileName=\"y.bin\"; Creation-Date=\"x\"", "attachment",
                  {{"filename", "y.bin"}, {"size", "12"}, {"creation-date", "x"}}},
        FieldCase{"MissingSemicolons", "text/plain charset=us-ascii format=flowed", "text/plain",
                  {{"charset", "us-ascii"}, {"format", "flowed"}}},
        FieldCase{"MissingSemicolonAfterQuoted", "application/octet-stream; name=\"a b.pdf\"x-mac-type=\"50444620\"",
                  "application/octet-stream", {{"name", "a b.pdf"}, {"x-mac-type", "50444620"}}},
        FieldCase{"BlanksAroundSlash", "Text / HTML ; charset=x", "text/html", {{"charset", "x"}}},
        FieldCase{"UnquotedNameWithBlanks", "application/pdf; name=My Document.pdf", "application/pdf",
                  {{"name", "My Document.pdf"}}},
        FieldCase{"NoTypeBeforeParameter", "filename=\"x.bin\"", "", {{"filename", "x.bin"}}},
        FieldCase{"EmptyField", "", "", {{"filename", kNone}}},
        FieldCase{"HtmlIsNoParameter", "text/html; <a name=\"x\"></a>", "text/html", {{"name", kNone}}},
        FieldCase{"WordWithoutEqualsIsSkipped", "text/plain; flowed; charset=x", "text/plain",
                  {{"flowed", kNone}, {"charset", "x"}}},
        FieldCase{"DuplicatesFirstWins", "attachment; filename=\"first.txt\"; filename=\"second.txt\"", "attachment",
                  {{"filename", "first.txt"}}},
        FieldCase{"EmptyQuotedValue", "attachment; filename=\"\"", "attachment", {{"filename", ""}}},
        // RFC 2231, 3: sections joined by number.
        FieldCase{"Rfc2231Sections",
                  "message/external-body; access-type=URL; URL*0=\"ftp://\"; "
                  "URL*1=\"cs.utk.edu/pub/moore/bulk-mailer/bulk-mailer.tar\"",
                  "message/external-body", {{"url", "ftp://cs.utk.edu/pub/moore/bulk-mailer/bulk-mailer.tar"}}},
        // RFC 2231, 4.1: encoded and plain sections mixed.
        FieldCase{"Rfc2231MixedSections",
                  "application/x-stuff; title*0*=us-ascii'en'This%20is%20even%20more%20; "
                  "title*1*=%2A%2A%2Afun%2A%2A%2A%20; title*2=\"isn't it!\"",
                  "application/x-stuff", {{"title", "This is even more ***fun*** isn't it!"}}},
        FieldCase{"Rfc2231OutOfOrder", "attachment; filename*2=\"c.txt\"; filename*0=\"a\"; filename*1=\"b\"",
                  "attachment", {{"filename", "abc.txt"}}},
        FieldCase{"Rfc2231GapStops", "attachment; filename*0=\"a\"; filename*2=\"c\"; filename*3=\"d\"", "attachment",
                  {{"filename", "a"}}},
        FieldCase{"Rfc2231NoSectionZero", "attachment; filename*1=\"b\"; filename=\"plain.txt\"", "attachment",
                  {{"filename", "plain.txt"}}},
        FieldCase{"Rfc2231DuplicateSection", "attachment; filename*0=\"a\"; filename*0=\"x\"; filename*1=\"b\"",
                  "attachment", {{"filename", "ab"}}},
        // RFC 2231, 4: charset and language.
        FieldCase{"Rfc2231CharsetAndLanguage", "application/x-stuff; title*=us-ascii'en-us'This%20is%20%2A%2A%2Afun%2A%2A%2A",
                  "application/x-stuff", {{"title", "This is ***fun***"}}},
        FieldCase{"Rfc2231Utf8", "attachment; filename*=UTF-8''%E2%82%AC%20rates.txt", "attachment",
                  {{"filename", "\xE2\x82\xAC rates.txt"}}},
        FieldCase{"Rfc2231Latin1", "attachment; filename*=iso-8859-1'fr'caf%E9.txt", "attachment",
                  {{"filename", "caf\xC3\xA9.txt"}}},
        FieldCase{"Rfc2231Utf8Sections",
                  "attachment; filename*0*=utf-8''%C3%A9t%C3%A9; filename*1*=%20%E2%82%AC; filename*2=\".pdf\"",
                  "attachment", {{"filename", "\xC3\xA9t\xC3\xA9 \xE2\x82\xAC.pdf"}}},
        FieldCase{"Rfc2231QuotedExtendedValue", "attachment; filename*=\"utf-8''a%20b.txt\"", "attachment",
                  {{"filename", "a b.txt"}}},
        FieldCase{"Rfc2231WithoutCharsetQuotes", "attachment; filename*=%41%42.txt", "attachment",
                  {{"filename", "AB.txt"}}},
        FieldCase{"Rfc2231BadPercent", "attachment; filename*=utf-8''100%25%zz%4", "attachment",
                  {{"filename", "100%%zz%4"}}},
        FieldCase{"ExtendedBeforePlainWhateverTheOrder",
                  "attachment; filename=\"plain.txt\"; filename*=utf-8''ext.txt", "attachment",
                  {{"filename", "ext.txt"}}},
        FieldCase{"ExtendedSectionsBeforePlain", "attachment; filename=\"plain.txt\"; filename*0=\"sec\"; filename*1=\"t.txt\"",
                  "attachment", {{"filename", "sect.txt"}}},
        FieldCase{"RawLatin1Value", "attachment; filename=\"caf\xE9.txt\"", "attachment",
                  {{"filename", "caf\xC3\xA9.txt"}}},
        FieldCase{"RawUtf8Value", "attachment; filename=\"caf\xC3\xA9.txt\"", "attachment",
                  {{"filename", "caf\xC3\xA9.txt"}}},
        FieldCase{"EncodedWordInQuotedValue", "attachment; filename=\"=?iso-8859-1?Q?caf=E9.txt?=\"", "attachment",
                  {{"filename", "caf\xC3\xA9.txt"}}},
        FieldCase{"EncodedWordsFoldedInQuotedValue",
                  "attachment; filename=\"=?iso-8859-1?q?a_long_name_?=\t=?iso-8859-1?q?folded.bin?=\"", "attachment",
                  {{"filename", "a long name folded.bin"}}},
        FieldCase{"UnquotedEncodedWord", "application/octet-stream; name==?iso-8859-1?B?Y2Fm6S50eHQ=?=",
                  "application/octet-stream", {{"name", "caf\xC3\xA9.txt"}}},
        FieldCase{"WeirdStarNameMatchesNothing", "attachment; filename*x=\"a\"; filename*0x*=\"b\"", "attachment",
                  {{"filename", kNone}}}),
    [](const ::testing::TestParamInfo<FieldCase>& row) { return std::string(row.param.name); });

// plain() gives a parameter's raw bytes, as a boundary must match its delimiter lines.
TEST(HeaderParameters, PlainIsTheRawFirstValue) {
    const HeaderParameters parsed =
        parseHeaderParameters("multipart/mixed; boundary=\"=_\xE9_=\"; boundary=second; boundary*=utf-8''x");
    const std::string* boundary = parsed.plain("boundary");
    ASSERT_NE(boundary, nullptr);
    EXPECT_EQ(*boundary, "=_\xE9_=") << "got \"" << *boundary << "\"";
    EXPECT_EQ(parsed.plain("name"), nullptr);
    EXPECT_EQ(parsed.parameters().size(), 3u);
}

TEST(HeaderParameters, ParameterListWithoutValue) {
    struct Case {
        const char* name;
        std::string text;
        std::optional<std::string> boundary;
    };
    const Case cases[] = {
        {"folded line", "\tboundary=Apple-Mail-1--234;", std::string("Apple-Mail-1--234")},
        {"after another parameter", "  charset=x; boundary=\"b\"", std::string("b")},
        {"prose", "the boundary=foo is here", std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const Case& c : cases) {
        const HeaderParameters parsed = parseParameterList(c.text);
        EXPECT_EQ(parsed.value(), "") << c.name;
        const std::string* got = parsed.plain("boundary");
        const std::optional<std::string> text = got ? std::optional<std::string>(*got) : std::nullopt;
        EXPECT_EQ(text, c.boundary) << c.name << ": got " << show(text) << ", want " << show(c.boundary);
    }
}

TEST(HeaderParameters, SplitsHeaderFields) {
    struct Case {
        const char* name;
        std::string line;
        bool field;
        std::string fieldName, body;
    };
    const Case cases[] = {
        {"content type", "Content-Type: text/plain", true, "Content-Type", " text/plain"},
        {"blank before colon", "Content-Type  : x", true, "Content-Type", " x"},
        {"no blank after colon", "Subject:x", true, "Subject", "x"},
        {"folded line", "\tboundary=x", false, "", ""},
        {"no colon", "begin 644 x.bin", false, "", ""},
        {"blank inside name", "Content Type: x", false, "", ""},
        {"empty name", ": x", false, "", ""},
        {"empty", "", false, "", ""},
    };
    for (const Case& c : cases) {
        std::string_view name;
        std::string_view body;
        const bool got = splitHeaderField(c.line, name, body);
        EXPECT_EQ(got, c.field) << c.name << ": got " << got << ", want " << c.field;
        if (!got || !c.field) continue;
        EXPECT_EQ(name, c.fieldName) << c.name;
        EXPECT_EQ(body, c.body) << c.name;
    }
    EXPECT_TRUE(equalsLowerCase("Content-DISPOSITION", "content-disposition"));
    EXPECT_FALSE(equalsLowerCase("Content-Dispositio", "content-disposition"));
}

// RFC 2047 words in a charset the word decoder converts (UTF-8): these need the UTF-8
// decoder of encoded words, skipped while it is the Latin-1 stand-in.
bool decodesUtf8Words() { return decodeEncodedWordsToUtf8("=?utf-8?q?x?=") == "x"; }

TEST(HeaderParameters, Utf8EncodedWordsInValues) {
    if (!decodesUtf8Words()) GTEST_SKIP() << "the UTF-8 encoded-word decoder is not in this build";
    struct Case {
        const char* name;
        std::string field;
        const char* parameter;
        std::string want;
    };
    const Case cases[] = {
        {"quoted B word", "attachment; filename=\"=?UTF-8?B?4oKsIHJhdGVzLnR4dA==?=\"", "filename",
         "\xE2\x82\xAC rates.txt"},
        {"unquoted B word", "application/pdf; name==?utf-8?B?w6l0w6kucGRm?=", "name", "\xC3\xA9t\xC3\xA9.pdf"},
        {"Q word", "attachment; filename=\"=?utf-8?Q?=C3=A9t=C3=A9.pdf?=\"", "filename", "\xC3\xA9t\xC3\xA9.pdf"},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> got = parseHeaderParameters(c.field).text(c.parameter);
        EXPECT_EQ(got, std::optional<std::string>(c.want))
            << c.name << ": got " << show(got) << ", want \"" << c.want << "\"";
    }
}

// Hostile fields: the parser keeps within its caps and hands out UTF-8 only. A parser
// that went back over the field would take far too long on these and time out.
TEST(HeaderParameters, HostileFieldsStayBounded) {
    std::string manyParameters = "multipart/mixed";
    for (int i = 0; i < 100000; ++i) manyParameters += "; x" + std::to_string(i) + "=" + std::to_string(i);
    manyParameters += "; boundary=late";

    std::string manySections = "attachment";
    for (int i = 0; i < 100000; ++i) manySections += "; filename*" + std::to_string(i) + "=abcdefgh";

    std::string longUnquoted = "attachment; filename=";
    longUnquoted.append(1 << 20, 'n');
    std::string longQuoted = "attachment; filename=\"";
    longQuoted += repeat("\\\"\xE9 ", 100000);

    struct Case {
        const char* name;
        std::string field;
    };
    const Case cases[] = {
        {"many parameters", manyParameters},
        {"many sections", manySections},
        {"long unquoted value", longUnquoted},
        {"long quoted value with escapes", longQuoted},
        {"deep comment", "attachment; " + std::string(200000, '(') + "filename=x"},
        {"many comments", "attachment" + repeat(" (c) ;", 50000)},
        {"long attribute", "attachment; " + std::string(100000, 'a') + "=x; filename=ok"},
        {"blanks after unquoted value", "attachment; filename=a" + std::string(100000, ' ') + "b"},
        {"words separated by blanks", "attachment; filename=" + repeat("w ", 50000)},
        {"percent signs", "attachment; filename*=utf-8''" + std::string(200000, '%')},
        {"long media type", std::string(100000, 't') + "/" + std::string(100000, 's')},
        {"long 8-bit media type", std::string(300, '\xE9') + "/x"},
    };
    for (const Case& c : cases) {
        const HeaderParameters parsed = parseHeaderParameters(c.field);
        EXPECT_LE(parsed.value().size(), 2 * kMaxFieldValue) << c.name;
        EXPECT_TRUE(isUtf8(parsed.value())) << c.name;
        EXPECT_LE(parsed.parameters().size(), kMaxHeaderParameters) << c.name << ": got " << parsed.parameters().size();
        for (const HeaderParameter& parameter : parsed.parameters()) {
            EXPECT_LE(parameter.name.size(), kMaxParameterName) << c.name;
            EXPECT_LE(parameter.value.size(), kMaxParameterValue) << c.name;
        }
        for (const char* name : {"filename", "boundary", "x1"}) {
            const std::optional<std::string> text = parsed.text(name);
            if (!text) continue;
            EXPECT_TRUE(isUtf8(*text)) << c.name << ": " << name;
            EXPECT_LE(text->size(), 3 * kMaxParameterValue) << c.name << ": " << name;
        }
    }
    // What the caps mean: parameters past the first kMaxHeaderParameters are not read,
    // and a joined value stops at kMaxParameterValue.
    EXPECT_EQ(parseHeaderParameters(manyParameters).plain("boundary"), nullptr);
    EXPECT_EQ(parseHeaderParameters(manySections).text("filename")->size(), 8 * kMaxHeaderParameters);
    EXPECT_EQ(parseHeaderParameters(longUnquoted).text("filename")->size(), kMaxParameterValue);
    EXPECT_EQ(parseHeaderParameters("attachment; " + std::string(200, 'a') + "=x; filename=ok").text("filename"),
              std::optional<std::string>("ok"));
}

}  // namespace
}  // namespace kodra
