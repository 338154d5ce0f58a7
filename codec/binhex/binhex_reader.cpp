// PLACEHOLDER
#include "binhex/binhex_reader.h"
namespace kodra {
BinHexForm BinHexReader::detect(std::string_view, LineSource&) noexcept { return BinHexForm::none; }
bool BinHexReader::readHeader(LineSource&, std::string&) noexcept { return false; }
bool BinHexReader::readHexBinHeader(LineSource&, std::string&) noexcept { return false; }
bool BinHexReader::decodeForks(LineSource&, ByteSink*) noexcept { return false; }
}
