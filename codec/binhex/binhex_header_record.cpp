#include "binhex/binhex_header_record.h"

#include <cstring>

namespace kodra {
namespace {

std::uint8_t* putBigEndian(std::uint8_t* out, std::uint32_t value, int bytes) noexcept {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        *out++ = static_cast<std::uint8_t>((value >> shift) & 0xFFu);
    return out;
}

std::uint32_t getBigEndian(const std::uint8_t*& in, int bytes) noexcept {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | *in++;
    return value;
}

bool isUtf8Continuation(char c) noexcept {
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

}  // namespace

std::size_t writeBinHexHeaderRecord(const BinHexHeader& header, std::uint8_t* record) noexcept {
    std::uint8_t* out = record;
    *out++ = header.nameLength;
    std::memcpy(out, header.name, header.nameLength);
    out += header.nameLength;
    *out++ = header.version;
    std::memcpy(out, header.type, 4);
    std::memcpy(out + 4, header.creator, 4);
    out = putBigEndian(out + 8, header.flags, 2);
    out = putBigEndian(out, header.dataLength, 4);
    out = putBigEndian(out, header.resourceLength, 4);
    return static_cast<std::size_t>(out - record);
}

bool parseBinHexHeaderRecord(const std::uint8_t* record, std::size_t size, BinHexHeader& header) noexcept {
    if (size == 0 || size != 1u + record[0] + kBinHexRecordTail) return false;
    const std::uint8_t* in = record;
    header.nameLength = *in++;
    std::memcpy(header.name, in, header.nameLength);
    header.name[header.nameLength] = '\0';
    in += header.nameLength;
    header.version = *in++;
    std::memcpy(header.type, in, 4);
    std::memcpy(header.creator, in + 4, 4);
    in += 8;
    header.flags = static_cast<std::uint16_t>(getBigEndian(in, 2));
    header.dataLength = getBigEndian(in, 4);
    header.resourceLength = getBigEndian(in, 4);
    return true;
}

std::size_t shortenBinHexName(std::string_view name, char* out) noexcept {
    if (name.size() <= kMaxEncodedNameLength) {
        name.copy(out, name.size());
        return name.size();
    }
    // A short extension survives the cut; a dot further back is part of the stem.
    std::string_view extension;
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0 && name.size() - dot <= kMaxKeptExtension)
        extension = name.substr(dot);
    std::size_t stem = kMaxEncodedNameLength - extension.size();
    while (stem > 0 && isUtf8Continuation(name[stem])) --stem;
    name.copy(out, stem);
    extension.copy(out + stem, extension.size());
    return stem + extension.size();
}

}  // namespace kodra
