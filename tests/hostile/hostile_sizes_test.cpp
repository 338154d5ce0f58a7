// Oversized input: a header folded over 100 000 lines and a 100 MiB line. Every entry
// point ends with a defined result, and memory stays bounded (measured in a child).
#include "decode/decode_test_messages.h"
#include "hostile/hostile_support.h"

#include <gtest/gtest.h>

#include <fstream>

namespace kodra::testing {
namespace {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer keeps up to 256 MiB of freed blocks in quarantine; the plain builds
// hold the real bound.
constexpr long kMemoryAllowanceKib = (64 + 256) * 1024;
#else
constexpr long kMemoryAllowanceKib = 64 * 1024;  // far below the 100 MiB of input
#endif

class HostileSizes : public ::testing::Test {
protected:
    void SetUp() override { installQuietInterface(); }
    void TearDown() override { SetUserInterface(nullptr); }
};

// Writes head, then `repeat` copies of chunk, then tail, without holding it all in memory.
void writeLarge(const std::string& path, const std::string& head, const std::string& chunk, std::size_t repeat,
                const std::string& tail) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << head;
    for (std::size_t i = 0; i < repeat; ++i) out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    out << tail;
}

struct EntryCase {
    const char* label;
    std::function<int(const std::string& path)> call;
};

std::vector<EntryCase> fileEntries() {
    return {
        {"DecodeFile", [](const std::string& path) { return DecodeFile(path.c_str(), nullptr, 3); }},
        {"GetNumFilesToDecode", [](const std::string& path) { return GetNumFilesToDecode(path.c_str()); }},
        {"GetMessageInfo",
         [](const std::string& path) {
             MessageInfoRecord record;
             const int result = GetMessageInfo(path.c_str(), &record);
             FreeMessageInfo(&record);
             return result;
         }},
        {"GetMessageHeaderField",
         [](const std::string& path) {
             char buffer[64];
             return GetMessageHeaderField(path.c_str(), buffer, sizeof buffer, 3);
         }},
        {"GetMessageText", [](const std::string& path) { return GetMessageText(path.c_str(), "text.txt"); }},
    };
}

void expectBoundedEverywhere(const std::string& label, const std::string& head, const std::string& chunk,
                             std::size_t repeat, const std::string& tail) {
    for (const EntryCase& entry : fileEntries()) {
        HostileSandbox sandbox;
        const std::string input = sandbox.file("message.eml");
        writeLarge(input, head, chunk, repeat, tail);
        const long before = residentKib();
        const ChildOutcome outcome = runInChild([&] { return entry.call(input); });
        EXPECT_GE(outcome.status, 0) << label << ", " << entry.label << ": got signal " << -outcome.status;
        EXPECT_LT(outcome.peakKib - before, kMemoryAllowanceKib)
            << label << ", " << entry.label << ": got " << outcome.peakKib - before << " KiB more, want below "
            << kMemoryAllowanceKib;
        EXPECT_TRUE(sandbox.outside().empty()) << label << ", " << entry.label << ": wrote outside the folder";
    }
}

TEST_F(HostileSizes, HeaderFoldedOverHundredThousandLines) {
    expectBoundedEverywhere("folded header", "From: a@example.org\r\nSubject: start", "\r\n folded", 100000,
                            "\r\n\r\nbody\r\n");
}

TEST_F(HostileSizes, HundredMebibyteLine) {
    const std::string chunk(1 << 20, 'A');
    expectBoundedEverywhere("100 MiB line", "Subject: x\r\nContent-Transfer-Encoding: base64\r\n\r\n", chunk, 100,
                            "\r\n");
}

TEST_F(HostileSizes, HundredMebibyteHeaderLine) {
    const std::string chunk(1 << 20, 'x');
    expectBoundedEverywhere("100 MiB subject", "Subject: =?iso-8859-1?q?", chunk, 100, "?=\r\n\r\nbody\r\n");
}

}  // namespace
}  // namespace kodra::testing
