// The BinHex decoder: detector, header readers and fork decoder on any input, the decoded
// forks counted by a stream that writes nothing. Output stays within the claimed length.
#include "binhex/binhex.h"
#include "frame/line_reader.h"
#include "fuzz_support.h"

#include <cstring>
#include <vector>

namespace {

ssize_t countWrite(void* cookie, const char*, std::size_t size) {
    *static_cast<std::uint64_t*>(cookie) += size;
    return static_cast<ssize_t>(size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kodra::fuzz::check;
    if (size == 0) return 0;
    std::vector<char> bytes(data, data + size);
    std::FILE* input = fmemopen(bytes.data(), bytes.size(), "rb");
    check(input != nullptr, "cannot open the input stream");
    std::uint64_t written = 0;
    cookie_io_functions_t functions{nullptr, &countWrite, nullptr, nullptr};
    std::FILE* output = fopencookie(&written, "wb", functions);
    check(output != nullptr, "cannot open the output stream");

    std::vector<char> line(kodra::kLineBufferSize, '\0');
    std::vector<char> name(kodra::kBinHexNameBufferSize, '\0');
    int redeliver = 1;
    for (int lines = 0; lines < 64 && kodra::readTextLine(&redeliver, input, line.data()); ++lines) {
        const int kind = kodra::detectBinHex(line.data(), input);
        check(kind >= -1 && kind <= 2, "detectBinHex result out of range");
        if (kind == 1) {
            if (kodra::readBinHexHeader(input, name.data()) == 1) {
                check(std::memchr(name.data(), '\0', 256) != nullptr, "header name longer than 255 bytes");
                const int decoded = kodra::decodeBinHexForks(input, output, line.data());
                check(decoded == 0 || decoded == 1, "decodeBinHexForks result out of range");
            }
            break;
        }
        if (kind == 2) {
            if (kodra::readHexBinHeader(input, name.data(), line.data()) == 1) {
                check(std::memchr(line.data(), '\0', 512) != nullptr, "header line not terminated");
                const int decoded = kodra::decodeBinHexForks(input, output, line.data());
                check(decoded == 0 || decoded == 1, "decodeBinHexForks result out of range");
            }
            break;
        }
        if (kind == -1) break;
    }
    // No header since the last call: nothing to decode.
    check(kodra::decodeBinHexForks(input, output, line.data()) == 0, "fork decoder ran without a header");
    std::fclose(output);
    std::fclose(input);
    // Every decoded byte came from at least one input byte times the longest run (255).
    check(written <= 255u * size + 2u, "more output than the input can describe");
    return 0;
}
