// CRC-32 of ISO 3309 / ITU-T V.42, as zlib, PNG and yEnc use it (RFC 1952, 8).
#pragma once

#include <cstddef>
#include <cstdint>

namespace kodra {

// Continues crc (0 to start) over size bytes at data and returns the new value.
std::uint32_t crc32Update(std::uint32_t crc, const void* data, std::size_t size) noexcept;

}  // namespace kodra
