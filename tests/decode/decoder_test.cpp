// The decode engine fed the same messages from memory and from files at many read sizes,
// with and without the clean-line runs: every way must give the same parts and bytes.
#include "decode/decoder.h"

#include "decode/decode_test_messages.h"
#include "support/portable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace kodra {
namespace {

struct Part {
    std::string name, nameUtf8;
    int encoding = 0;
    std::string data;
    int status = -1;
    bool operator==(const Part& other) const {
        return name == other.name && nameUtf8 == other.nameUtf8 && encoding == other.encoding &&
               data == other.data && status == other.status;
    }
};

struct Recording {
    std::vector<Part> parts;
};

int KODRA_CALL onBegin(void* self, const KodraPart* part) {
    auto* recording = static_cast<Recording*>(self);
    Part next;
    next.name.assign(part->name, part->nameSize);
    next.nameUtf8 = part->nameUtf8;
    next.encoding = part->encoding;
    recording->parts.push_back(next);
    return 1;
}

int KODRA_CALL onData(void* self, const void* bytes, size_t size) {
    static_cast<Recording*>(self)->parts.back().data.append(static_cast<const char*>(bytes), size);
    return 1;
}

void KODRA_CALL onEnd(void* self, const KodraPart*, int status) {
    static_cast<Recording*>(self)->parts.back().status = status;
}

std::string describe(const std::vector<Part>& parts) {
    std::string text;
    for (const Part& part : parts)
        text += "[" + part.name + " enc " + std::to_string(part.encoding) + " status " + std::to_string(part.status) +
                " " + std::to_string(part.data.size()) + " bytes]";
    return text;
}

std::vector<Part> decodeWith(DecodeInput input) {
    Recording recording;
    const KodraSink sink{&recording, onBegin, onData, onEnd};
    DecodeTarget target;
    target.kind = Destination::sink;
    target.sink = &sink;
    platform::UserInterface ui;
    runDecode(ui, std::move(input), target);
    return recording.parts;
}

std::vector<Part> decodeMemory(const std::string& message, bool cleanLineRuns = true,
                               std::optional<SimdLevel> simdLevel = std::nullopt) {
    DecodeInput input;
    input.simdLevel = simdLevel;
    input.data = message.data();
    input.size = message.size();
    input.inMemory = true;
    input.cleanLineRuns = cleanLineRuns;
    return decodeWith(std::move(input));
}

std::vector<Part> decodeFileAt(const std::string& path, std::size_t readSize, bool cleanLineRuns) {
    DecodeInput input;
    input.path = path.c_str();
    input.readSize = readSize;
    input.cleanLineRuns = cleanLineRuns;
    return decodeWith(std::move(input));
}

std::string bytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string data(size, '\0');
    for (char& c : data) c = static_cast<char>(random());
    return data;
}

// Base64 of data in lines of `width` symbols (a multiple of four), CR LF or LF ends.
std::string base64Lines(const std::string& data, std::size_t width, const char* lineEnd) {
    const std::string all = testing::encodedLines(data, KODRA_BASE64);
    std::string symbols;
    for (const char c : all)
        if (c != '\r' && c != '\n') symbols.push_back(c);
    std::string text;
    for (std::size_t at = 0; at < symbols.size(); at += width) text += symbols.substr(at, width) + lineEnd;
    return text;
}

std::string toLf(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out.push_back(text[i]);
    return out;
}

// The same text with classic Mac line ends: every CR LF made CR.
std::string toCr(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r')) out.push_back(text[i]);
    return out;
}

// Every byte value, four times over, in an order without a line that opens with "--".
std::string allByteValues() {
    std::string bytes;
    for (int round = 0; round < 4; ++round)
        for (int value = 0; value < 256; ++value) bytes += static_cast<char>((value * 7 + round) & 0xFF);
    return bytes;
}

// A message of an 8bit text part, a binary part and a Base64 part, with its parts.
std::string rawPartsMessage(const std::string& text8, const std::string& binary, const std::string& base64Data) {
    return testing::mimeMessage(
        "r7", "--r7\r\nContent-Type: text/plain; charset=iso-8859-1; name=\"t8.txt\"\r\n"
              "Content-Transfer-Encoding: 8bit\r\n\r\n" + text8 + "\r\n"
              "--r7\r\nContent-Type: application/octet-stream; name=\"raw.bin\"\r\n"
              "Content-Transfer-Encoding: binary\r\n\r\n" + binary + "\r\n" +
              testing::base64Part("r7", "c.bin", base64Data));
}

constexpr char kText8Bytes[] = "caf\xE9 in 8bit\nCR LF line\r\nlone\rCR\n\0NUL\n\n";
const std::string kText8(kText8Bytes, sizeof kText8Bytes - 1);

struct MessageCase {
    const char* name;
    std::string message;
    std::size_t wantParts;
};

std::vector<MessageCase> messages() {
    using testing::base64Part;
    using testing::mimeMessage;
    using testing::uuSection;
    const std::string a = bytes(5000, 1), b = bytes(777, 2), c = bytes(100000, 3);
    std::vector<MessageCase> cases;
    cases.push_back({"MimeTwoAttachments", mimeMessage("b1", base64Part("b1", "a.bin", a) + base64Part("b1", "b.bin", b)), 2});
    cases.push_back({"MimeLf", toLf(mimeMessage("b1", base64Part("b1", "a.bin", a))), 1});
    cases.push_back({"UuAndXx", "text before\r\n" + uuSection("u.bin", a) + "between\r\n" +
                                    uuSection("x.bin", b, KODRA_XXENCODE) + "after\r\n",
                     2});
    cases.push_back({"UuLf", toLf(uuSection("u.bin", c)), 1});
    cases.push_back({"QuotedPrintableAndBase64",
                     mimeMessage("q", "--q\r\nContent-Type: text/plain; name=\"n.txt\"\r\n"
                                      "Content-Transfer-Encoding: quoted-printable\r\n\r\nSoft=\r\n line caf=E9\r\n"
                                      "\r\nlast\r\n" +
                                          base64Part("q", "c.bin", c)),
                     2});
    for (const std::size_t width : {1020u, 1024u, 2000u, 100000u}) {
        const std::string part = "--w\r\nContent-Type: application/octet-stream; name=\"long.bin\"\r\n"
                                 "Content-Transfer-Encoding: base64\r\n\r\n" +
                                 base64Lines(c, width, "\r\n");
        cases.push_back({"Base64LinesOf", mimeMessage("w", part), 1});
        cases.back().name = width == 1020u ? "Base64Lines1020" : width == 1024u ? "Base64Lines1024"
                                          : width == 2000u ? "Base64Lines2000" : "Base64Lines100000";
    }
    std::string damaged = mimeMessage("d", base64Part("d", "d.bin", a));
    damaged.insert(damaged.find("\r\n", damaged.size() / 2) + 2, "this line is not Base64 at all!\r\n");
    cases.push_back({"DamagedLineInData", damaged, 1});
    std::string upper = uuSection("br.bin", a);
    upper.replace(upper.find("\r\n", upper.size() / 2), 2, "<BR>\r\n");
    cases.push_back({"UuLineWithBreakTag", upper, 1});
    // A private alphabet (here XXencode's, given by a "table" header) decodes like any other.
    cases.push_back({"PrivateTable",
                     "table\r\n+-0123456789ABCDEFGHIJKLMNOPQRST\r\nUVWXYZabcdefghijklmnopqrstuvwxyz\r\n"
                     "begin 644 t.bin\r\n" + testing::encodedLines(b, KODRA_XXENCODE) + "+\r\nend\r\n",
                     1});
    // Classic Mac line ends, alone and after LF lines a relay put before them.
    cases.push_back({"MimeCr", toCr(mimeMessage("b1", base64Part("b1", "a.bin", a) + base64Part("b1", "b.bin", b))), 2});
    cases.push_back({"UuAndXxCr", toCr("text before\r\n" + uuSection("u.bin", a) + "between\r\n" +
                                       uuSection("x.bin", b, KODRA_XXENCODE) + "after\r\n"),
                     2});
    cases.push_back({"UuCr", toCr(uuSection("u.bin", c)), 1});
    const auto named = [&cases](const char* name) {
        return std::find_if(cases.begin(), cases.end(), [name](const MessageCase& m) { return m.name == std::string(name); })
            ->message;
    };
    cases.push_back({"QuotedPrintableAndBase64Cr", toCr(named("QuotedPrintableAndBase64")), 2});
    cases.push_back({"Base64Lines1024Cr", toCr(named("Base64Lines1024")), 1});
    cases.push_back({"MimeCrAfterLfLines",
                     "Received: by relay\nX-Relayed: yes\n" + toCr(mimeMessage("b1", base64Part("b1", "a.bin", a))), 1});
    // CR lines with CR LF lines among them: the data lines of a part pasted in.
    std::string padding;
    for (int i = 0; i < 300; ++i) padding += "X-Pad: " + std::to_string(i) + "\r";
    cases.push_back({"CrHeadersCrLfData", padding + mimeMessage("b1", base64Part("b1", "b.bin", b)), 1});
    // 8bit and binary parts, byte for byte.
    cases.push_back({"RawParts", rawPartsMessage(kText8, allByteValues(), b), 3});
    cases.push_back({"RawPartsLf", toLf(rawPartsMessage(kText8, "", b)), 3});
    return cases;
}

TEST(DecodeEngine, FilesAtEveryReadSizeAndMemoryAgree) {
    const std::filesystem::path folder = kodra::testing::makeTempFolder("kodra-engine-");
    for (const MessageCase& c : messages()) {
        // The reference: line by line, on the scalar code alone.
        const std::vector<Part> want = decodeMemory(c.message, false, SimdLevel::scalar);
        ASSERT_EQ(want.size(), c.wantParts) << c.name << ": line by line from memory gave " << describe(want);
        for (const Part& part : want) EXPECT_EQ(part.status, KODRA_PART_DECODED) << c.name << " " << part.name;
        const std::vector<Part> runs = decodeMemory(c.message, true);
        EXPECT_TRUE(runs == want) << c.name << " from memory with clean-line runs: got " << describe(runs) << ", want "
                                  << describe(want);
        const std::string path = (folder / (std::string(c.name) + ".eml")).string();
        std::ofstream(path, std::ios::binary) << c.message;
        for (const std::size_t readSize : {1u, 2u, 3u, 7u, 64u, 77u, 4096u, 65536u, 0u}) {
            for (const bool cleanLineRuns : {false, true}) {
                const std::vector<Part> got = decodeFileAt(path, readSize ? readSize : c.message.size(), cleanLineRuns);
                EXPECT_TRUE(got == want) << c.name << " read " << readSize << " bytes at a time, runs "
                                         << cleanLineRuns << ": got " << describe(got) << ", want " << describe(want);
            }
        }
    }
    std::filesystem::remove_all(folder);
}

// The whole of a long Base64 line is data: nothing is lost at 1023 characters.
TEST(DecodeEngine, LongLinesLoseNothing) {
    const std::string c = bytes(100000, 3);
    for (const MessageCase& m : messages()) {
        if (std::string(m.name).rfind("Base64Lines", 0) != 0) continue;
        const std::vector<Part> got = decodeMemory(m.message);
        ASSERT_EQ(got.size(), 1u) << m.name;
        EXPECT_TRUE(got[0].data == c) << m.name << ": got " << got[0].data.size() << " bytes, want " << c.size();
    }
}

// A Base64 part written without "=" padding: its last group of two or three symbols
// still gives its one or two bytes, wherever the part ends (a boundary, the end of the
// input with or without a line end) and however the input is read.
TEST(DecodeEngine, UnpaddedLastGroupGivesItsBytes) {
    const auto unpadded = [](std::string text) {
        text.erase(std::remove(text.begin(), text.end(), '='), text.end());
        return text;
    };
    const auto part = [](const std::string& name, const std::string& lines) {
        return "--u\r\nContent-Type: application/octet-stream; name=\"" + name +
               "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + lines;
    };
    const std::string head = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"u\"\r\n\r\n";
    struct Case {
        std::string name;
        std::string message;
        std::vector<std::string> want;  // the bytes of a.bin, b.bin, ...
    };
    std::vector<Case> cases;
    // 76-symbol lines and a last one of 2 or 3 symbols (58, 59, 1000, 1001 bytes), or only that.
    for (const std::size_t size : {1u, 2u, 58u, 59u, 1000u, 1001u}) {
        const std::string data = bytes(size, static_cast<unsigned>(size));
        const std::string lines = unpadded(base64Lines(data, 76, "\r\n"));
        const std::string of = ", " + std::to_string(size) + " bytes";
        const std::string message = head + part("a.bin", lines);
        cases.push_back({"boundary after" + of, message + "--u--\r\n", {data}});
        cases.push_back({"blank line, then boundary" + of, message + "\r\n--u--\r\n", {data}});
        cases.push_back({"next part after" + of, message + part("b.bin", base64Lines(data, 76, "\r\n")) + "--u--\r\n",
                         {data, data}});
        cases.push_back({"input ends after the line end" + of, message, {data}});
        cases.push_back({"input ends in the group" + of, message.substr(0, message.size() - 2), {data}});
        cases.push_back({"LF line ends" + of, toLf(message + "--u--\r\n"), {data}});
    }
    const std::filesystem::path folder = kodra::testing::makeTempFolder("kodra-unpadded-");
    const std::string path = (folder / "message.eml").string();
    for (const Case& c : cases) {
        std::vector<Part> want;
        for (std::size_t i = 0; i < c.want.size(); ++i) {
            Part next;
            next.name = next.nameUtf8 = std::string(1, static_cast<char>('a' + i)) + ".bin";
            next.encoding = KODRA_ENCODING_BASE64;
            next.data = c.want[i];
            next.status = KODRA_PART_DECODED;
            want.push_back(next);
        }
        for (const bool runs : {false, true}) {
            const std::vector<Part> got = decodeMemory(c.message, runs);
            EXPECT_TRUE(got == want) << c.name << ", from memory, runs " << runs << ": got " << describe(got)
                                     << ", want " << describe(want);
        }
        std::ofstream(path, std::ios::binary | std::ios::trunc) << c.message;
        for (const std::size_t readSize : {1u, 2u, 3u, 7u, 64u, 77u, 4096u, 0u}) {
            for (const bool runs : {false, true}) {
                const std::vector<Part> got = decodeFileAt(path, readSize ? readSize : c.message.size(), runs);
                EXPECT_TRUE(got == want) << c.name << ", read " << readSize << " bytes at a time, runs " << runs
                                         << ": got " << describe(got) << ", want " << describe(want);
            }
        }
    }
    std::filesystem::remove_all(folder);
}

// A message with CR line ends gives what the same message with CR LF gives: the same
// files, and text with its CR line ends.
TEST(DecodeEngine, CrLineEndsDecodeLikeCrLf) {
    const std::string a = bytes(5000, 1), b = bytes(777, 2), c = bytes(100000, 3);
    struct Row {
        const char* name;
        std::string crLf;
    };
    using testing::base64Part;
    using testing::mimeMessage;
    using testing::uuSection;
    const std::vector<Row> rows = {
        {"MIME Base64", mimeMessage("b1", base64Part("b1", "a.bin", a) + base64Part("b1", "b.bin", b))},
        {"UU and XX", "text before\r\n" + uuSection("u.bin", a) + "between\r\n" + uuSection("x.bin", b, KODRA_XXENCODE)},
        {"UU, many lines", uuSection("u.bin", c)},
        {"text, quoted-printable and Base64",
         mimeMessage("q", "--q\r\nContent-Type: text/plain; name=\"t.txt\"\r\n\r\nplain line\r\n\r\nlast\r\n"
                          "--q\r\nContent-Type: text/plain; name=\"n.txt\"\r\n"
                          "Content-Transfer-Encoding: quoted-printable\r\n\r\nSoft=\r\n line caf=E9\r\n\r\nend\r\n" +
                              base64Part("q", "c.bin", c))},
    };
    for (const Row& row : rows) {
        const std::vector<Part> fromCrLf = decodeMemory(row.crLf);
        ASSERT_FALSE(fromCrLf.empty()) << row.name;
        std::vector<Part> want = fromCrLf;
        for (Part& part : want)
            if (part.encoding == KODRA_ENCODING_TEXT || part.encoding == KODRA_ENCODING_QUOTED_PRINTABLE)
                part.data = platform::kTextInCrLf ? part.data : toCr(part.data);
        const std::string cr = toCr(row.crLf);
        const std::vector<Part> got = decodeMemory(cr);
        EXPECT_TRUE(got == want) << row.name << ": got " << describe(got) << ", want " << describe(want);
        for (std::size_t i = 0; i < got.size() && i < want.size(); ++i)
            EXPECT_EQ(got[i].data, want[i].data) << row.name << ", part " << want[i].name;
    }
}

// 8bit and binary parts are written byte for byte, whatever the message's line ends, and
// reported as text.
TEST(DecodeEngine, RawPartsAreWrittenByteForByte) {
    const std::string binary = allByteValues();
    const std::string b = bytes(777, 2);
    struct Row {
        const char* name;
        std::string message;
        std::string wantText;
        std::string wantBinary;
    };
    const std::vector<Row> rows = {
        {"CR LF message", rawPartsMessage(kText8, binary, b), kText8, binary},
        {"LF message", toLf(rawPartsMessage(kText8, "\x01\x02\r\x03", b)), toLf(kText8), "\x01\x02\r\x03"},
        {"CR message", toCr(rawPartsMessage("one\r\ntwo\r\n\r\nfour", "\x01\r\x02", b)), "one\rtwo\r\rfour",
         "\x01\r\x02"},
        // The first part's first line is empty: nothing to copy before its line end.
        {"first part opens with an empty line", rawPartsMessage("\r\nafter a blank line", binary, b),
         "\r\nafter a blank line", binary},
    };
    for (const Row& row : rows) {
        const std::vector<Part> got = decodeMemory(row.message);
        ASSERT_EQ(got.size(), 3u) << row.name << ": got " << describe(got);
        EXPECT_EQ(got[0].name, "t8.txt") << row.name;
        EXPECT_EQ(got[0].encoding, KODRA_ENCODING_TEXT) << row.name;
        EXPECT_EQ(got[0].data, row.wantText) << row.name;
        EXPECT_EQ(got[1].name, "raw.bin") << row.name;
        EXPECT_EQ(got[1].encoding, KODRA_ENCODING_TEXT) << row.name;
        EXPECT_TRUE(got[1].data == row.wantBinary)
            << row.name << ": got " << got[1].data.size() << " bytes, want " << row.wantBinary.size();
        EXPECT_EQ(got[2].data, b) << row.name;
        for (const Part& part : got) EXPECT_EQ(part.status, KODRA_PART_DECODED) << row.name << " " << part.name;
    }
}

// The classic reading of GetMessageText's intermediate file: lone CRs stay in lines, text
// ends in CR LF and 8bit parts are text.
TEST(DecodeEngine, ClassicTextReading) {
    DecodeInput input;
    const std::string message = toLf(rawPartsMessage("one\ntwo", "x\ry\n", bytes(10, 4)));
    input.data = message.data();
    input.size = message.size();
    input.inMemory = true;
    input.classicText = true;
    const std::vector<Part> got = decodeWith(std::move(input));
    ASSERT_EQ(got.size(), 3u) << describe(got);
    EXPECT_EQ(got[0].data, "one\r\ntwo\r\n");
    EXPECT_EQ(got[1].data, "x\ry\r\n");
    const std::string cr = "Subject: mac\r\r" + toCr(testing::uuSection("u.bin", bytes(100, 5)));
    DecodeInput crInput;
    crInput.data = cr.data();
    crInput.size = cr.size();
    crInput.inMemory = true;
    crInput.classicText = true;
    EXPECT_TRUE(decodeWith(std::move(crInput)).empty()) << "got parts from CR lines read the classic way";
}

}  // namespace
}  // namespace kodra
