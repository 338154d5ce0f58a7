// Standard input read as an mbox through a real pipe, written in small pieces.
#include "archive/archive_units.h"
#include "archive/mbox_from_lines.h"
#include "support/portable.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kodra {
namespace {

#ifndef _WIN32
// Puts the read end of a pipe in place of standard input for one scope.
class PipedStandardInput {
public:
    PipedStandardInput() {
        int ends[2];
        if (pipe(ends) != 0) return;
        saved_ = dup(STDIN_FILENO);
        dup2(ends[0], STDIN_FILENO);
        close(ends[0]);
        writeEnd_ = ends[1];
        std::clearerr(stdin);
    }
    ~PipedStandardInput() {
        if (writeEnd_ >= 0) close(writeEnd_);
        if (saved_ >= 0) {
            dup2(saved_, STDIN_FILENO);
            close(saved_);
        }
        std::clearerr(stdin);
    }
    PipedStandardInput(const PipedStandardInput&) = delete;
    PipedStandardInput& operator=(const PipedStandardInput&) = delete;

    bool ready() const { return writeEnd_ >= 0 && saved_ >= 0; }

    // Writes text in pieces of `piece` bytes from another thread, then closes the pipe.
    std::thread feed(std::string text, std::size_t piece) {
        const int end = writeEnd_;
        writeEnd_ = -1;
        return std::thread([end, text = std::move(text), piece] {
            for (std::size_t at = 0; at < text.size();) {
                const ssize_t wrote = write(end, text.data() + at, std::min(piece, text.size() - at));
                if (wrote <= 0) break;
                at += static_cast<std::size_t>(wrote);
            }
            close(end);
        });
    }

private:
    int saved_ = -1;
    int writeEnd_ = -1;
};
#endif

TEST(StandardInput, MboxThroughAPipe) {
    KODRA_POSIX_ONLY("pipes in place of standard input");
#ifndef _WIN32
    std::string mbox;
    for (int i = 0; i < 300; ++i)
        mbox += "From m" + std::to_string(i) + "\nSubject: " + std::to_string(i) + "\n\n" +
                std::string(static_cast<std::size_t>(i % 50) * 40, 'x') + "\n>From quoted\n\n";
    struct Case {
        const char* name;
        std::size_t chunk;
        std::size_t piece;
    };
    const Case cases[] = {
        {"whole input, large writes", 0, 65536},
        {"tiny blocks, tiny writes", 1, 7},
        {"blocks of 1000, odd writes", 1000, 333},
        {"blocks larger than the pipe's writes", 100000, 4096},
    };
    for (const Case& c : cases) {
        PipedStandardInput input;
        ASSERT_TRUE(input.ready()) << c.name;
        std::thread writer = input.feed(mbox, c.piece);
        std::vector<std::size_t> offsets;
        std::string joined;
        const bool read = readStandardInputMbox(c.chunk, [&](long long offset, std::string_view block) {
            offsets.push_back(static_cast<std::size_t>(offset));
            joined.append(block);
            return true;
        });
        writer.join();
        EXPECT_TRUE(read) << c.name;
        EXPECT_TRUE(joined == mbox) << c.name << ": got " << joined.size() << " bytes, want " << mbox.size();
        const std::vector<std::size_t> want = cutMboxRanges(mbox, c.chunk);
        EXPECT_EQ(offsets, want) << c.name << ": got " << offsets.size() << " blocks, want " << want.size();
    }
#endif
}

}  // namespace
}  // namespace kodra
