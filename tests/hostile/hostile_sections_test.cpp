// Messages shaped against the section machinery: names that carry the name-list separator
// or terminal controls, ten thousand sections, and hundreds of thousands of boundaries.
// Each gives the pre-scan and DecodeFile a defined result, names that round-trip through
// a mode-1 list, and bounded memory.
#include "decode/decode_test_messages.h"
#include "hostile/hostile_support.h"
#include "support/scripted_user_interface.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace kodra::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps up to 256 MiB of freed blocks in quarantine; the plain builds
// hold the real bound.
constexpr long kMemoryAllowanceKib = (32 + 256) * 1024;
#else
constexpr long kMemoryAllowanceKib = 32 * 1024;
#endif

class HostileSections : public ::testing::Test {
protected:
    void SetUp() override { installQuietInterface(); }
    void TearDown() override { SetUserInterface(nullptr); }
};

std::vector<std::string> preScan(const std::string& input) {
    std::vector<std::string> listed;
    const int count = GetNumFilesToDecode(input.c_str());
    for (int i = 0; i < count; ++i) {
        char entry[1024] = {};
        EXPECT_EQ(GetEncodedFile(entry, i), 1) << "entry " << i;
        listed.emplace_back(entry);
    }
    return listed;
}

std::string joined(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ";") + name;
    return list;
}

// The first byte of text that a name must not hold (";" or a control code), or -1.
int firstForbidden(const std::string& text) {
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code == ';' || code < 0x20 || code == 0x7F) return code;
    }
    return -1;
}

struct NamedSection {
    const char* label;
    std::string message;  // one section holding kData
    std::string wantName;
};

const std::string kData = binaryPayload(400, 21);
const std::string kB = "=_hostile_sections_=";

std::string mimePart(const std::string& nameParameter) {
    return "--" + kB + "\r\nContent-Type: application/octet-stream; name=" + nameParameter +
           "\r\nContent-Transfer-Encoding: base64\r\n\r\n" + encodedLines(kData, KODRA_BASE64);
}

std::vector<NamedSection> namedSections() {
    return {
        {"semicolon in a MIME name", mimeMessage(kB, mimePart("\"a;b.txt\"")), "a_b.txt"},
        {"semicolons in a begin line", uuSection("c;d;e.bin", kData), "c_d_e.bin"},
        {"semicolon from an encoded word", mimeMessage(kB, mimePart("\"=?iso-8859-1?q?x=3By.bin?=\"")), "x_y.bin"},
        {"escape sequence in a begin line", uuSection("\x1b[2J\x1b]0;owned\a.bin", kData), "_[2J_]0_owned_.bin"},
        {"carriage return inside a begin line", uuSection("fake\rreal.bin", kData), "fake_real.bin"},
        {"tab and delete", uuSection("t\tx\x7f.bin", kData), "t_x_.bin"},
        {"escape in a quoted MIME name", mimeMessage(kB, mimePart("\"\x1b[31mred.png\"")), "_[31mred.png"},
        {"controls from encoded words", mimeMessage(kB, mimePart("\"=?iso-8859-1?q?=1B=5B1m=07=0D=0A=7F.txt?=\"")),
         "_[1m____.txt"},
        {"unquoted name with a bell", mimeMessage(kB, mimePart("bell\a.bin")), "bell_.bin"},
    };
}

// Names from the content never hold ";" or controls: the pre-scan lists them so, every
// prompt shows them so, and the decode writes them so.
TEST_F(HostileSections, NamesHoldNoSeparatorAndNoControls) {
    for (const NamedSection& row : namedSections()) {
        HostileSandbox sandbox;
        const std::string input = sandbox.file("message.eml");
        writeFile(input, row.message);
        const std::string want = sandbox.file(row.wantName);

        const std::vector<std::string> listed = preScan(input);
        EXPECT_EQ(listed, std::vector<std::string>{want}) << row.label;

        {
            ScriptedUserInterface ui({KODRA_IDYES, KODRA_IDYES});
            EXPECT_NE(DecodeFile(input.c_str(), nullptr, 0), 0) << row.label;
            ASSERT_FALSE(ui.prompts.empty()) << row.label;
            EXPECT_EQ(ui.prompts.front().text, "Decode file " + want + "?") << row.label;
            for (const Prompt& prompt : ui.prompts) {
                std::string text = prompt.text;
                const std::string question = "  \nOverwite?";  // the one line break a prompt has
                if (text.size() > question.size() && text.compare(text.size() - question.size(), question.size(), question) == 0)
                    text.resize(text.size() - question.size());
                EXPECT_EQ(firstForbidden(text), -1) << row.label << ": got prompt " << prompt;
            }
        }
        EXPECT_EQ(sandbox.inside(), (std::set<std::string>{"message.eml", row.wantName})) << row.label;
        EXPECT_TRUE(sameBytes(readFile(want), kData)) << row.label;
        EXPECT_TRUE(sandbox.outside().empty()) << row.label;
    }
}

// What the test application does: the listed names joined with ";" and handed back in
// mode 1. Every section lands under its own listed name, and nothing in the current
// folder (the sandbox root, where a split name would land).
TEST_F(HostileSections, ListedNamesRoundTripThroughModeOne) {
    HostileSandbox sandbox;
    const std::string input = sandbox.file("message.eml");
    const std::vector<std::string> data = {binaryPayload(300, 31), binaryPayload(310, 32), binaryPayload(320, 33),
                                           binaryPayload(330, 34)};
    auto part = [](const std::string& name, const std::string& bytes) {
        return "--" + kB + "\r\nContent-Type: application/octet-stream; name=\"" + name +
               "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + encodedLines(bytes, KODRA_BASE64);
    };
    writeFile(input, mimeMessage(kB, part("a;b.txt", data[0]) + part("next.bin", data[1]) +
                                         part(";;", data[2]) + part("=?iso-8859-1?q?=3Bz=1B.bin?=", data[3])));
    const std::vector<std::string> listed = preScan(input);
    const std::vector<std::string> want = {sandbox.file("a_b.txt"), sandbox.file("next.bin"), sandbox.file("__"),
                                           sandbox.file("_z_.bin")};
    ASSERT_EQ(listed, want);

    const std::string names = joined(listed);
    const std::string root = sandbox.root().string();
    const ChildOutcome outcome = runInChild([&] {
        if (chdir(root.c_str()) != 0) return 100;
        return DecodeFile(input.c_str(), names.c_str(), 1);
    });
    EXPECT_EQ(outcome.status, KODRA_BASE64);
    EXPECT_TRUE(sandbox.outside().empty()) << "got a file in the current folder: " << *sandbox.outside().begin();
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_TRUE(sameBytes(readFile(want[i]), data[i])) << want[i] << " should hold section " << i;
    EXPECT_EQ(sandbox.inside().size(), want.size() + 1);
}

// Ten thousand sections: the pre-scan lists every one, in order, and each entry is found
// by its index (the list grows and is indexed without rescanning).
TEST_F(HostileSections, TenThousandSectionsAreListedInOrder) {
    constexpr int kSections = 10000;
    HostileSandbox sandbox;
    const std::string input = sandbox.file("message.eml");
    const std::string lines = encodedLines(binaryPayload(120, 41), KODRA_BASE64);
    {
        std::ofstream out(input, std::ios::binary);
        out << "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"" << kB << "\"\r\n\r\n";
        for (int i = 0; i < kSections; ++i)
            out << "--" << kB << "\r\nContent-Type: application/octet-stream; name=\"p" << i
                << ".bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" << lines;
        out << "--" << kB << "--\r\n";
    }
    ASSERT_EQ(GetNumFilesToDecode(input.c_str()), kSections);
    char entry[1024];
    for (const int index : {kSections - 1, 0, kSections / 2, 1, kSections - 2}) {
        ASSERT_EQ(GetEncodedFile(entry, index), 1) << "index " << index;
        EXPECT_EQ(std::string(entry), sandbox.file("p" + std::to_string(index) + ".bin")) << "index " << index;
    }
    EXPECT_EQ(GetEncodedFile(entry, kSections), 0);
}

// Writes a message declaring `count` distinct boundaries of about 100 characters in one
// header block, the last of them framing a Base64 part holding data.
void writeManyBoundaries(const std::string& path, int count, const std::string& data) {
    std::ofstream out(path, std::ios::binary);
    out << "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"outer\"\r\n";
    std::string last;
    for (int i = 0; i < count; ++i) {
        last = std::string(static_cast<std::size_t>(60 + i % 40), 'b') + "_" + std::to_string(i);
        out << "X-Part: boundary=\"" << last << "\"\r\n";
    }
    out << "\r\n" << base64Part(last, "data.bin", data) << "--" << last << "--\r\n--outer--\r\n";
}

// Every boundary a file declares used to be kept (145 MiB for 54 MB of input): now only
// the most recent ones are, and the part framed by the last still decodes exactly.
TEST_F(HostileSections, HundredsOfThousandsOfBoundariesKeepMemoryBounded) {
    HostileSandbox sandbox;
    const std::string input = sandbox.file("message.eml");
    const std::string data = binaryPayload(5000, 51);
    writeManyBoundaries(input, 200000, data);
    const long before = residentKib();
    for (const int mode : {3, -1}) {
        const ChildOutcome outcome = runInChild([&] {
            return mode < 0 ? GetNumFilesToDecode(input.c_str()) : DecodeFile(input.c_str(), nullptr, mode);
        });
        EXPECT_EQ(outcome.status, mode < 0 ? 1 : KODRA_BASE64) << "mode " << mode;
        EXPECT_LT(outcome.peakKib - before, kMemoryAllowanceKib)
            << "mode " << mode << ": got " << outcome.peakKib - before << " KiB more, want below " << kMemoryAllowanceKib;
    }
    EXPECT_TRUE(sameBytes(readFile(sandbox.file("data.bin")), data));
    EXPECT_TRUE(sandbox.outside().empty());
}

// Nested multiparts stay correct when more boundaries are declared than are kept: each
// part ends at its own (recent) boundary, and the outer boundary, declared fewer than
// kMaxRemembered boundaries ago, still ends the parts directly inside it.
TEST_F(HostileSections, NestedMultipartsBeyondTheRememberedBoundaries) {
    constexpr int kInner = 1000;
    constexpr int kOuterAfter = 200;  // inner multiparts before the parts directly in the outer one
    HostileSandbox sandbox;
    const std::string input = sandbox.file("message.eml");
    std::map<std::string, std::string> want;
    std::string parts;
    auto innerMultipart = [&](int i) {
        const std::string inner = "inner_" + std::string(static_cast<std::size_t>(i % 50), 'i') + std::to_string(i);
        const std::string name = "in" + std::to_string(i) + ".bin";
        want[name] = binaryPayload(100 + static_cast<std::size_t>(i % 7), static_cast<unsigned>(i));
        return "--O\r\nContent-Type: multipart/alternative; boundary=\"" + inner + "\"\r\n\r\n" +
               base64Part(inner, name, want[name]) + "--" + inner + "--\r\n";
    };
    for (int i = 0; i < kOuterAfter; ++i) parts += innerMultipart(i);
    for (const char* name : {"direct1.bin", "direct2.bin"}) {
        want[name] = binaryPayload(700, static_cast<unsigned>(name[6]));
        parts += base64Part("O", name, want[name]);
    }
    for (int i = kOuterAfter; i < kInner; ++i) parts += innerMultipart(i);
    writeFile(input, mimeMessage("O", parts));

    EXPECT_EQ(static_cast<int>(preScan(input).size()), kInner + 2);
    EXPECT_EQ(DecodeFile(input.c_str(), nullptr, 3), KODRA_BASE64);
    for (const auto& [name, bytes] : want)
        EXPECT_TRUE(sameBytes(readFile(sandbox.file(name)), bytes)) << name;
    EXPECT_EQ(sandbox.inside().size(), want.size() + 1);
}

}  // namespace
}  // namespace kodra::testing
