#include "encode/six_bit_line_kernels.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "frame/x86_kernels.h"

namespace kodra {
namespace {

// How a kernel turns 6-bit values into symbols: a shuffle per 16-symbol quarter for any
// alphabet, or the shorter arithmetic that the Base64 and UU alphabets allow.
enum class Lookup { anyAlphabet, base64, uu };

// Base64's symbols are three runs of consecutive codes (capitals, small letters, digits)
// and two singles. A value's class (13 below 26, 0 up to 51, then 1 to 12) indexes the
// offset from value to symbol, taken from the alphabet itself.
constexpr unsigned base64Class(unsigned value) { return value < 26 ? 13 : value <= 51 ? 0 : value - 51; }

constexpr std::array<std::uint8_t, 16> base64Offsets() {
    std::array<std::uint8_t, 16> offsets{};
    for (unsigned value = 0; value < 64; ++value)
        offsets[base64Class(value)] = static_cast<std::uint8_t>(static_cast<unsigned char>(base64Alphabet[value]) - value);
    return offsets;
}

alignas(16) constexpr std::array<std::uint8_t, 16> kBase64Offsets = base64Offsets();

constexpr bool base64OffsetsHold() {
    for (unsigned value = 0; value < 64; ++value)
        if (static_cast<std::uint8_t>(value + kBase64Offsets[base64Class(value)]) !=
            static_cast<unsigned char>(base64Alphabet[value]))
            return false;
    return true;
}
static_assert(base64OffsetsHold(), "each Base64 class is a run of consecutive codes");

// UU: every value but zero is its code less a fixed offset; zero has a symbol of its own.
constexpr unsigned kUuOffset = static_cast<unsigned char>(uuAlphabet[1]) - 1u;
constexpr unsigned kUuZero = static_cast<unsigned char>(uuAlphabet[0]);

constexpr bool uuOffsetHolds() {
    for (unsigned value = 1; value < 64; ++value)
        if (static_cast<unsigned char>(uuAlphabet[value]) != value + kUuOffset) return false;
    return kUuZero > kUuOffset;
}
static_assert(uuOffsetHolds(), "UU symbols 1 to 63 are consecutive codes");

#if KODRA_X86_KERNELS

// Per 32-bit lane, the group's three bytes as the two 16-bit words (b0 b1) and (b1 b2),
// taken from bytes 0-11 of the register ("head") or from bytes 4-15 ("tail").
alignas(16) constexpr std::uint8_t kSpreadHead[16] = {1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10};
alignas(16) constexpr std::uint8_t kSpreadTail[16] = {5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14};

__attribute__((target("ssse3"))) inline __m128i load16(const void* at) noexcept {
    return _mm_loadu_si128(static_cast<const __m128i*>(at));
}

// The alphabet as four 16-symbol quarters, for the shuffle lookup.
struct Quarters128 {
    __m128i q[4];
};

__attribute__((target("ssse3"))) inline Quarters128 quartersOf(const EncodeAlphabet& alphabet) noexcept {
    return {{load16(alphabet.data()), load16(alphabet.data() + 16), load16(alphabet.data() + 32),
             load16(alphabet.data() + 48)}};
}

// Four groups, spread as kSpread* lays them out, to their sixteen 6-bit values in order:
// the two multiplies move the four fields of each lane into separate bytes.
__attribute__((target("ssse3"))) inline __m128i valuesOf(__m128i spread) noexcept {
    const __m128i outer = _mm_mulhi_epu16(_mm_and_si128(spread, _mm_set1_epi32(0x0FC0FC00)),
                                          _mm_set1_epi32(0x04000040));
    const __m128i inner = _mm_mullo_epi16(_mm_and_si128(spread, _mm_set1_epi32(0x003F03F0)),
                                          _mm_set1_epi32(0x01000010));
    return _mm_or_si128(outer, inner);
}

// Sixteen values (0 to 63) to their symbols. Any alphabet: each quarter's shuffle sees
// its values as indexes 0x70-0x7F and every other value with the high bit set, which
// gives zero. Base64: the class index picks the offset. UU: the offset, and zero apart.
template <Lookup kind>
__attribute__((target("ssse3"))) inline __m128i symbolsOf(__m128i values, const Quarters128& alphabet) noexcept {
    if (kind == Lookup::base64) {
        const __m128i upper = _mm_subs_epu8(values, _mm_set1_epi8(51));
        const __m128i below26 = _mm_cmpgt_epi8(_mm_set1_epi8(26), values);
        const __m128i index = _mm_or_si128(upper, _mm_and_si128(below26, _mm_set1_epi8(13)));
        return _mm_add_epi8(values, _mm_shuffle_epi8(load16(kBase64Offsets.data()), index));
    }
    if (kind == Lookup::uu) {
        const __m128i zero = _mm_cmpeq_epi8(values, _mm_setzero_si128());
        const __m128i shifted = _mm_add_epi8(values, _mm_set1_epi8(static_cast<char>(kUuOffset)));
        return _mm_add_epi8(shifted, _mm_and_si128(zero, _mm_set1_epi8(static_cast<char>(kUuZero - kUuOffset))));
    }
    const __m128i bias = _mm_set1_epi8(0x70);
    __m128i symbols = _mm_shuffle_epi8(alphabet.q[0], _mm_add_epi8(values, bias));
    for (int quarter = 1; quarter < 4; ++quarter) {
        const __m128i index = _mm_add_epi8(_mm_xor_si128(values, _mm_set1_epi8(static_cast<char>(16 * quarter))), bias);
        symbols = _mm_or_si128(symbols, _mm_shuffle_epi8(alphabet.q[quarter], index));
    }
    return symbols;
}

// The same for 32 values; the quarters are in both halves.
template <Lookup kind>
__attribute__((target("avx2"))) inline __m256i symbolsOf(__m256i values, const __m256i (&quarter)[4]) noexcept {
    if (kind == Lookup::base64) {
        const __m256i upper = _mm256_subs_epu8(values, _mm256_set1_epi8(51));
        const __m256i below26 = _mm256_cmpgt_epi8(_mm256_set1_epi8(26), values);
        const __m256i index = _mm256_or_si256(upper, _mm256_and_si256(below26, _mm256_set1_epi8(13)));
        const __m256i offsets = _mm256_broadcastsi128_si256(load16(kBase64Offsets.data()));
        return _mm256_add_epi8(values, _mm256_shuffle_epi8(offsets, index));
    }
    if (kind == Lookup::uu) {
        const __m256i zero = _mm256_cmpeq_epi8(values, _mm256_setzero_si256());
        const __m256i shifted = _mm256_add_epi8(values, _mm256_set1_epi8(static_cast<char>(kUuOffset)));
        return _mm256_add_epi8(shifted,
                               _mm256_and_si256(zero, _mm256_set1_epi8(static_cast<char>(kUuZero - kUuOffset))));
    }
    const __m256i bias = _mm256_set1_epi8(0x70);
    __m256i symbols = _mm256_shuffle_epi8(quarter[0], _mm256_add_epi8(values, bias));
    for (int q = 1; q < 4; ++q) {
        const __m256i index = _mm256_add_epi8(_mm256_xor_si256(values, _mm256_set1_epi8(static_cast<char>(16 * q))), bias);
        symbols = _mm256_or_si256(symbols, _mm256_shuffle_epi8(quarter[q], index));
    }
    return symbols;
}

// Symbols of groups g to g + 3 of the line at source, written at out + 4g. Reads the
// sixteen bytes from 3g, or, when those would run past the line's `bytes`, from 3g - 4.
template <Lookup kind>
__attribute__((target("ssse3"))) inline void fourGroups(const std::uint8_t* source, std::size_t bytes, std::size_t g,
                                                        const Quarters128& alphabet, char* out) noexcept {
    const bool head = 3 * g + 16 <= bytes;
    const __m128i spread = head ? _mm_shuffle_epi8(load16(source + 3 * g), load16(kSpreadHead))
                                : _mm_shuffle_epi8(load16(source + 3 * g - 4), load16(kSpreadTail));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * g), symbolsOf<kind>(valuesOf(spread), alphabet));
}

// The groups of one full line; the last step moves back to end on the line's last group
// and rewrites a few symbols with the same values.
template <Lookup kind>
__attribute__((target("ssse3"))) inline void lineGroupsSsse3(const std::uint8_t* source, std::size_t bytes,
                                                             std::size_t groups, const Quarters128& alphabet,
                                                             std::size_t from, char* out) noexcept {
    for (std::size_t g = from; g < groups; g += 4) fourGroups<kind>(source, bytes, std::min(g, groups - 4), alphabet, out);
}

template <Lookup kind>
__attribute__((target("ssse3"))) std::size_t fullLinesSsse3(const std::uint8_t* source, std::size_t lines,
                                                             const SixBitFormat& format, char* out) noexcept {
    const Quarters128 alphabet = quartersOf(format.alphabet);
    const std::size_t bytes = format.bytesPerLine;
    const std::size_t groups = bytes / 3;
    const std::size_t lineSize = sixBitLineSize(format, bytes);
    const std::size_t lead = format.lengthCharacter ? 1 : 0;
    for (std::size_t line = 0; line < lines; ++line) {
        char* const o = out + line * lineSize;
        if (lead) o[0] = format.alphabet[bytes];
        lineGroupsSsse3<kind>(source + line * bytes, bytes, groups, alphabet, 0, o + lead);
        o[lineSize - 2] = '\r';
        o[lineSize - 1] = '\n';
    }
    return lines * lineSize;
}

template <Lookup kind>
__attribute__((target("avx2"))) std::size_t fullLinesAvx2(const std::uint8_t* source, std::size_t lines,
                                                           const SixBitFormat& format, char* out) noexcept {
    const Quarters128 narrow = quartersOf(format.alphabet);
    __m256i quarter[4];
    for (int q = 0; q < 4; ++q) quarter[q] = _mm256_broadcastsi128_si256(narrow.q[q]);
    const __m256i spreadHead = _mm256_broadcastsi128_si256(load16(kSpreadHead));
    const std::size_t bytes = format.bytesPerLine;
    const std::size_t groups = bytes / 3;
    const std::size_t lineSize = sixBitLineSize(format, bytes);
    const std::size_t lead = format.lengthCharacter ? 1 : 0;
    for (std::size_t line = 0; line < lines; ++line) {
        const std::uint8_t* const s = source + line * bytes;
        char* const o = out + line * lineSize;
        if (lead) o[0] = format.alphabet[bytes];
        std::size_t g = 0;
        // Eight groups a step, each half from its own load, while both loads stay in the line.
        for (; 3 * g + 28 <= bytes && g + 8 <= groups; g += 8) {
            const __m256i both = _mm256_inserti128_si256(_mm256_castsi128_si256(load16(s + 3 * g)),
                                                         load16(s + 3 * g + 12), 1);
            const __m256i spread = _mm256_shuffle_epi8(both, spreadHead);
            const __m256i values = _mm256_or_si256(
                _mm256_mulhi_epu16(_mm256_and_si256(spread, _mm256_set1_epi32(0x0FC0FC00)),
                                   _mm256_set1_epi32(0x04000040)),
                _mm256_mullo_epi16(_mm256_and_si256(spread, _mm256_set1_epi32(0x003F03F0)),
                                   _mm256_set1_epi32(0x01000010)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + lead + 4 * g), symbolsOf<kind>(values, quarter));
        }
        if (g < groups) lineGroupsSsse3<kind>(s, bytes, groups, narrow, g, o + lead);
        o[lineSize - 2] = '\r';
        o[lineSize - 1] = '\n';
    }
    // The compiler does not clear the upper halves for a target attribute: without this,
    // every SSE instruction after the kernel pays for the transition.
    _mm256_zeroupper();
    return lines * lineSize;
}

#endif

std::size_t fullLinesScalar(const std::uint8_t* source, std::size_t lines, const SixBitFormat& format,
                            char* out) noexcept {
    std::size_t written = 0;
    for (std::size_t line = 0; line < lines; ++line)
        written += encodeSixBitLine(source + line * format.bytesPerLine, format.bytesPerLine, format, out + written);
    return written;
}

}  // namespace

std::size_t encodeFullSixBitLines(SimdLevel level, const std::uint8_t* source, std::size_t lines,
                                  const SixBitFormat& format, char* out) noexcept {
#if KODRA_X86_KERNELS
    // The vector steps want whole groups and room for a step before the last four.
    if (format.bytesPerLine % 3 == 0 && format.bytesPerLine >= 18) {
        level = std::min(level, supportedSimdLevel());
        const Lookup kind = format.alphabet == base64Alphabet ? Lookup::base64
                            : format.alphabet == uuAlphabet   ? Lookup::uu
                                                              : Lookup::anyAlphabet;
        if (level == SimdLevel::avx2) {
            if (kind == Lookup::base64) return fullLinesAvx2<Lookup::base64>(source, lines, format, out);
            if (kind == Lookup::uu) return fullLinesAvx2<Lookup::uu>(source, lines, format, out);
            return fullLinesAvx2<Lookup::anyAlphabet>(source, lines, format, out);
        }
        if (level == SimdLevel::ssse3) {
            if (kind == Lookup::base64) return fullLinesSsse3<Lookup::base64>(source, lines, format, out);
            if (kind == Lookup::uu) return fullLinesSsse3<Lookup::uu>(source, lines, format, out);
            return fullLinesSsse3<Lookup::anyAlphabet>(source, lines, format, out);
        }
    }
#else
    static_cast<void>(level);
#endif
    return fullLinesScalar(source, lines, format, out);
}

std::size_t encodeSixBitBufferAt(SimdLevel level, const std::uint8_t* source, std::size_t length,
                                 const SixBitFormat& format, char* out) noexcept {
    const std::size_t lines = length / format.bytesPerLine;
    std::size_t written = encodeFullSixBitLines(level, source, lines, format, out);
    const std::size_t done = lines * format.bytesPerLine;
    if (done < length) written += encodeSixBitLine(source + done, length - done, format, out + written);
    return written;
}

}  // namespace kodra
