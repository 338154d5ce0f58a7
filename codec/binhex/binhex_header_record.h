// The BinHex 4.0 header record (name length, name, version, type, creator, flags, data
// and resource fork lengths; numbers big-endian), shared by the encoder and decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kodra {

struct BinHexHeader {
    char name[256];  // nameLength bytes, then a NUL
    std::uint8_t nameLength;
    std::uint8_t version;
    char type[4];
    char creator[4];
    std::uint16_t flags;
    std::uint32_t dataLength;
    std::uint32_t resourceLength;
};

// Bytes of the record after the name.
inline constexpr std::size_t kBinHexRecordTail = 19;
// Largest record: a 255-byte name.
inline constexpr std::size_t kMaxBinHexRecordSize = 1 + 255 + kBinHexRecordTail;
// The longest name an encoder writes, and the longest extension a shortened name keeps.
inline constexpr std::size_t kMaxEncodedNameLength = 63;
inline constexpr std::size_t kMaxKeptExtension = 4;

// Writes the record of header into record (kMaxBinHexRecordSize bytes) and returns its size.
std::size_t writeBinHexHeaderRecord(const BinHexHeader& header, std::uint8_t* record) noexcept;

// Reads a record of `size` bytes, the name length first; false when size does not
// match that length.
bool parseBinHexHeaderRecord(const std::uint8_t* record, std::size_t size, BinHexHeader& header) noexcept;

// Copies name into out (kMaxEncodedNameLength bytes, no NUL added) and returns its
// length: a longer name is cut to 63 bytes, keeping an extension of up to four
// characters (dot included) and never splitting a UTF-8 sequence.
std::size_t shortenBinHexName(std::string_view name, char* out) noexcept;

}  // namespace kodra
