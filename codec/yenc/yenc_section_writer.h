// One yEnc section of a file ("=ybegin", for parts "=ypart", the data lines and "=yend"),
// read from an open source and written to an open output, lines ending in CR LF.
#pragma once

#include <cstdint>
#include <cstdio>

namespace kodra {

class ProgressMeter;

// Which bytes of the file a section carries, and how it is announced.
struct YencSection {
    const char* name = "";        // the file name on the "=ybegin" line (no CR or LF in it)
    std::uint64_t fileSize = 0;   // the whole file's length
    std::uint64_t offset = 0;     // where this section's bytes begin in the file
    std::uint64_t length = 0;     // how many bytes it carries
    long long part = 0;           // 1-based part number; 0 for a single-part section
    long long total = 0;          // the number of parts (parts only)
    bool fileCrc = true;          // parts: whether "=yend" also carries the whole file's CRC
};

// Writes section, reading its length bytes from source at the stream's position. fileCrc
// continues the whole file's CRC-32 over them (it must hold the CRC of the bytes before the
// section). False when a working block could not be obtained or the source ended early; the
// caller checks the streams' error flags. The bytes read are counted on progress, when given.
bool writeYencSection(std::FILE* source, std::FILE* output, const YencSection& section, std::uint32_t& fileCrc,
                      ProgressMeter* progress = nullptr) noexcept;

}  // namespace kodra
