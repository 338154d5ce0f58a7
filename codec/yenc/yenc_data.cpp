#include "yenc/yenc_data.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "frame/x86_kernels.h"

namespace kodra {
namespace {

constexpr unsigned char kEscape = '=';
constexpr unsigned char kOffset = 42;
constexpr unsigned char kEscapeOffset = 64;

// Decodes one character; the caller's position moves on by one either way.
inline void decodeOne(bool& escaped, unsigned char c, unsigned char* out, std::size_t& o) noexcept {
    if (c == '\r' || c == '\n') return;
    if (escaped) {
        out[o++] = static_cast<unsigned char>(c - kEscapeOffset - kOffset);
        escaped = false;
    } else if (c == kEscape) {
        escaped = true;
    } else {
        out[o++] = static_cast<unsigned char>(c - kOffset);
    }
}

// A clean-run kernel decodes the leading characters at in[i..size) that are none of
// "=", CR, LF into out[o..), moving both positions; it may write past the run (never past
// out + i + the block it read), which the caller's later writes replace.
using CleanRun = void (*)(const unsigned char* in, std::size_t size, std::size_t& i, unsigned char* out,
                          std::size_t& o) noexcept;

// Per byte: 0x80 where the byte of v is zero, exactly.
inline std::uint64_t zeroBytes(std::uint64_t v) noexcept {
    constexpr std::uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    return ~(((v & low7) + low7) | v) & ~low7;
}

void cleanRunWord(const unsigned char* in, std::size_t size, std::size_t& i, unsigned char* out,
                  std::size_t& o) noexcept {
    constexpr std::uint64_t ones = 0x0101010101010101ull;
    constexpr std::uint64_t high = 0x8080808080808080ull;
    while (i + 8 <= size) {
        std::uint64_t v;
        std::memcpy(&v, in + i, 8);
        // Byte-wise v - 42 without borrows between bytes.
        const std::uint64_t decoded = ((v | high) - kOffset * ones) ^ (~v & high);
        std::memcpy(out + o, &decoded, 8);
        const std::uint64_t special =
            zeroBytes(v ^ (kEscape * ones)) | zeroBytes(v ^ ('\r' * ones)) | zeroBytes(v ^ ('\n' * ones));
        if (special == 0) {
            i += 8, o += 8;
            continue;
        }
        // The clean bytes before the first special one; the byte order of memory decides
        // which end of the word comes first.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        const auto clean = static_cast<std::size_t>(__builtin_clzll(special)) / 8;
#else
        const auto clean = static_cast<std::size_t>(__builtin_ctzll(special)) / 8;
#endif
        i += clean, o += clean;
        return;
    }
}

#if KODRA_X86_KERNELS

__attribute__((target("sse2"))) void cleanRunSse2(const unsigned char* in, std::size_t size, std::size_t& i,
                                                  unsigned char* out, std::size_t& o) noexcept {
    const __m128i escape = _mm_set1_epi8(static_cast<char>(kEscape));
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i offset = _mm_set1_epi8(static_cast<char>(kOffset));
    while (i + 16 <= size) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + o), _mm_sub_epi8(v, offset));
        const __m128i special =
            _mm_or_si128(_mm_cmpeq_epi8(v, escape), _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(special));
        if (mask == 0) {
            i += 16, o += 16;
            continue;
        }
        const auto clean = static_cast<std::size_t>(__builtin_ctz(mask));
        i += clean, o += clean;
        return;
    }
    cleanRunWord(in, size, i, out, o);
}

__attribute__((target("avx2"))) void cleanRunAvx2(const unsigned char* in, std::size_t size, std::size_t& i,
                                                  unsigned char* out, std::size_t& o) noexcept {
    const __m256i escape = _mm256_set1_epi8(static_cast<char>(kEscape));
    const __m256i cr = _mm256_set1_epi8('\r');
    const __m256i lf = _mm256_set1_epi8('\n');
    const __m256i offset = _mm256_set1_epi8(static_cast<char>(kOffset));
    bool stopped = false;
    while (i + 32 <= size) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + o), _mm256_sub_epi8(v, offset));
        const __m256i special = _mm256_or_si256(_mm256_cmpeq_epi8(v, escape),
                                                _mm256_or_si256(_mm256_cmpeq_epi8(v, cr), _mm256_cmpeq_epi8(v, lf)));
        const auto mask = static_cast<std::uint32_t>(_mm256_movemask_epi8(special));
        if (mask == 0) {
            i += 32, o += 32;
            continue;
        }
        const auto clean = static_cast<std::size_t>(__builtin_ctz(mask));
        i += clean, o += clean;
        stopped = true;
        break;
    }
    _mm256_zeroupper();
    if (!stopped) cleanRunSse2(in, size, i, out, o);
}

#endif

CleanRun cleanRunFor(SimdLevel level) noexcept {
#if KODRA_X86_KERNELS
    if (level == SimdLevel::avx2) return cleanRunAvx2;
    if (level == SimdLevel::ssse3) return cleanRunSse2;
#else
    static_cast<void>(level);
#endif
    return cleanRunWord;
}

std::size_t decodeWith(CleanRun cleanRun, YencDecodeState& state, const char* in, std::size_t size,
                       unsigned char* out) noexcept {
    const auto* const bytes = reinterpret_cast<const unsigned char*>(in);
    bool escaped = state.escaped;
    std::size_t i = 0, o = 0;
    while (i < size) {
        if (!escaped) {
            cleanRun(bytes, size, i, out, o);
            if (i == size) break;
        }
        // A special character, the one after an escape, or the short tail.
        decodeOne(escaped, bytes[i++], out, o);
    }
    state.escaped = escaped;
    return o;
}

}  // namespace

std::size_t yencDecodeScalar(YencDecodeState& state, const char* in, std::size_t size, unsigned char* out) noexcept {
    bool escaped = state.escaped;
    std::size_t o = 0;
    for (std::size_t i = 0; i < size; ++i) decodeOne(escaped, static_cast<unsigned char>(in[i]), out, o);
    state.escaped = escaped;
    return o;
}

std::size_t yencDecodeAt(SimdLevel level, YencDecodeState& state, const char* in, std::size_t size,
                         unsigned char* out) noexcept {
    return decodeWith(cleanRunFor(std::min(level, supportedSimdLevel())), state, in, size, out);
}

std::size_t yencDecode(YencDecodeState& state, const char* in, std::size_t size, unsigned char* out) noexcept {
    static const CleanRun cleanRun = cleanRunFor(activeSimdLevel());
    return decodeWith(cleanRun, state, in, size, out);
}

}  // namespace kodra
