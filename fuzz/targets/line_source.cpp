// LineSource: the first byte picks a cap and where to unread and mark, the rest is the
// input; a memory block and a stream at several read sizes must hand out the reference
// splitter's lines, and readPiece must be fgets.
#include "frame/line_source.h"
#include "fuzz_support.h"
#include "support/reference_lines.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using kodra::LineEnd;
using kodra::LineSource;
using kodra::SourceLine;
using kodra::fuzz::check;

using kodra::testing::Piece;

// Reads every line, unreading once after line unreadAt and returning once to a mark
// taken after line markAt (both against the reference).
std::vector<Piece> readAll(LineSource& source, std::size_t unreadAt, std::size_t markAt) {
    std::vector<Piece> lines;
    SourceLine line;
    bool unreadDone = false;
    bool returned = false;
    kodra::SourceMark mark{};
    bool marked = false;
    for (;;) {
        if (!marked && lines.size() == markAt) {
            mark = source.mark();
            marked = true;
        }
        if (!source.next(line)) {
            if (marked && !returned) {
                returned = true;
                check(source.returnTo(mark), "returnTo refused its mark");
                lines.resize(markAt);
                continue;
            }
            break;
        }
        lines.push_back({std::string(line.text), line.end, line.continues});
        if (!unreadDone && lines.size() == unreadAt) {
            unreadDone = true;
            source.unread();
            source.unread();
            lines.pop_back();
        }
    }
    check(!source.failed(), "the source failed on readable input");
    return lines;
}

struct MemoryStream {
    std::vector<char> bytes;
    std::FILE* stream;
    explicit MemoryStream(const std::string& input) : bytes(input.begin(), input.end()) {
        stream = bytes.empty() ? std::fopen("/dev/null", "rb") : fmemopen(bytes.data(), bytes.size(), "rb");
        check(stream != nullptr, "cannot open the input stream");
    }
    ~MemoryStream() { std::fclose(stream); }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned choice = data[0];
    const std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t caps[] = {kodra::kNoLineCap, 1, 2, 3, 7, 64, 1023, 1024};
    const std::size_t cap = caps[choice % 8u];
    const std::size_t unreadAt = choice / 8u % 6u;
    const std::size_t markAt = choice / 48u;

    const std::vector<Piece> want = kodra::testing::referenceLines(input, cap);
    {
        LineSource source(input.data(), input.size(), {cap, kodra::kDefaultReadSize});
        check(readAll(source, unreadAt, markAt) == want, "memory block differs from the reference");
    }
    for (const std::size_t readSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                       std::size_t{64}, std::size_t{4096}, input.size() + 1}) {
        MemoryStream stream(input);
        LineSource source(stream.stream, {cap, readSize});
        check(readAll(source, unreadAt, markAt) == want, "stream differs from the reference",
              "read size " + std::to_string(readSize));
    }

    // readPiece against fgets, for a piece size picked by the first byte.
    const std::size_t pieceSize = 2 + choice % 29u;
    MemoryStream fgetsStream(input);
    MemoryStream sourceStream(input);
    LineSource source(sourceStream.stream, {kodra::kNoLineCap, 1 + choice % 5u});
    std::vector<char> want2(pieceSize + 1);
    std::vector<char> got2(pieceSize + 1);
    for (;;) {
        const char* wanted = std::fgets(want2.data(), static_cast<int>(pieceSize), fgetsStream.stream);
        const std::size_t got = source.readPiece(got2.data(), pieceSize);
        check((wanted != nullptr) == (got > 0), "readPiece and fgets disagree on the end");
        if (!wanted) break;
        check(got < pieceSize && got2[got] == '\0', "readPiece overran its buffer");
        check(std::strcmp(wanted, got2.data()) == 0, "readPiece differs from fgets");
    }
    return 0;
}
