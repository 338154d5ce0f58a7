#include "binhex/binhex.h"

#include "binhex/binhex_decoder_state.h"
#include "binhex/hexbin_lines.h"
#include "platform/stdio_unlocked.h"

#include <charconv>
#include <cstring>
#include <string_view>

namespace kodra {
namespace {

// Lines of this format are read 511 characters at a time.
constexpr int kHexBinLineLimit = 512;

// Reads the next line into buffer without its line end; false at the end of input.
bool readHexBinLine(std::FILE* input, char* buffer, std::string_view& line) noexcept {
    if (getsUnlocked(buffer, kHexBinLineLimit, input) == nullptr) return false;
    std::size_t length = std::strlen(buffer);
    while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r')) --length;
    buffer[length] = '\0';
    line = std::string_view(buffer, length);
    return true;
}

bool startsWith(std::string_view line, std::string_view opening) noexcept {
    return line.substr(0, opening.size()) == opening;
}

// The hexadecimal number after a checksum line's opening, or -1 when there is none.
long long checksumValue(std::string_view rest) noexcept {
    while (!rest.empty() && (rest.front() == ' ' || rest.front() == '\t')) rest.remove_prefix(1);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value, 16);
    if (error != std::errc() || end == rest.data()) return -1;
    return value;
}

}  // namespace

int readHexBinHeader(std::FILE* input, char* name, char* lineBuffer) noexcept {
    static_cast<void>(name);  // the format carries no name
    BinHexDecoderState& state = binHexDecoderState();
    state.variant = BinHexVariant::none;
    resetBinHexDecoderState(state);
    std::string_view line;
    if (input == nullptr || lineBuffer == nullptr || !readHexBinLine(input, lineBuffer, line)) return 0;
    // "#" type creator "$" flags: the type and creator are kept when the line has that shape.
    if (line.size() >= 14 && line[0] == '#' && line[line.size() - 5] == '$') {
        line.copy(state.header.type, 4, 1);
        line.copy(state.header.creator, 4, 5);
    }
    state.variant = BinHexVariant::hexBin;
    return 1;
}

int decodeHexBinForks(BinHexDecoderState& state, std::FILE* input, std::FILE* output,
                      char* lineBuffer) noexcept {
    state.written = 0;
    HexBinChecksums checks;
    bool compressed = false;
    bool forkSeen = false;
    std::uint8_t bytes[kMaxHexBinLineBytes];
    std::string_view line;
    while (readHexBinLine(input, lineBuffer, line)) {
        if (!forkSeen && startsWith(line, "***COMPRESSED")) {
            compressed = true;
            continue;
        }
        const bool dataFork = startsWith(line, "***DATA");
        if (dataFork || startsWith(line, "***RESOURCE")) {
            forkSeen = true;
            std::uint64_t forkLength = 0;
            while (readHexBinLine(input, lineBuffer, line) && !startsWith(line, "***END")) {
                const int n = compressed ? decodeHexBinCompressedLine(line, bytes)
                                         : decodeHexBinPlainLine(line, bytes);
                if (n < 0) return 0;
                const auto count = static_cast<std::size_t>(n);
                for (std::size_t i = 0; i < count; ++i) checks.add(bytes[i]);
                // Only the data fork is kept; the resource fork is checked and dropped.
                if (dataFork && output != nullptr) {
                    if (writeUnlocked(bytes, 1, count, output) != count) return 0;
                    state.written += count;
                }
                forkLength += count;
            }
            if (forkLength == 0) return 0;
            continue;
        }
        if (compressed && startsWith(line, "***CRC:"))
            return checksumValue(line.substr(7)) == checks.rotating ? 1 : 0;
        if (!compressed && startsWith(line, "***CHECKSUM:")) {
            const long long value = checksumValue(line.substr(12));
            return value >= 0 && (value & 0xFF) == checks.sum ? 1 : 0;
        }
    }
    return 0;
}

}  // namespace kodra
