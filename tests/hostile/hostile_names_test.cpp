// Attachment names that try to leave the output folder, or carry NUL bytes or 10 000
// characters: each decode stays in the input's folder and writes plain file names.
#include "decode/decode_test_messages.h"
#include "hostile/hostile_support.h"

#include <gtest/gtest.h>

namespace kodra::testing {
namespace {

class HostileNames : public ::testing::Test {
protected:
    void SetUp() override { installQuietInterface(); }
    void TearDown() override { SetUserInterface(nullptr); }
};

struct NameCase {
    const char* label;
    std::string name;
};

std::vector<NameCase> hostileNames() {
    return {
        {"parent", "../escaped.bin"},
        {"deep parent", "../../../../../../tmp/escaped.bin"},
        {"absolute", "/tmp/kodra-hostile-absolute.bin"},
        {"backslash path", "..\\..\\escaped.bin"},
        {"slash path", "sub/dir/escaped.bin"},
        {"dot dot only", ".."},
        {"dot only", "."},
        {"nul inside", std::string("good\0../../bad.bin", 18)},
        {"ten thousand", std::string(10000, 'n') + ".bin"},
        {"ten thousand slashes", std::string(5000, '/') + "x"},
    };
}

void expectContained(const HostileSandbox& sandbox, const std::string& label) {
    EXPECT_TRUE(sandbox.outside().empty()) << label << ": got files outside the folder, want none";
    for (const std::string& name : sandbox.inside()) {
        EXPECT_EQ(name.find('/'), std::string::npos) << label << ": got name " << name;
        EXPECT_TRUE(std::filesystem::is_regular_file(sandbox.folder() / name)) << label << ": " << name;
    }
}

TEST_F(HostileNames, UuBeginLinesStayInTheFolder) {
    const std::string data = binaryPayload(200);
    for (const NameCase& row : hostileNames()) {
        HostileSandbox sandbox;
        const std::string input = sandbox.file("message.txt");
        writeFile(input, "Subject: x\r\n\r\n" + uuSection(row.name, data));
        const int listed = GetNumFilesToDecode(input.c_str());
        char entry[1024];
        for (int i = 0; i < listed; ++i) {
            ASSERT_EQ(GetEncodedFile(entry, i), 1) << row.label;
            EXPECT_EQ(std::filesystem::path(entry).parent_path(), sandbox.folder())
                << row.label << ": got listed path " << entry;
        }
        const int result = DecodeFile(input.c_str(), nullptr, 3);
        EXPECT_TRUE(result >= 0 && result <= KODRA_QUOTED_PRINTABLE) << row.label << ": got " << result;
        expectContained(sandbox, row.label);
        EXPECT_FALSE(std::filesystem::exists("/tmp/kodra-hostile-absolute.bin")) << row.label;
    }
}

TEST_F(HostileNames, MimeFileNameParametersStayInTheFolder) {
    const std::string data = binaryPayload(300);
    for (const NameCase& row : hostileNames()) {
        HostileSandbox sandbox;
        const std::string input = sandbox.file("message.eml");
        writeFile(input, mimeMessage("b", base64Part("b", row.name, data)));
        const int result = DecodeFile(input.c_str(), nullptr, 3);
        EXPECT_TRUE(result >= 0 && result <= KODRA_QUOTED_PRINTABLE) << row.label << ": got " << result;
        expectContained(sandbox, row.label);

        HostileSandbox text;
        const std::string message = text.file("message.eml");
        writeFile(message, mimeMessage("b", base64Part("b", row.name, data)));
        GetMessageText(message.c_str(), "text.txt");
        expectContained(text, row.label);
    }
}

TEST_F(HostileNames, TenThousandCharacterBoundaryIsHandled) {
    HostileSandbox sandbox;
    const std::string boundary(10000, 'b');
    const std::string input = sandbox.file("message.eml");
    const std::string data = binaryPayload(500);
    writeFile(input, mimeMessage(boundary, base64Part(boundary, "data.bin", data)));
    const int result = DecodeFile(input.c_str(), nullptr, 3);
    EXPECT_TRUE(result == 0 || result == KODRA_BASE64) << "got " << result;
    expectContained(sandbox, "long boundary");
    GetMessageText(input.c_str(), "text.txt");
    expectContained(sandbox, "long boundary, message text");
}

}  // namespace
}  // namespace kodra::testing
