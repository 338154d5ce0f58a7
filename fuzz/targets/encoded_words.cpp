// decodeEncodedWords: the first line is the text, held in a block of exactly its room
// (the second byte adds spare room), the rest is the input it may join lines from. The
// string form, joining from a line source, gives what the fixed-room form gives with room
// to spare whenever the input is too short to reach its join limit. The UTF-8 form gives
// well-formed UTF-8 of bounded size for any input.
#include "frame/line_source.h"
#include "fuzz_support.h"
#include "frame/utf8_text.h"
#include "message/encoded_words.h"
#include "support/reference_encoded_words.h"

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::string restOf(std::FILE* input) {
    std::string rest;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, input)) > 0;) rest.append(chunk, got);
    return rest;
}

std::FILE* openInput(std::vector<char>& bytes) {
    return bytes.empty() ? std::fopen("/dev/null", "rb") : fmemopen(bytes.data(), bytes.size(), "rb");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kodra::fuzz::check;
    if (size < 1) return 0;
    const std::size_t spare = data[0] % 64u;
    const auto* begin = reinterpret_cast<const char*>(data + 1);
    const std::size_t rest = size - 1;
    const void* newline = std::memchr(begin, '\n', rest);
    const std::size_t lineLength = newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - begin) : rest;
    std::string line(begin, lineLength);
    line.resize(std::strlen(line.c_str()));  // the text ends at its first NUL

    const std::size_t room = line.size() + 1 + spare;
    std::vector<char> text(room, '\0');
    std::memcpy(text.data(), line.c_str(), line.size() + 1);

    std::vector<char> following(begin + lineLength, begin + rest);
    std::FILE* input = openInput(following);
    check(input != nullptr, "cannot open the input stream");
    // The UTF-8 form, over the whole input: always well-formed UTF-8, never more than a few
    // bytes out per byte in (a word's byte becomes at most one character of 4 bytes, or U+FFFD).
    const std::string_view whole(begin, rest);
    const std::string utf8 = kodra::decodeEncodedWordsToUtf8(whole);
    check(kodra::isUtf8(utf8), "UTF-8 form: output is not UTF-8");
    check(utf8.size() <= 4 * whole.size() + 4, "UTF-8 form: output out of proportion to the input");

    const std::string before(text.data());
    const int found = kodra::reference::decodeEncodedWords(input, text.data(), room);
    std::fclose(input);
    check(found == 0 || found == 1, "result neither 0 nor 1");
    check(std::memchr(text.data(), '\0', room) != nullptr, "text lost its NUL");
    if (found == 0) check(before == text.data(), "text changed without an encoded word");

    // The string form, from memory at a read size the first byte picks.
    std::string grown(begin, lineLength);
    kodra::LineSource source(following.data(), following.size(), kodra::LineSourceOptions{kodra::kNoLineCap, spare + 1});
    const int grownFound = kodra::decodeEncodedWords(source, grown);
    check(grownFound == 0 || grownFound == 1, "string form: result neither 0 nor 1");
    if (grownFound == 0) check(grown == std::string(begin, lineLength), "string form: text changed without a word");
    if (following.size() + 1 > kodra::kMaxJoinedText) return 0;

    std::vector<char> spacious(line.size() + following.size() + 2, '\0');
    std::memcpy(spacious.data(), line.c_str(), line.size() + 1);
    std::FILE* again = openInput(following);
    check(again != nullptr, "cannot open the input stream");
    const int spaciousFound = kodra::reference::decodeEncodedWords(again, spacious.data(), spacious.size());
    const std::string spaciousRest = restOf(again);
    std::fclose(again);
    std::string grownRest;
    char piece[4096];
    for (std::size_t got; (got = source.readPiece(piece, sizeof piece)) > 0;) grownRest.append(piece, got);
    check(grownFound == spaciousFound, "string form: result differs from the fixed-room form");
    if (grownFound) check(grown == spacious.data(), "string form: text differs from the fixed-room form");
    check(grownRest == spaciousRest, "string form: the bytes left differ from the fixed-room form");
    return 0;
}
