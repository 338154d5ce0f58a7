// The BinHex reader as the scanner and the decoding driver call it: detector, header
// readers and fork decoder on any input, the decoded forks counted by a sink that keeps
// nothing. Output stays within what the input can describe.
#include "binhex/binhex_reader.h"
#include "frame/byte_sink.h"
#include "frame/line_source.h"
#include "fuzz_support.h"

#include <cstdint>
#include <string>

namespace {

class CountingSink : public kodra::ByteSink {
public:
    std::uint64_t written = 0;
    bool write(const void*, std::size_t size) noexcept override {
        written += size;
        return true;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kodra::fuzz::check;
    if (size == 0) return 0;
    kodra::LineSource input(reinterpret_cast<const char*>(data), size);
    kodra::BinHexReader reader;
    CountingSink output;
    kodra::SourceLine line;
    std::string name, hashLine;
    for (int lines = 0; lines < 64 && input.next(line); ++lines) {
        const kodra::BinHexForm form = reader.detect(line.text, input);
        if (form == kodra::BinHexForm::binHex40) {
            if (reader.readHeader(input, name)) {
                check(name.size() <= 255, "header name longer than 255 bytes");
                reader.decodeForks(input, &output);
            }
            break;
        }
        if (form == kodra::BinHexForm::hexBin) {
            if (reader.readHexBinHeader(input, hashLine)) {
                check(hashLine.find('\n') == std::string::npos, "header line keeps its line end");
                check(hashLine.find('\0') == std::string::npos, "header line keeps a NUL");
                reader.decodeForks(input, &output);
            }
            break;
        }
        if (form == kodra::BinHexForm::endedEarly) break;
    }
    // No header since the last call: nothing to decode.
    check(!reader.decodeForks(input, &output), "fork decoder ran without a header");
    // Every decoded byte came from at least one input byte times the longest run (255).
    check(output.written <= 255u * size + 2u, "more output than the input can describe");
    return 0;
}
