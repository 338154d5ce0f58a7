// yEnc written by a peer, uuenview -y (Debian package uudeview), decoded bit-exact by
// KodraDecodeFileTo. Skipped when uuenview is missing.
#include "kodra32.h"
#include "support/temp_folder.h"
#include "yenc_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>
#include <sys/wait.h>

namespace kodra::testing {
namespace {

int runIn(const TempFolder& folder, const std::string& command) {
    const std::string line = "cd '" + folder.path().string() + "' && " + command;
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveUuenview() { return std::system("command -v uuenview >/dev/null 2>&1") == 0; }

struct PeerRow {
    const char* name;
    std::string data;
};

std::vector<PeerRow> peerRows() {
    return {
        {"empty", ""},
        {"one byte", "\x2A"},
        {"one critical byte", std::string(1, '\xD6')},
        {"all 255s", std::string(5000, '\xFF')},
        {"every byte value", [] {
             std::string bytes;
             for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
             return bytes;
         }()},
        {"random, one line", randomBytes(100, 21)},
        {"random, many lines", randomBytes(300001, 22)},
    };
}

TEST(YencInterop, UuenviewSinglePartDecodesBitExact) {
    if (!haveUuenview()) GTEST_SKIP() << "uuenview is missing: install the Debian package uudeview";
    for (const PeerRow& row : peerRows()) {
        TempFolder folder;
        writeFile(folder.file("data.bin"), row.data);
        ASSERT_EQ(runIn(folder, "uuenview -y data.bin > posted.txt 2>/dev/null"), 0) << row.name;
        const std::string out = folder.file("out");
        ASSERT_TRUE(std::filesystem::create_directory(out)) << row.name;
        KodraContext* context = KodraOpenContext();
        const int result = KodraDecodeFileTo(context, folder.file("posted.txt").c_str(), out.c_str());
        KodraCloseContext(context);
        EXPECT_EQ(result, KODRA_ENCODING_YENC) << row.name << ": got " << result << ", want 8";
        const std::string got = readFile(out + "/data.bin");
        EXPECT_EQ(got, row.data) << row.name << ": got " << got.size() << " bytes, want " << row.data.size();
        EXPECT_FALSE(std::filesystem::exists(out + "/data.bin.incomplete")) << row.name;
    }
}

}  // namespace
}  // namespace kodra::testing
