// decodeEncodedWords: the first line is the text, held in a block of exactly its room
// (the second byte adds spare room), the rest is the input it may join lines from.
#include "fuzz_support.h"
#include "message/encoded_words.h"

#include <cstring>
#include <vector>

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
    std::FILE* input = following.empty() ? std::fopen("/dev/null", "rb")
                                         : fmemopen(following.data(), following.size(), "rb");
    check(input != nullptr, "cannot open the input stream");
    const std::string before(text.data());
    const int found = kodra::decodeEncodedWords(input, text.data(), room);
    std::fclose(input);
    check(found == 0 || found == 1, "result neither 0 nor 1");
    check(std::memchr(text.data(), '\0', room) != nullptr, "text lost its NUL");
    if (found == 0) check(before == text.data(), "text changed without an encoded word");
    return 0;
}
