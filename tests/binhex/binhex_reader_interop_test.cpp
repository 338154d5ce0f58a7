// The BinHex reader on streams of a real peer: Debian's macutils binhex, installed like
// for the stream decoders' interop tests; a missing tool fails.
#include "binhex/binhex_reader_test_support.h"
#include "binhex/hexbin_test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace kodra {
namespace {

using test::Bytes;

int runIn(const test::TempFolder& folder, const std::string& command) {
    const int status = std::system(("cd '" + folder.path().string() + "' && " + command).c_str());
    return status == 0 ? 0 : 1;
}

TEST(BinHexReaderPeer, TheirStreamsDecodeAtEveryFeed) {
    ASSERT_EQ(std::system("command -v binhex >/dev/null 2>&1"), 0)
        << "got no binhex on PATH; install the Debian package macutils";
    struct Case {
        const char* name;
        Bytes data;
    };
    const Case cases[] = {
        {"empty", {}},
        {"one byte", {0x90}},
        {"run-heavy", test::runHeavyBytes(20000, 31)},
        {"random", test::randomBytes(50000, 32)},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        test::writeFile(folder.path() / "peer.bin", c.data);
        ASSERT_EQ(runIn(folder, "binhex -d peer.bin > peer.hqx"), 0) << c.name;
        const Bytes hqx = test::readFile(folder.path() / "peer.hqx");
        const std::string text(hqx.begin(), hqx.end());
        const test::DecodeOutcome got = test::readerDecode(text);
        EXPECT_EQ(got.detected, 1) << c.name;
        EXPECT_EQ(got.header, 1) << c.name;
        EXPECT_EQ(got.forks, 1) << c.name;
        EXPECT_EQ(got.name, "peer.bin") << c.name;
        EXPECT_EQ(got.data, c.data) << c.name;
        const auto want = test::streamDrive(text);
        const auto records = test::readerDrive(text, test::allFeeds()[0]);
        EXPECT_TRUE(records == want) << c.name << ": got " << test::describe(records) << ", want "
                                     << test::describe(want);
    }
}

}  // namespace
}  // namespace kodra
