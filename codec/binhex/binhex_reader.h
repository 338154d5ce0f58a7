// PLACEHOLDER until the BinHex reader lands.
#pragma once
#include "frame/byte_sink.h"
#include "frame/line_source.h"
#include <string>
#include <string_view>
namespace kodra {
enum class BinHexForm { none, binHex40, hexBin, endedEarly };
class BinHexReader {
public:
    BinHexForm detect(std::string_view line, LineSource& input) noexcept;
    bool readHeader(LineSource& input, std::string& name) noexcept;
    bool readHexBinHeader(LineSource& input, std::string& line) noexcept;
    bool decodeForks(LineSource& input, ByteSink* output) noexcept;
};
}  // namespace kodra
