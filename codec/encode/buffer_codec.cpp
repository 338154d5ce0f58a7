#include "encode/buffer_codec.h"

#include "decode/six_bit_lines.h"
#include "decode/text_decoders.h"
#include "encode/line_encoders.h"
#include "yenc/yenc_data.h"
#include "yenc/yenc_encoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace kodra {
namespace {

constexpr std::uint64_t kIntMax = static_cast<std::uint64_t>(std::numeric_limits<int>::max());
constexpr std::uint64_t kLongLongMax = static_cast<std::uint64_t>(std::numeric_limits<long long>::max());

const DecodeTable* decodeTableOf(int type) noexcept {
    switch (type) {
        case 1: return &uuTable;
        case 2: return &base64Table;
        case 4: return &xxTable;
        default: return nullptr;
    }
}

inline bool isLineEnd(char c) noexcept { return c == '\r' || c == '\n'; }

// Decodes lines of UUencode, XXencode or Base64 until a line or group ends the data.
std::size_t decodeSixBitLines(const char* input, std::size_t length, std::uint8_t* out,
                              const DecodeTable& table, bool base64) noexcept {
    std::size_t p = 0;
    std::size_t w = 0;
    while (p < length) {
        const char* lineEnd = std::find_if(input + p, input + length, isLineEnd);
        const auto lineLength = static_cast<std::size_t>(lineEnd - (input + p));
        if (lineLength == 0) break;
        std::size_t owed;
        if (base64) {
            owed = base64LineCount(input + p, lineLength, table);
        } else {
            owed = lookupSymbol(table, input[p]);  // 255 for a foreign length character
            ++p;
        }
        if (owed == 0) break;
        const SixBitLineResult line = decodeSixBitLine(input + p, length - p, owed, table,
                                                       base64 ? SixBitRules::bufferBase64 : SixBitRules::bufferUu,
                                                       out + w);
        w += line.bytes;
        p += line.consumed;
        while (p < length && isLineEnd(input[p])) ++p;
        if (line.stop != SixBitStop::none) break;
    }
    return w;
}

}  // namespace

int encodeBuffer(const char* input, char* output, int length, int type) noexcept {
    if (length < 0 || !input || !output) return 0;
    const auto* source = reinterpret_cast<const std::uint8_t*>(input);
    const auto n = static_cast<std::size_t>(length);
    if (type == 5) {
        if (quotedPrintableBufferBound(n) - 1 > kIntMax) return 0;
        return static_cast<int>(encodeQuotedPrintableBuffer(source, n, output));
    }
    const SixBitFormat* format = sixBitFormat(type);
    if (!format || length == 0) return 0;
    if (sixBitEncodedSize(*format, n) > kIntMax) return 0;
    return static_cast<int>(encodeSixBitBuffer(source, n, *format, output));
}

int decodeBuffer(const char* input, char* output, int length, int type) noexcept {
    if (length < 0 || !input || !output) return 0;
    const auto n = static_cast<std::size_t>(length);
    if (type == 5) {
        std::memcpy(output, input, n);
        // The copy ends at its first zero byte, as a text would; no zero is assumed
        // beyond the n bytes.
        const void* zero = std::memchr(output, 0, n);
        const std::size_t size = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - output) : n;
        const QuotedPrintableResult result = decodeQuotedPrintable(output, size);
        output[result.kept] = '\0';
        return static_cast<int>(result.length);
    }
    const DecodeTable* table = decodeTableOf(type);
    if (!table) return 0;
    const std::size_t decoded = decodeSixBitLines(input, n, reinterpret_cast<std::uint8_t*>(output),
                                                  *table, type == 2);
    return decoded > kIntMax ? 0 : static_cast<int>(decoded);
}

bool isBufferType(int type) noexcept { return type == 1 || type == 2 || (type >= 4 && type <= 6); }

std::size_t encodedBufferRoom(std::size_t size, int type) noexcept {
    if (!isBufferType(type)) return 0;
    // Every formula stays below 4 * size + 64: past that no room suffices.
    if (size > (std::numeric_limits<std::size_t>::max() - 64) / 4) return std::numeric_limits<std::size_t>::max();
    if (type == 5) return static_cast<std::size_t>(quotedPrintableBufferBound(size));
    if (type == 6) return yencEncodedBound(size);
    return static_cast<std::size_t>(sixBitEncodedSize(*sixBitFormat(type), size));
}

std::size_t decodedBufferRoom(std::size_t size, int type) noexcept {
    switch (type) {
        case 1:
        case 2:
        case 4: return 3 * (size / 4) + 3;
        case 5: return size == std::numeric_limits<std::size_t>::max() ? size : size + 1;
        case 6: return size;
        default: return 0;
    }
}

long long encodeBufferSized(const void* input, std::size_t size, void* output, std::size_t room,
                            int type) noexcept {
    if (!input || !output || !isBufferType(type)) return -1;
    if (room < encodedBufferRoom(size, type) || size > kLongLongMax) return -1;
    const auto* source = static_cast<const std::uint8_t*>(input);
    char* out = static_cast<char*>(output);
    std::size_t written = 0;
    if (type == 5) {
        written = encodeQuotedPrintableBuffer(source, size, out);
    } else if (type == 6) {
        YencEncodeState state;
        written = yencEncode(state, source, size, out);
        written += yencFinish(state, out + written);
    } else if (size > 0) {
        written = encodeSixBitBuffer(source, size, *sixBitFormat(type), out);
    }
    return static_cast<long long>(written);
}

long long decodeBufferSized(const void* input, std::size_t size, void* output, std::size_t room,
                            int type) noexcept {
    if (!input || !output || !isBufferType(type)) return -1;
    if (room < decodedBufferRoom(size, type) || size > kLongLongMax) return -1;
    const char* in = static_cast<const char*>(input);
    char* out = static_cast<char*>(output);
    if (type == 5) {
        // As DecodeBuffer: the text ends at its first zero byte, decoded in place after a copy.
        std::memcpy(out, in, size);
        const void* zero = std::memchr(out, 0, size);
        const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - out) : size;
        const QuotedPrintableResult result = decodeQuotedPrintable(out, length);
        out[result.kept] = '\0';
        return static_cast<long long>(result.length);
    }
    if (type == 6) {
        YencDecodeState state;
        return static_cast<long long>(yencDecode(state, in, size, reinterpret_cast<unsigned char*>(out)));
    }
    return static_cast<long long>(
        decodeSixBitLines(in, size, reinterpret_cast<std::uint8_t*>(out), *decodeTableOf(type), type == 2));
}

int decodeBase64Text(char* text) noexcept {
    const std::size_t length = std::strlen(text);
    if (length > kIntMax) return 0;
    // Base64 never decodes to more bytes than it has characters.
    std::unique_ptr<char[]> scratch(new (std::nothrow) char[length + 1]);
    if (!scratch) return 0;
    const int decoded = decodeBuffer(text, scratch.get(), static_cast<int>(length), 2);
    std::memcpy(text, scratch.get(), static_cast<std::size_t>(decoded));
    text[decoded] = '\0';
    return decoded;
}

}  // namespace kodra
