// Our yEnc postings as uudeview (Debian package uudeview) reads them: single files and parts,
// decoded bit-exact. Skipped when uudeview is missing.
#include "../encode/encode_test_support.h"
#include "kodra32.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace kodra::test {
namespace {

namespace fs = std::filesystem;

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};

// Runs uudeview on every file of `inputs` (a folder), decoding into `outputs`; its exit status.
int runUudeview(const std::string& inputs, const std::string& outputs) {
    const std::string line = "cd '" + inputs + "' && uudeview -i -o -q -n -p '" + outputs + "/' * >/dev/null 2>&1";
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Binary data of every byte value in random order, runs of bytes that encode to critical
// characters included.
std::string binaryBytes(std::size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i < 256 ? i : random());
    for (std::size_t i = 300; i + 20 < size; i += 997)
        for (std::size_t k = 0; k < 20; ++k) bytes[i + k] = static_cast<char>(k % 2 ? 214 : 246);  // 0 and " "
    return bytes;
}

struct InteropCase {
    const char* name;
    std::size_t size;
    long long partSize;  // 0: one file
};

TEST(YencInteropTest, UudeviewReadsOurPostingsBitExact) {
    if (!haveProgram("uudeview")) GTEST_SKIP() << "uudeview is missing: install the Debian package uudeview";
    // uudeview finds no data in a section of a few lines (uuenview's own included): every
    // section here holds at least 2000 bytes, about 16 lines.
    const std::vector<InteropCase> cases = {
        {"every byte value, 16 lines", 2000, 0},
        {"one line past", 2049, 0},
        {"binary", 100000, 0},
        {"binary in two parts", 100000, 60000},
        {"binary in many parts", 302000, 25000},
        {"parts of 16 lines", 10000, 2000},
        {"exactly one part", 4000, 4000},
    };
    std::unique_ptr<KodraContext, ContextCloser> context(KodraOpenContext());
    for (const InteropCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder sources, posts, decoded;
        const std::string content = binaryBytes(c.size, static_cast<unsigned>(c.size));
        writeFile(sources.file("data.bin"), content);
        const int files = KodraEncodeFile(context.get(), sources.file("data.bin").c_str(),
                                          posts.file("post.ync").c_str(), KODRA_YENC, c.partSize);
        ASSERT_GT(files, 0);
        ASSERT_EQ(runUudeview(posts.path().string(), decoded.path().string()), 0) << "uudeview failed";
        ASSERT_TRUE(exists(decoded.file("data.bin"))) << "uudeview wrote nothing";
        EXPECT_EQ(readFile(decoded.file("data.bin")), content) << "uudeview decoded other bytes";
    }
}

}  // namespace
}  // namespace kodra::test
