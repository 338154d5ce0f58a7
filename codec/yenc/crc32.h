// CRC-32 of ISO 3309 / ITU-T V.42, as zlib, PNG and yEnc use it (RFC 1952, 8).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kodra {

// Continues crc (0 to start) over size bytes at data and returns the new value.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) noexcept;

// The CRC of A followed by B, from the CRC of A, the CRC of B and B's length: a joined file's
// CRC comes from its parts' without a second pass over the data.
std::uint32_t crc32Combine(std::uint32_t crcA, std::uint32_t crcB, std::uint64_t sizeB) noexcept;

}  // namespace kodra
