#include "frame/line_source.h"
#include "support/memory_stream.h"
#include "support/portable.h"
#include "support/reference_lines.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace kodra {
namespace {

using testing::streamWith;

using testing::Piece;
using testing::referenceLines;

std::string show(const std::string& bytes) {
    std::string out;
    for (const char c : bytes) {
        if (c == '\r') out += "\\r";
        else if (c == '\n') out += "\\n";
        else if (c == '\0') out += "\\0";
        else out += c;
    }
    if (out.size() > 120) out = out.substr(0, 60) + "...(" + std::to_string(bytes.size()) + " bytes)";
    return out;
}

std::string show(const std::vector<Piece>& pieces) {
    std::string out = "[";
    for (const Piece& piece : pieces) {
        out += "\"" + show(piece.text) + "\"";
        out += piece.end == LineEnd::kLf     ? "/lf"
               : piece.end == LineEnd::kCrLf ? "/crlf"
               : piece.end == LineEnd::kCr   ? "/cr"
                                             : "/none";
        if (piece.continues) out += "+";
        out += " ";
    }
    return out + "]";
}

std::vector<std::uint64_t> referenceStarts(const std::vector<Piece>& pieces) {
    std::vector<std::uint64_t> starts{0};
    for (const Piece& piece : pieces) {
        const std::size_t ending = lineEndBytes(piece.end).size();
        starts.push_back(starts.back() + piece.text.size() + ending);
    }
    return starts;
}

std::vector<Piece> readAll(LineSource& source) {
    std::vector<Piece> pieces;
    SourceLine line;
    while (source.next(line)) pieces.push_back({std::string(line.text), line.end, line.continues});
    return pieces;
}

std::vector<Piece> readMemory(const std::string& input, LineSourceOptions options = {}) {
    LineSource source(input.data(), input.size(), options);
    auto pieces = readAll(source);
    EXPECT_FALSE(source.failed());
    return pieces;
}

std::vector<Piece> readStream(std::FILE* stream, LineSourceOptions options) {
    LineSource source(stream, options);
    auto pieces = readAll(source);
    EXPECT_FALSE(source.failed());
    return pieces;
}

std::vector<Piece> readFile(const std::string& input, LineSourceOptions options = {}) {
    auto stream = streamWith(input);
    return readStream(stream.get(), options);
}

// Every read size the tests use, the last one the whole input at once.
std::vector<std::size_t> readSizesFor(const std::string& input) {
    return {1, 2, 3, 7, 64, 4096, input.empty() ? 1 : input.size()};
}

struct Input {
    const char* name;
    std::string bytes;
};

std::vector<Input> namedInputs() {
    return {
        {"empty", ""},
        {"one LF", "\n"},
        {"one CR LF", "\r\n"},
        {"lone CR", "\r"},
        {"CR CR LF keeps one CR", "abc\r\r\n"},
        {"CR inside a line", "a\rb\r\n"},
        {"mixed line ends", "one\r\ntwo\nthree\r\n\nfive"},
        {"no final line end", "first\nlast"},
        {"final CR without LF", "first\nlast\r"},
        {"empty lines", "\n\n\r\n\n"},
        {"NUL bytes", std::string("a\0b\n\0\r\n\0", 8)},
        {"1023 characters", std::string(1023, 'x') + "\r\n" + "tail\n"},
        {"1024 characters", std::string(1024, 'x') + "\n" + std::string(1024, 'y')},
        {"1025 characters", std::string(1025, 'x') + "\r\n" + std::string(1025, 'y') + "\r"},
        {"a CR at 1023", std::string(1022, 'x') + "\r\n" + std::string(1023, 'y') + "\r\n"},
        {"76-character lines", [] {
             std::string text;
             for (int i = 0; i < 200; ++i) text += std::string(76, static_cast<char>('A' + i % 26)) + "\r\n";
             return text;
         }()},
    };
}

TEST(LineSource, FileAndMemoryMatchTheReferenceAtEveryReadSize) {
    for (const Input& input : namedInputs()) {
        const auto want = referenceLines(input.bytes);
        const auto fromMemory = readMemory(input.bytes);
        EXPECT_EQ(fromMemory, want) << input.name << " from memory: got " << show(fromMemory) << ", want "
                                    << show(want);
        for (const std::size_t readSize : readSizesFor(input.bytes)) {
            const auto got = readFile(input.bytes, {kNoLineCap, readSize});
            EXPECT_EQ(got, want) << input.name << " from a file, read size " << readSize << ": got " << show(got)
                                 << ", want " << show(want);
        }
    }
}

TEST(LineSource, MemoryViewsPointIntoTheBlock) {
    const std::string input = "one\r\ntwo\n";
    LineSource source(input.data(), input.size());
    SourceLine line;
    ASSERT_TRUE(source.next(line));
    EXPECT_EQ(line.text.data(), input.data()) << "got a copy, want a view of the block";
    ASSERT_TRUE(source.next(line));
    EXPECT_EQ(line.text.data(), input.data() + 5);
}

TEST(LineSource, PositionIsTheOffsetOfTheNextLine) {
    for (const Input& input : namedInputs()) {
        const auto starts = referenceStarts(referenceLines(input.bytes));
        for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, kDefaultReadSize}) {
            auto stream = streamWith(input.bytes);
            LineSource fromFile(stream.get(), {kNoLineCap, readSize});
            LineSource fromMemory(input.bytes.data(), input.bytes.size());
            SourceLine line;
            for (std::size_t i = 0;; ++i) {
                ASSERT_LT(i, starts.size()) << input.name;
                EXPECT_EQ(fromFile.position(), starts[i]) << input.name << ", file, line " << i;
                EXPECT_EQ(fromMemory.position(), starts[i]) << input.name << ", memory, line " << i;
                const bool more = fromFile.next(line);
                EXPECT_EQ(fromMemory.next(line), more) << input.name << ", line " << i;
                if (!more) {
                    EXPECT_EQ(i + 1, starts.size()) << input.name << ": got " << i << " lines";
                    break;
                }
            }
        }
    }
}

// Every string of length 0 to 8 over a, CR, LF and NUL, from memory (with and without a
// cap) and from a stream at small read sizes.
TEST(LineSource, ExhaustiveSmallInputs) {
    const char alphabet[] = {'a', '\r', '\n', '\0'};
#ifdef _WIN32
    const std::size_t longestFromStream = 5;  // a temporary file per input under Wine
#else
    const std::size_t longestFromStream = 8;
#endif
    std::size_t failures = 0;
    for (std::size_t length = 0; length <= 8; ++length) {
        std::size_t count = 1;
        for (std::size_t i = 0; i < length; ++i) count *= 4;
        std::string input(length, 'a');
        for (std::size_t n = 0; n < count && failures < 10; ++n) {
            for (std::size_t i = 0, rest = n; i < length; ++i, rest /= 4) input[i] = alphabet[rest % 4];
            for (const std::size_t cap : {kNoLineCap, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
                const auto want = referenceLines(input, cap);
                const auto got = readMemory(input, {cap, kDefaultReadSize});
                if (got != want) {
                    ++failures;
                    ADD_FAILURE() << "\"" << show(input) << "\" from memory, cap " << cap << ": got " << show(got)
                                  << ", want " << show(want);
                }
            }
            if (length > longestFromStream) continue;
#ifdef _WIN32
            auto stream = streamWith(input);
#else
            std::string copy = input;
            testing::Stream stream(copy.empty() ? std::fopen("/dev/null", "rb")
                                                : fmemopen(copy.data(), copy.size(), "rb"));
#endif
            ASSERT_TRUE(stream);
            for (const std::size_t readSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
                for (const std::size_t cap : {kNoLineCap, std::size_t{2}}) {
                    std::rewind(stream.get());
                    const auto want = referenceLines(input, cap);
                    const auto got = readStream(stream.get(), {cap, readSize});
                    if (got != want) {
                        ++failures;
                        ADD_FAILURE() << "\"" << show(input) << "\" from a stream, read size " << readSize
                                      << ", cap " << cap << ": got " << show(got) << ", want " << show(want);
                    }
                }
            }
        }
    }
}

TEST(LineSource, LongLines) {
    const std::string mebibyte(1024 * 1024, 'm');
    const std::vector<Input> inputs = {
        {"1 MiB with LF", mebibyte + "\n" + "after\n"},
        {"1 MiB with CR LF", "before\r\n" + mebibyte + "\r\n"},
        {"1 MiB without end", mebibyte},
        {"1 MiB twice", mebibyte + "\n" + mebibyte + "\r\n"},
    };
    for (const Input& input : inputs) {
        const auto want = referenceLines(input.bytes);
        EXPECT_EQ(readMemory(input.bytes), want) << input.name << " from memory";
        for (const std::size_t readSize : readSizesFor(input.bytes)) {
            const auto got = readFile(input.bytes, {kNoLineCap, readSize});
            EXPECT_EQ(got, want) << input.name << " from a file, read size " << readSize << ": got " << show(got)
                                 << ", want " << show(want);
        }
    }
}

TEST(LineSource, CapCutsLongLinesIntoFlaggedPieces) {
    struct Row {
        const char* name;
        std::string input;
        std::size_t cap;
        std::vector<Piece> want;
    };
    const std::vector<Row> rows = {
        {"shorter than the cap", "abc\r\n", 4, {{"abc", LineEnd::kCrLf, false}}},
        {"exactly the cap with CR LF", "abcd\r\n", 4, {{"abcd", LineEnd::kCrLf, false}}},
        {"exactly the cap at the end", "abcd", 4, {{"abcd", LineEnd::kNone, false}}},
        {"one over the cap",
         "abcde\n",
         4,
         {{"abcd", LineEnd::kNone, true}, {"e", LineEnd::kLf, false}}},
        {"a CR after the cap is text",
         "abcd\rx\n",
         4,
         {{"abcd", LineEnd::kNone, true}, {"\rx", LineEnd::kLf, false}}},
        {"twice the cap",
         "abcdefgh\r\nz",
         4,
         {{"abcd", LineEnd::kNone, true}, {"efgh", LineEnd::kCrLf, false}, {"z", LineEnd::kNone, false}}},
        {"lone CR at the end over the cap",
         "abcd\r",
         4,
         {{"abcd", LineEnd::kNone, true}, {"\r", LineEnd::kNone, false}}},
        {"cap of one",
         "ab\r\n\n",
         1,
         {{"a", LineEnd::kNone, true}, {"b", LineEnd::kCrLf, false}, {"", LineEnd::kLf, false}}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(referenceLines(row.input, row.cap), row.want) << row.name << ": the oracle disagrees";
        const auto fromMemory = readMemory(row.input, {row.cap, kDefaultReadSize});
        EXPECT_EQ(fromMemory, row.want) << row.name << " from memory: got " << show(fromMemory) << ", want "
                                        << show(row.want);
        for (const std::size_t readSize : readSizesFor(row.input)) {
            const auto got = readFile(row.input, {row.cap, readSize});
            EXPECT_EQ(got, row.want) << row.name << ", read size " << readSize << ": got " << show(got) << ", want "
                                     << show(row.want);
        }
    }
    // A cap around the old line length, against the oracle.
    for (const Input& input : namedInputs()) {
        for (const std::size_t cap : {std::size_t{1023}, std::size_t{1024}, std::size_t{1025}, std::size_t{75}}) {
            const auto want = referenceLines(input.bytes, cap);
            for (const std::size_t readSize : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
                const auto got = readFile(input.bytes, {cap, readSize});
                EXPECT_EQ(got, want) << input.name << ", cap " << cap << ", read size " << readSize << ": got "
                                     << show(got) << ", want " << show(want);
            }
        }
    }
}

TEST(LineSource, CapBoundsTheBufferOfAHugeLine) {
    // 8 MiB without a line end, read in 1 KiB pieces under a 4 KiB cap: every piece but
    // the last is the cap, and nothing grows with the line.
    const std::string huge(8 * 1024 * 1024, 'h');
    auto stream = streamWith(huge);
    LineSource source(stream.get(), {4096, 1024});
    SourceLine line;
    std::size_t total = 0;
    std::size_t pieces = 0;
    while (source.next(line)) {
        ++pieces;
        total += line.text.size();
        if (line.continues) {
            ASSERT_EQ(line.text.size(), 4096u) << "piece " << pieces;
        }
    }
    EXPECT_FALSE(source.failed());
    EXPECT_EQ(total, huge.size());
    EXPECT_EQ(pieces, huge.size() / 4096);
}

// Reads k lines, unreads, and checks that the rest is the reference from line k - 1.
void checkUnreadEverywhere(const Input& input, const std::function<std::unique_ptr<LineSource>()>& open,
                           const char* kind) {
    const auto want = referenceLines(input.bytes);
    const auto starts = referenceStarts(want);
    for (std::size_t k = 0; k <= want.size(); ++k) {
        auto source = open();
        SourceLine line;
        for (std::size_t i = 0; i < k; ++i) ASSERT_TRUE(source->next(line)) << input.name;
        source->unread();
        source->unread();  // one line only
        const std::size_t back = k == 0 ? 0 : k - 1;
        EXPECT_EQ(source->position(), starts[back]) << input.name << ", " << kind << ", unread after " << k;
        const auto rest = readAll(*source);
        const std::vector<Piece> wantRest(want.begin() + static_cast<std::ptrdiff_t>(back), want.end());
        EXPECT_EQ(rest, wantRest) << input.name << ", " << kind << ", unread after " << k << ": got " << show(rest)
                                  << ", want " << show(wantRest);
    }
}

// Reads k lines, gives back the tail of the k-th from byte `consumed`, and checks that the
// rest is the reference lines of the input from there.
void checkUnreadTail(const Input& input, LineSource& source, std::size_t k, std::size_t consumed,
                     const char* kind) {
    const auto want = referenceLines(input.bytes);
    const auto starts = referenceStarts(want);
    SourceLine line;
    for (std::size_t i = 0; i < k; ++i) ASSERT_TRUE(source.next(line)) << input.name;
    source.unreadTail(consumed);
    const std::uint64_t wantPosition =
        k == 0 ? 0 : starts[k - 1] + std::min(consumed, want[k - 1].text.size());
    EXPECT_EQ(source.position(), wantPosition) << input.name << ", " << kind << ", line " << k << ", consumed "
                                               << consumed;
    const auto rest = readAll(source);
    const auto wantRest = referenceLines(input.bytes.substr(static_cast<std::size_t>(wantPosition)));
    EXPECT_EQ(rest, wantRest) << input.name << ", " << kind << ", line " << k << ", consumed " << consumed
                              << ": got " << show(rest) << ", want " << show(wantRest);
}

TEST(LineSource, UnreadTailMakesTheRestOfTheLineNext) {
    for (const Input& input : namedInputs()) {
        const auto lines = referenceLines(input.bytes);
        for (std::size_t k = 0; k <= std::min<std::size_t>(lines.size(), 6); ++k) {
            const std::size_t length = k == 0 ? 0 : lines[k - 1].text.size();
            for (const std::size_t consumed : {std::size_t{0}, std::size_t{1}, length / 2, length, length + 3}) {
                LineSource memory(input.bytes.data(), input.bytes.size());
                checkUnreadTail(input, memory, k, consumed, "memory");
                for (const std::size_t readSize : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
                    auto stream = streamWith(input.bytes);
                    LineSource file(stream.get(), LineSourceOptions{kNoLineCap, readSize});
                    checkUnreadTail(input, file, k, consumed, "file");
                }
            }
        }
    }
}

TEST(LineSource, UnreadTailAfterUnreadDoesNothing) {
    const std::string text = "first line\nsecond\n";
    LineSource source(text.data(), text.size());
    SourceLine line;
    ASSERT_TRUE(source.next(line));
    source.unread();
    source.unreadTail(6);
    ASSERT_TRUE(source.next(line));
    EXPECT_EQ(line.text, "first line") << "got the line moved by a tail after unread";
    source.unreadTail(6);
    source.unreadTail(2);  // one tail only
    ASSERT_TRUE(source.next(line));
    EXPECT_EQ(line.text, "line");
    EXPECT_EQ(line.end, LineEnd::kLf);
}

TEST(LineSource, UnreadAtEveryPosition) {
    for (const Input& input : namedInputs()) {
        checkUnreadEverywhere(
            input, [&] { return std::make_unique<LineSource>(input.bytes.data(), input.bytes.size()); }, "memory");
        for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
            auto stream = streamWith(input.bytes);
            checkUnreadEverywhere(
                input,
                [&] {
                    std::rewind(stream.get());
                    return std::make_unique<LineSource>(stream.get(), LineSourceOptions{kNoLineCap, readSize});
                },
                "file");
        }
    }
}

// Marks after k lines, reads to the end, returns and checks that the rest is the
// reference from line k; also that an earlier mark and a dropped one are refused.
void checkMarkEverywhere(const Input& input, const std::function<std::unique_ptr<LineSource>()>& open,
                         const char* kind) {
    const auto want = referenceLines(input.bytes);
    const auto starts = referenceStarts(want);
    for (std::size_t k = 0; k <= want.size(); ++k) {
        auto source = open();
        SourceLine line;
        const SourceMark first = source->mark();
        for (std::size_t i = 0; i < k; ++i) ASSERT_TRUE(source->next(line)) << input.name;
        const SourceMark here = source->mark();
        EXPECT_EQ(here.offset, starts[k]) << input.name << ", " << kind;
        const auto all = readAll(*source);
        for (int twice = 0; twice < 2; ++twice) {
            ASSERT_TRUE(source->returnTo(here)) << input.name << ", " << kind << ", mark after " << k;
            EXPECT_EQ(source->position(), starts[k]);
            const auto rest = readAll(*source);
            EXPECT_EQ(rest, all) << input.name << ", " << kind << ", mark after " << k << ": got " << show(rest)
                                 << ", want " << show(all);
        }
        const std::vector<Piece> wantRest(want.begin() + static_cast<std::ptrdiff_t>(k), want.end());
        EXPECT_EQ(all, wantRest) << input.name << ", " << kind << ", mark after " << k;
        if (first.offset < here.offset) {
            EXPECT_FALSE(source->returnTo(first)) << input.name << ", " << kind << ": an earlier mark was taken";
        }
        source->dropMark();
        EXPECT_FALSE(source->returnTo(here)) << input.name << ", " << kind << ": a dropped mark was taken";
    }
}

TEST(LineSource, MarkAndReturnAtEveryPosition) {
    for (const Input& input : namedInputs()) {
        checkMarkEverywhere(
            input, [&] { return std::make_unique<LineSource>(input.bytes.data(), input.bytes.size()); }, "memory");
        for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
            auto stream = streamWith(input.bytes);
            checkMarkEverywhere(
                input,
                [&] {
                    std::rewind(stream.get());
                    return std::make_unique<LineSource>(stream.get(), LineSourceOptions{kNoLineCap, readSize});
                },
                "file");
        }
    }
}

TEST(LineSource, MarkKeepsBytesAcrossManyRefills) {
    std::string input;
    for (int i = 0; i < 5000; ++i) input += "line " + std::to_string(i) + "\r\n";
    auto stream = streamWith(input);
    LineSource source(stream.get(), {kNoLineCap, 16});
    SourceLine line;
    ASSERT_TRUE(source.next(line));
    const SourceMark mark = source.mark();
    const auto all = readAll(source);
    ASSERT_TRUE(source.returnTo(mark));
    EXPECT_EQ(readAll(source), all);
    const auto reference = referenceLines(input);
    const std::vector<Piece> want(reference.begin() + 1, reference.end());
    EXPECT_EQ(all, want);
}

// readPiece against fgets on the same bytes, for piece sizes around the line lengths.
TEST(LineSource, ReadPieceIsFgets) {
    for (const Input& input : namedInputs()) {
        for (const std::size_t size : {std::size_t{2}, std::size_t{3}, std::size_t{5}, std::size_t{1024}}) {
            auto reference = streamWith(input.bytes);
            std::vector<std::string> want;
            std::vector<char> buffer(size + 1);
            while (std::fgets(buffer.data(), static_cast<int>(size), reference.get()))
                want.emplace_back(buffer.data());
            for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
                auto stream = streamWith(input.bytes);
                LineSource source(stream.get(), {kNoLineCap, readSize});
                std::vector<std::string> got;
                for (std::size_t n; (n = source.readPiece(buffer.data(), size)) > 0;) {
                    ASSERT_LT(n, size);
                    ASSERT_EQ(buffer[n], '\0');
                    got.emplace_back(buffer.data());  // as fgets callers see it: up to a NUL
                }
                EXPECT_EQ(got, want) << input.name << ", piece size " << size << ", read size " << readSize;
            }
        }
    }
}

TEST(LineSource, NextAfterReadPieceGivesTheRestOfTheLine) {
    const std::string input = "abcdef\r\nxy\n";
    LineSource source(input.data(), input.size());
    char buffer[4];
    ASSERT_EQ(source.readPiece(buffer, sizeof buffer), 3u);
    EXPECT_STREQ(buffer, "abc");
    const auto rest = readAll(source);
    const std::vector<Piece> want = {{"def", LineEnd::kCrLf, false}, {"xy", LineEnd::kLf, false}};
    EXPECT_EQ(rest, want) << "got " << show(rest) << ", want " << show(want);
}

TEST(LineSource, ReadErrorIsReportedAsFailure) {
    KODRA_POSIX_ONLY("the Windows C runtime reads a write-only stream as at its end, without an error");
    testing::TempFolder folder;
    const std::string path = folder.file("written.txt");
    testing::writeFile(path, "some\nlines\n");
    testing::Stream writeOnly(std::fopen(path.c_str(), "wb"));
    ASSERT_TRUE(writeOnly);
    LineSource source(writeOnly.get());
    SourceLine line;
    EXPECT_FALSE(source.next(line)) << "got a line from a write-only stream";
    EXPECT_TRUE(source.failed());
    EXPECT_EQ(source.failure(), SourceFailure::kReadError);
    char buffer[8];
    EXPECT_EQ(source.readPiece(buffer, sizeof buffer), 0u);
}

#if defined(__GLIBC__)
// A stream that gives its bytes and then fails, made with fopencookie.
struct FailingCookie {
    std::string bytes;
    std::size_t at = 0;
};

ssize_t readFailing(void* cookie, char* buffer, std::size_t size) {
    auto* state = static_cast<FailingCookie*>(cookie);
    if (state->at == state->bytes.size()) return -1;
    const std::size_t count = std::min(size, state->bytes.size() - state->at);
    std::memcpy(buffer, state->bytes.data() + state->at, count);
    state->at += count;
    return static_cast<ssize_t>(count);
}

TEST(LineSource, ReadErrorAfterSomeLines) {
    for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, kDefaultReadSize}) {
        FailingCookie cookie{"one\r\ntwo\nunfinished", 0};
        cookie_io_functions_t functions{};
        functions.read = &readFailing;
        testing::Stream stream(fopencookie(&cookie, "r", functions));
        ASSERT_TRUE(stream);
        std::setvbuf(stream.get(), nullptr, _IONBF, 0);
        LineSource source(stream.get(), {kNoLineCap, readSize});
        const auto got = readAll(source);
        const std::vector<Piece> want = {{"one", LineEnd::kCrLf, false}, {"two", LineEnd::kLf, false}};
        EXPECT_EQ(got, want) << "read size " << readSize << ": got " << show(got) << ", want " << show(want);
        EXPECT_EQ(source.failure(), SourceFailure::kReadError) << "read size " << readSize;
    }
}
#endif

TEST(LineSource, AllocationFailureIsReportedAsFailure) {
    const std::size_t huge = std::numeric_limits<std::size_t>::max();
    std::vector<std::size_t> readSizes = {huge - 1};  // refused before asking for memory
#if !defined(__SANITIZE_ADDRESS__)
    readSizes.push_back(huge / 4);  // asked for, and refused (the address sanitizer would stop)
#endif
    for (const std::size_t readSize : readSizes) {
        auto stream = streamWith("line\n");
        LineSource source(stream.get(), {kNoLineCap, readSize});
        SourceLine line;
        EXPECT_FALSE(source.next(line)) << "read size " << readSize;
        EXPECT_EQ(source.failure(), SourceFailure::kNoMemory) << "read size " << readSize;
    }
}

TEST(LineSource, NullInputsAreEmpty) {
    LineSource noStream(static_cast<std::FILE*>(nullptr));
    LineSource noBlock(nullptr, 5);
    SourceLine line;
    EXPECT_FALSE(noStream.next(line));
    EXPECT_FALSE(noBlock.next(line));
    EXPECT_FALSE(noStream.failed());
    EXPECT_FALSE(noBlock.failed());
}

// ---- CR line ends --------------------------------------------------------------

constexpr LineSourceOptions kDetect{kNoLineCap, kDefaultReadSize, LoneCr::detect};

LineSourceOptions detecting(std::size_t cap, std::size_t readSize) { return {cap, readSize, LoneCr::detect}; }

// The oracle of CR line ends: CR LF, a lone CR and a lone LF each end a line; a last line
// without one counts when not empty; lines over the cap are cut into cap-sized pieces.
std::vector<Piece> referenceCrLines(const std::string& input, std::size_t cap = kNoLineCap) {
    std::vector<Piece> lines;
    std::size_t start = 0;
    while (start < input.size()) {
        const std::size_t at = input.find_first_of("\r\n", start);
        std::string text = input.substr(start, at == std::string::npos ? std::string::npos : at - start);
        LineEnd end = LineEnd::kNone;
        start = input.size();
        if (at != std::string::npos) {
            const bool crLf = input[at] == '\r' && at + 1 < input.size() && input[at + 1] == '\n';
            end = crLf ? LineEnd::kCrLf : input[at] == '\r' ? LineEnd::kCr : LineEnd::kLf;
            start = at + lineEndBytes(end).size();
        }
        std::size_t piece = 0;
        for (; text.size() - piece > cap; piece += cap) lines.push_back({text.substr(piece, cap), LineEnd::kNone, true});
        lines.push_back({text.substr(piece), end, false});
    }
    return lines;
}

// Whether a short input (within the detection window) is read with CR line ends.
bool hasCrLineEnds(const std::string& input) {
    std::size_t loneCrs = 0;
    std::size_t lfs = 0;
    for (std::size_t i = 0; i < input.size(); ++i) {
        if (input[i] == '\n') ++lfs;
        else if (input[i] == '\r' && (i + 1 == input.size() || input[i + 1] != '\n')) ++loneCrs;
    }
    return loneCrs > 4 * lfs;
}

std::string crLines(int count, const std::string& text) {
    std::string out;
    for (int i = 0; i < count; ++i) out += text + std::to_string(i) + "\r";
    return out;
}

TEST(LineSourceCrLineEnds, DetectionDecidesOnTheInputsStart) {
    struct Row {
        const char* name;
        std::string input;
        bool wantCr;
    };
    const std::string window(64 * 1024, 'w');
    const std::vector<Row> rows = {
        {"CR-only message", "From: a@example.org\rSubject: mac\r\rbody\r", true},
        {"LF message", "From: a@example.org\nSubject: unix\n\nbody\n", false},
        {"CR LF message", "From: a@example.org\r\nSubject: dos\r\n\r\nbody\r\n", false},
        {"one CR inside a line among LF lines", "begin 644 fake\rreal.bin\nM86)C\n`\nend\n", false},
        {"a lone CR and nothing else", "abc\r", true},
        {"no line end at all", "abc", false},
        {"no line end but a CR LF", "abc\r\n", false},
        {"four lone CRs per LF", "a\rb\rc\rd\re\n", false},
        {"five lone CRs per LF", "a\rb\rc\rd\re\rf\n", true},
        {"LF lines prepended to CR lines", "Received: by relay\nX-Relay: yes\n" + crLines(20, "line "), true},
        {"CR lines after the first 64 KiB", window + "\n" + crLines(100, "late "), false},
    };
    for (const Row& row : rows) {
        ASSERT_EQ(hasCrLineEnds(row.input.substr(0, 64 * 1024)), row.wantCr) << row.name << ": the oracle disagrees";
        const auto want = row.wantCr ? referenceCrLines(row.input) : referenceLines(row.input);
        const auto fromMemory = readMemory(row.input, kDetect);
        EXPECT_EQ(fromMemory, want) << row.name << " from memory: got " << show(fromMemory) << ", want " << show(want);
        for (const std::size_t readSize : readSizesFor(row.input)) {
            const auto got = readFile(row.input, detecting(kNoLineCap, readSize));
            EXPECT_EQ(got, want) << row.name << ", read size " << readSize << ": got " << show(got) << ", want "
                                 << show(want);
        }
    }
}

// The byte after the window is read too: a CR LF across the window's end is no lone CR at
// any read size. Here it tips the balance: four lone CRs and one LF are within the window.
TEST(LineSourceCrLineEnds, CrLfAcrossTheWindowEndIsNoLoneCr) {
    std::string input = "a\rb\rc\rd\re\n";
    input += std::string(64 * 1024 - 1 - input.size(), 'x') + "\r\n" + "tail\r";
    ASSERT_EQ(input[64 * 1024 - 1], '\r');
    const auto want = referenceLines(input);
    for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}, std::size_t{64 * 1024},
                                       std::size_t{64 * 1024 + 1}, input.size()}) {
        const auto got = readFile(input, detecting(kNoLineCap, readSize));
        EXPECT_EQ(got, want) << "read size " << readSize << ": got " << show(got) << ", want " << show(want);
    }
    EXPECT_EQ(readMemory(input, kDetect), want);
}

// Every string of length 0 to 8 over a, CR, LF and NUL, read with detection: from memory
// (with and without a cap) and from a stream at small read sizes.
TEST(LineSourceCrLineEnds, ExhaustiveSmallInputs) {
    const char alphabet[] = {'a', '\r', '\n', '\0'};
#ifdef _WIN32
    const std::size_t longestFromStream = 5;  // a temporary file per input under Wine
#else
    const std::size_t longestFromStream = 8;
#endif
    std::size_t failures = 0;
    for (std::size_t length = 0; length <= 8; ++length) {
        std::size_t count = 1;
        for (std::size_t i = 0; i < length; ++i) count *= 4;
        std::string input(length, 'a');
        for (std::size_t n = 0; n < count && failures < 10; ++n) {
            for (std::size_t i = 0, rest = n; i < length; ++i, rest /= 4) input[i] = alphabet[rest % 4];
            const bool cr = hasCrLineEnds(input);
            for (const std::size_t cap : {kNoLineCap, std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
                const auto want = cr ? referenceCrLines(input, cap) : referenceLines(input, cap);
                const auto got = readMemory(input, detecting(cap, kDefaultReadSize));
                if (got != want) {
                    ++failures;
                    ADD_FAILURE() << "\"" << show(input) << "\" from memory, cap " << cap << ": got " << show(got)
                                  << ", want " << show(want);
                }
            }
            if (length > longestFromStream) continue;
            for (const std::size_t readSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}}) {
                for (const std::size_t cap : {kNoLineCap, std::size_t{2}}) {
                    const auto want = cr ? referenceCrLines(input, cap) : referenceLines(input, cap);
                    const auto got = readFile(input, detecting(cap, readSize));
                    if (got != want) {
                        ++failures;
                        ADD_FAILURE() << "\"" << show(input) << "\" from a stream, read size " << readSize
                                      << ", cap " << cap << ": got " << show(got) << ", want " << show(want);
                    }
                }
            }
        }
    }
}

std::vector<Input> crInputs() {
    return {
        {"CR lines", "one\rtwo\r\rfour"},
        {"CR lines with a CR LF and an LF", "one\rtwo\r\nthree\rfour\nfive\rsix\r\r\r\r\r\r\r\r\r\r"},
        {"NUL bytes", std::string("a\0b\r\0\r\r\0", 8)},
        {"1025 characters", std::string(1025, 'x') + "\r" + std::string(1025, 'y') + "\r"},
        {"76-character lines", [] {
             std::string text;
             for (int i = 0; i < 200; ++i) text += std::string(76, static_cast<char>('A' + i % 26)) + "\r";
             return text;
         }()},
    };
}

TEST(LineSourceCrLineEnds, CapCutsLongCrLines) {
    for (const Input& input : crInputs()) {
        for (const std::size_t cap : {std::size_t{1023}, std::size_t{1024}, std::size_t{1025}, std::size_t{75},
                                      std::size_t{76}}) {
            const auto want = referenceCrLines(input.bytes, cap);
            EXPECT_EQ(readMemory(input.bytes, detecting(cap, kDefaultReadSize)), want) << input.name << ", cap " << cap;
            for (const std::size_t readSize : {std::size_t{1}, std::size_t{3}, std::size_t{77}, std::size_t{4096}}) {
                const auto got = readFile(input.bytes, detecting(cap, readSize));
                EXPECT_EQ(got, want) << input.name << ", cap " << cap << ", read size " << readSize << ": got "
                                     << show(got) << ", want " << show(want);
            }
        }
    }
}

// unread, unreadTail and a mark step back over CR lines as over any others.
TEST(LineSourceCrLineEnds, StepsBackOverCrLines) {
    for (const Input& input : crInputs()) {
        const auto want = referenceCrLines(input.bytes);
        const auto starts = referenceStarts(want);
        for (const std::size_t readSize : {std::size_t{1}, std::size_t{7}, std::size_t{4096}}) {
            for (std::size_t k = 1; k <= want.size(); ++k) {
                auto stream = streamWith(input.bytes);
                LineSource source(stream.get(), detecting(kNoLineCap, readSize));
                SourceLine line;
                for (std::size_t i = 0; i + 1 < k; ++i) ASSERT_TRUE(source.next(line)) << input.name;
                const SourceMark mark = source.mark();
                ASSERT_TRUE(source.next(line)) << input.name;
                source.unread();
                EXPECT_EQ(source.position(), starts[k - 1]) << input.name << ", unread line " << k;
                ASSERT_TRUE(source.next(line)) << input.name;
                source.unreadTail(1);
                const std::size_t tail = std::min<std::size_t>(1, want[k - 1].text.size());
                EXPECT_EQ(source.position(), starts[k - 1] + tail) << input.name << ", tail of line " << k;
                const auto rest = readAll(source);
                const auto wantRest = referenceCrLines(input.bytes.substr(starts[k - 1] + tail));
                EXPECT_EQ(rest, wantRest) << input.name << ", after the tail of line " << k << ": got " << show(rest)
                                          << ", want " << show(wantRest);
                ASSERT_TRUE(source.returnTo(mark)) << input.name;
                const std::vector<Piece> fromMark(want.begin() + static_cast<std::ptrdiff_t>(k - 1), want.end());
                EXPECT_EQ(readAll(source), fromMark) << input.name << ", from the mark before line " << k;
            }
        }
    }
}

// lineEndAt reads the buffered bytes as next reads them.
TEST(LineSourceCrLineEnds, LineEndAtMatchesNext) {
    struct Row {
        const char* name;
        bool crLines;      // the input opens with ten CR lines, else with one LF line
        std::string rest;  // what follows them
        std::size_t at;    // in rest
        std::size_t want;
    };
    const std::vector<Row> rows = {
        {"LF in CR lines", true, "AAAA\nB\r", 4, 1},
        {"CR LF in CR lines", true, "AAAA\r\nB\r", 4, 2},
        {"lone CR in CR lines", true, "AAAA\rB\r", 4, 1},
        {"no line end", true, "AAAA\rB\r", 3, 0},
        {"CR at the end of the input", true, "AAAA\r", 4, 1},
        {"past the buffered bytes", true, "AAAA\r", 5, 0},
        {"lone CR in LF lines", false, "AA\rA\r\n", 2, 0},
        {"CR LF in LF lines", false, "AA\rA\r\n", 4, 2},
        {"LF in LF lines", false, "AA\nA", 2, 1},
        {"CR at the end of LF lines", false, "\nA\r", 2, 0},
    };
    for (const Row& row : rows) {
        const std::string lead = row.crLines ? std::string(10, '\r') : std::string("x\n");
        const std::string input = lead + row.rest;
        LineSource source(input.data(), input.size(), kDetect);
        EXPECT_EQ(source.lineEndAt(0), 0u) << row.name << ": got a line end before the line ends were decided";
        SourceLine line;
        while (source.position() < lead.size()) ASSERT_TRUE(source.next(line)) << row.name;
        ASSERT_EQ(source.position(), lead.size()) << row.name;
        const std::size_t got = source.lineEndAt(row.at);
        EXPECT_EQ(got, row.want) << row.name << ": got " << got << ", want " << row.want;
        if (row.want == 0) continue;
        // next ends a line there with as many bytes.
        std::size_t offset = 0;
        while (source.next(line)) {
            offset += line.text.size();
            if (offset >= row.at) break;
            offset += lineEndBytes(line.end).size();
        }
        EXPECT_EQ(offset, row.at) << row.name << ": next ended no line there";
        EXPECT_EQ(lineEndBytes(line.end).size(), row.want) << row.name << ": next read another line end";
    }
}

TEST(LineSourceCrLineEnds, WithoutDetectionLoneCrsStayInLines) {
    const std::string input = "one\rtwo\rthree\r";
    EXPECT_EQ(readMemory(input), referenceLines(input));
    const std::vector<Piece> want = {{"one\rtwo\rthree\r", LineEnd::kNone, false}};
    EXPECT_EQ(readMemory(input), want);
}

}  // namespace
}  // namespace kodra
