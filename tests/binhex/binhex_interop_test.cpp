// Interoperation with a real peer: the binhex and hexbin tools of Debian's macutils.
// They must be installed (CI installs the macutils package); a missing tool fails.
#include "binhex/binhex.h"
#include "binhex/binhex_test_support.h"
#include "binhex/hexbin_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace kodra {
namespace {

using test::Bytes;

bool toolInstalled(const char* tool) {
    return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
}

// Runs a shell command inside folder; returns its exit status.
int runIn(const test::TempFolder& folder, const std::string& command) {
    const int status = std::system(("cd '" + folder.path().string() + "' && " + command).c_str());
    return status == 0 ? 0 : (status == -1 ? -1 : 1);
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MacutilsPeer : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"binhex", "hexbin"})
            ASSERT_TRUE(toolInstalled(tool)) << "got no " << tool << " on PATH; install the Debian package macutils";
    }
};

struct PeerCase {
    const char* name;
    Bytes data;
};

std::vector<PeerCase> peerCases() {
    return {
        {"empty", {}},
        {"one byte", {0x90}},
        {"run-heavy", test::runHeavyBytes(20000, 31)},
        {"random", test::randomBytes(50000, 32)},
    };
}

TEST_F(MacutilsPeer, TheirStreamsDecodeWithOurs) {
    for (const PeerCase& c : peerCases()) {
        test::TempFolder folder;
        test::writeFile(folder.path() / "peer.bin", c.data);
        ASSERT_EQ(runIn(folder, "binhex -d peer.bin > peer.hqx"), 0) << c.name;
        const test::DecodeOutcome got = test::decodeStream(readText(folder.path() / "peer.hqx"));
        EXPECT_EQ(got.detected, 1) << c.name;
        EXPECT_EQ(got.header, 1) << c.name;
        EXPECT_EQ(got.forks, 1) << c.name;
        EXPECT_EQ(got.name, "peer.bin") << c.name;
        EXPECT_EQ(got.data, c.data) << c.name;
        EXPECT_EQ(got.type, "TEXT") << c.name;
        EXPECT_EQ(got.creator, "MACA") << c.name;
    }
}

TEST_F(MacutilsPeer, OurStreamsDecodeWithTheirs) {
    for (const PeerCase& c : peerCases()) {
        test::TempFolder folder;
        {
            test::FilePtr source = test::streamWith(c.data);
            test::FilePtr output(std::fopen((folder.path() / "ours.hqx").c_str(), "wb"));
            ASSERT_TRUE(output) << c.name;
            ASSERT_EQ(encodeBinHexFile("kodra.bin", c.data.size(), source.get(), output.get()), 1) << c.name;
        }
        ASSERT_EQ(runIn(folder, "hexbin -d ours.hqx 2>/dev/null"), 0) << c.name << ": hexbin refused our stream";
        EXPECT_EQ(test::readFile(folder.path() / "kodra.bin.data"), c.data) << c.name;
        ASSERT_EQ(runIn(folder, "hexbin -i ours.hqx > info.txt 2>&1"), 0) << c.name;
        const std::string info = readText(folder.path() / "info.txt");
        EXPECT_NE(info.find("name=\"kodra.bin\", type=IBM?, author=KDRA, data=" + std::to_string(c.data.size())),
                  std::string::npos)
            << c.name << ": got " << info;
    }
}

// The older-format sections the tests build are the format the peer knows: it takes the
// good ones and refuses a wrong checksum, as our decoder does.
TEST_F(MacutilsPeer, AgreesOnOlderFormatSections) {
    const Bytes data = test::randomBytes(200, 41);
    const Bytes resource = {1, 2, 3};
    struct Case {
        const char* name;
        test::HexBinSection section;
        bool good;
    };
    const Case cases[] = {
        {"plain", {test::HexBinForm::plain, data, resource}, true},
        {"compressed", {test::HexBinForm::compressed, data, resource}, true},
        {"plain, bad checksum", {test::HexBinForm::plain, data, resource, 1}, false},
        {"compressed, bad checksum", {test::HexBinForm::compressed, data, resource, 1}, false},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        const std::string text = test::hexBinText(c.section);
        test::writeFile(folder.path() / "old.hex", Bytes(text.begin(), text.end()));
        const int peer = runIn(folder, "hexbin -d -n old old.hex 2>/dev/null");
        EXPECT_EQ(peer == 0, c.good) << c.name << ": peer exit status " << peer;
        if (c.good) {
            EXPECT_EQ(test::readFile(folder.path() / "old.data"), data) << c.name;
        }
        const test::DecodeOutcome ours = test::decodeStream(text);
        EXPECT_EQ(ours.forks, c.good ? 1 : 0) << c.name;
        EXPECT_EQ(ours.data, data) << c.name;
    }
}

}  // namespace
}  // namespace kodra
