#include "decode/six_bit_lines.h"

#include "decode/decode_group.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "frame/x86_kernels.h"

namespace kodra {
namespace {

#if KODRA_X86_KERNELS

// The published nibble-table technique for RFC 4648 Base64: a symbol is in the alphabet
// when the class bit of its high nibble is not among the bits its low nibble rules out;
// its value is the symbol plus an offset picked by the high nibble ("/" moved down one).
alignas(16) constexpr std::uint8_t kRejectByLow[16] = {0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11,
                                                       0x11, 0x11, 0x13, 0x1A, 0x1B, 0x1B, 0x1B, 0x1A};
alignas(16) constexpr std::uint8_t kClassByHigh[16] = {0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08,
                                                       0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10};
// Offsets as bytes modulo 256: +16 for "/", +19 for "+", +4 for digits, -65 for capitals,
// -71 for small letters.
alignas(16) constexpr std::uint8_t kOffsetByHigh[16] = {0, 16, 19, 4, 191, 191, 185, 185, 0, 0, 0, 0, 0, 0, 0, 0};
// The three value bytes of each 32-bit lane, high first; 0x80 clears.
alignas(16) constexpr std::uint8_t kPackBytes[16] = {2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, 0x80, 0x80, 0x80, 0x80};
alignas(32) constexpr std::int32_t kPackLanes[8] = {0, 1, 2, 4, 5, 6, 3, 7};

__attribute__((target("ssse3"))) inline __m128i load16(const void* at) noexcept {
    return _mm_loadu_si128(static_cast<const __m128i*>(at));
}

__attribute__((target("avx2"))) inline __m256i load32(const void* at) noexcept {
    return _mm256_loadu_si256(static_cast<const __m256i*>(at));
}

// Sixteen symbols to their values, or false when any is outside the alphabet.
__attribute__((target("ssse3"))) inline bool translate16(__m128i& symbols) noexcept {
    const __m128i nibble = _mm_set1_epi8(0x0F);
    const __m128i high = _mm_and_si128(_mm_srli_epi32(symbols, 4), nibble);
    const __m128i low = _mm_and_si128(symbols, nibble);
    const __m128i reject = _mm_shuffle_epi8(load16(kRejectByLow), low);
    const __m128i klass = _mm_shuffle_epi8(load16(kClassByHigh), high);
    const __m128i clash = _mm_cmpeq_epi8(_mm_and_si128(reject, klass), _mm_setzero_si128());
    if (_mm_movemask_epi8(clash) != 0xFFFF) return false;
    const __m128i slash = _mm_cmpeq_epi8(symbols, _mm_set1_epi8(0x2F));
    const __m128i offset = _mm_shuffle_epi8(load16(kOffsetByHigh), _mm_add_epi8(high, slash));
    symbols = _mm_add_epi8(symbols, offset);
    return true;
}

// Sixteen values to twelve bytes in the low part of the vector.
__attribute__((target("ssse3"))) inline __m128i pack16(__m128i values) noexcept {
    const __m128i pairs = _mm_maddubs_epi16(values, _mm_set1_epi32(0x01400140));  // a*64+b, c*64+d
    const __m128i words = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));     // 24 bits per lane
    return _mm_shuffle_epi8(words, load16(kPackBytes));
}

// Decodes the leading clean groups of `groups` four at a time, each block of sixteen symbols
// turned into values by Translate (false: a symbol outside the alphabet); returns the groups done.
template <bool (*Translate)(__m128i&) noexcept>
__attribute__((target("ssse3"))) std::size_t cleanGroups16(const char* symbols, std::size_t groups,
                                                            std::uint8_t* out) noexcept {
    std::size_t done = 0;
    for (; done + 4 <= groups; done += 4) {
        __m128i block = load16(symbols + 4 * done);
        if (!Translate(block)) break;
        const __m128i bytes = pack16(block);
        // Exactly twelve bytes, from registers: nothing lands beyond the clean groups.
        std::uint8_t* const at = out + 3 * done;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(at), bytes);
        const int last = _mm_cvtsi128_si32(_mm_unpackhi_epi64(bytes, bytes));
        std::memcpy(at + 8, &last, 4);
    }
    return done;
}

__attribute__((target("ssse3"))) std::size_t cleanGroupsSsse3(const char* symbols, std::size_t groups,
                                                               std::uint8_t* out) noexcept {
    return cleanGroups16<translate16>(symbols, groups, out);
}

__attribute__((target("avx2"))) std::size_t cleanGroupsAvx2(const char* symbols, std::size_t groups,
                                                             std::uint8_t* out) noexcept {
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i rejectByLow = _mm256_broadcastsi128_si256(load16(kRejectByLow));
    const __m256i classByHigh = _mm256_broadcastsi128_si256(load16(kClassByHigh));
    const __m256i offsetByHigh = _mm256_broadcastsi128_si256(load16(kOffsetByHigh));
    const __m256i packBytes = _mm256_broadcastsi128_si256(load16(kPackBytes));
    const __m256i packLanes = load32(kPackLanes);
    std::size_t done = 0;
    for (; done + 8 <= groups; done += 8) {
        __m256i block = load32(symbols + 4 * done);
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(block, 4), nibble);
        const __m256i low = _mm256_and_si256(block, nibble);
        const __m256i reject = _mm256_shuffle_epi8(rejectByLow, low);
        const __m256i klass = _mm256_shuffle_epi8(classByHigh, high);
        const __m256i clash = _mm256_cmpeq_epi8(_mm256_and_si256(reject, klass), _mm256_setzero_si256());
        if (_mm256_movemask_epi8(clash) != -1) break;
        const __m256i slash = _mm256_cmpeq_epi8(block, _mm256_set1_epi8(0x2F));
        block = _mm256_add_epi8(block, _mm256_shuffle_epi8(offsetByHigh, _mm256_add_epi8(high, slash)));
        const __m256i pairs = _mm256_maddubs_epi16(block, _mm256_set1_epi32(0x01400140));
        const __m256i words = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(words, packBytes), packLanes);
        std::memcpy(out + 3 * done, &bytes, 24);
    }
    // The compiler does not clear the upper halves for a target attribute: without this,
    // every SSE instruction after the kernel pays for the transition.
    _mm256_zeroupper();
    return done + cleanGroupsSsse3(symbols + 4 * done, groups - done, out + 3 * done);
}

// UUencode symbols are the codes 32 to 96 ("`" a second zero): the value is the code less
// 32, modulo 64, and a code is in the alphabet when that difference is at most 64.
__attribute__((target("ssse3"))) inline bool translateUu16(__m128i& symbols) noexcept {
    const __m128i shifted = _mm_sub_epi8(symbols, _mm_set1_epi8(32));
    const __m128i limit = _mm_set1_epi8(64);
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_max_epu8(shifted, limit), limit)) != 0xFFFF) return false;
    symbols = _mm_and_si128(shifted, _mm_set1_epi8(63));
    return true;
}

__attribute__((target("ssse3"))) std::size_t cleanUuGroupsSsse3(const char* symbols, std::size_t groups,
                                                                 std::uint8_t* out) noexcept {
    return cleanGroups16<translateUu16>(symbols, groups, out);
}

__attribute__((target("avx2"))) std::size_t cleanUuGroupsAvx2(const char* symbols, std::size_t groups,
                                                               std::uint8_t* out) noexcept {
    const __m256i packBytes = _mm256_broadcastsi128_si256(load16(kPackBytes));
    const __m256i packLanes = load32(kPackLanes);
    const __m256i limit = _mm256_set1_epi8(64);
    std::size_t done = 0;
    for (; done + 8 <= groups; done += 8) {
        const __m256i shifted = _mm256_sub_epi8(load32(symbols + 4 * done), _mm256_set1_epi8(32));
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_max_epu8(shifted, limit), limit)) != -1) break;
        const __m256i block = _mm256_and_si256(shifted, _mm256_set1_epi8(63));
        const __m256i pairs = _mm256_maddubs_epi16(block, _mm256_set1_epi32(0x01400140));
        const __m256i words = _mm256_madd_epi16(pairs, _mm256_set1_epi32(0x00011000));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(words, packBytes), packLanes);
        std::memcpy(out + 3 * done, &bytes, 24);
    }
    _mm256_zeroupper();
    return done + cleanUuGroupsSsse3(symbols + 4 * done, groups - done, out + 3 * done);
}

SimdLevel detectSimdLevel() noexcept {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return SimdLevel::avx2;
    if (__builtin_cpu_supports("ssse3")) return SimdLevel::ssse3;
    return SimdLevel::scalar;
}

#else

SimdLevel detectSimdLevel() noexcept { return SimdLevel::scalar; }

#endif

// Decodes the leading groups of `groups` whole groups that are clean Base64, at `level`;
// returns how many. The scalar level leaves them all to the caller's loop.
std::size_t cleanBase64Groups(SimdLevel level, const char* symbols, std::size_t groups,
                              std::uint8_t* out) noexcept {
#if KODRA_X86_KERNELS
    if (level == SimdLevel::avx2) return cleanGroupsAvx2(symbols, groups, out);
    if (level == SimdLevel::ssse3) return cleanGroupsSsse3(symbols, groups, out);
#else
    static_cast<void>(level), static_cast<void>(symbols), static_cast<void>(groups), static_cast<void>(out);
#endif
    return 0;
}

// The same for the UUencode alphabet.
std::size_t cleanUuGroups(SimdLevel level, const char* symbols, std::size_t groups, std::uint8_t* out) noexcept {
#if KODRA_X86_KERNELS
    if (level == SimdLevel::avx2) return cleanUuGroupsAvx2(symbols, groups, out);
    if (level == SimdLevel::ssse3) return cleanUuGroupsSsse3(symbols, groups, out);
#else
    static_cast<void>(level), static_cast<void>(symbols), static_cast<void>(groups), static_cast<void>(out);
#endif
    return 0;
}

// Decodes the leading groups of `groups` whole groups whose symbols are all in `table`;
// returns how many. One test per group: values in the alphabet are below 64.
std::size_t cleanGroupsScalar(const char* symbols, std::size_t groups, const DecodeTable& table,
                              std::uint8_t* out) noexcept {
    std::size_t done = 0;
    for (; done < groups; ++done) {
        const char* const at = symbols + 4 * done;
        const auto c0 = static_cast<unsigned char>(at[0]), c1 = static_cast<unsigned char>(at[1]);
        const auto c2 = static_cast<unsigned char>(at[2]), c3 = static_cast<unsigned char>(at[3]);
        if ((c0 | c1 | c2 | c3) >= 128) break;
        const unsigned v0 = table[c0], v1 = table[c1], v2 = table[c2], v3 = table[c3];
        if ((v0 | v1 | v2 | v3) >= 64) break;
        std::uint8_t* const bytes = out + 3 * done;
        bytes[0] = static_cast<std::uint8_t>(v0 << 2 | v1 >> 4);
        bytes[1] = static_cast<std::uint8_t>(v1 << 4 | v2 >> 2);
        bytes[2] = static_cast<std::uint8_t>(v2 << 6 | v3);
    }
    return done;
}

SimdLevel levelFromEnvironment(SimdLevel supported) noexcept {
    const char* forced = std::getenv("KODRA_SIMD");
    if (!forced) return supported;
    SimdLevel wanted = supported;
    if (std::strcmp(forced, "scalar") == 0) wanted = SimdLevel::scalar;
    else if (std::strcmp(forced, "ssse3") == 0) wanted = SimdLevel::ssse3;
    return std::min(wanted, supported);
}

}  // namespace

SimdLevel supportedSimdLevel() noexcept {
    static const SimdLevel level = detectSimdLevel();
    return level;
}

SimdLevel activeSimdLevel() noexcept {
    static const SimdLevel level = levelFromEnvironment(supportedSimdLevel());
    return level;
}

std::size_t decodeCleanGroupsAt(SimdLevel level, const char* symbols, std::size_t groups, const DecodeTable& table,
                                std::uint8_t* out) noexcept {
    level = std::min(level, supportedSimdLevel());
    std::size_t done = 0;
    if (level != SimdLevel::scalar) {
        if (&table == &base64Table) done = cleanBase64Groups(level, symbols, groups, out);
        else if (&table == &uuTable) done = cleanUuGroups(level, symbols, groups, out);
    }
    return done + cleanGroupsScalar(symbols + 4 * done, groups - done, table, out + 3 * done);
}

std::size_t decodeCleanGroups(const char* symbols, std::size_t groups, const DecodeTable& table,
                              std::uint8_t* out) noexcept {
    return decodeCleanGroupsAt(activeSimdLevel(), symbols, groups, table, out);
}

SixBitLineResult decodeSixBitLineAt(SimdLevel level, const char* symbols, std::size_t available,
                                    std::size_t count, const DecodeTable& table, SixBitRules rules,
                                    std::uint8_t* out) noexcept {
    SixBitLineResult result;
    // The whole groups that the count has room for and the line holds: clean ones take the
    // fast paths, and the first other group and all after it the rules below.
    const std::size_t whole = std::min(count / 3, available / 4);
    std::size_t k = decodeCleanGroupsAt(level, symbols, whole, table, out);  // groups decoded
    for (; 3 * k < count; ++k) {
        const std::size_t at = 4 * k;
        const std::size_t left = at < available ? available - at : 0;
        const std::size_t room = std::min<std::size_t>(3, count - 3 * k);
        std::uint8_t* const target = out + 3 * k;
        std::uint8_t group[3];
        // Straight into place while the count has room for the whole group.
        std::uint8_t* const into = room == 3 ? target : group;
        const auto got = static_cast<std::size_t>(decodeGroup(left > 0 ? symbols + at : symbols, left, into, table));
        if (got == 3) {
            if (into == group) std::memcpy(target, group, room);
            continue;
        }
        if (into == target) std::memcpy(group, target, got);
        switch (rules) {
            case SixBitRules::fileUu:
                if (got == 0) return {0, at, SixBitStop::failed};
                std::memset(group + got, 0, 3 - got);  // lost trailing blanks
                std::memcpy(target, group, room);
                continue;
            case SixBitRules::fileBase64:
                if (got == 0 || 3 * (k + 1) < count) return {0, at, SixBitStop::failed};
                std::memcpy(target, group, std::min(room, got));
                return {std::min(count, 3 * k + got), at + 4, SixBitStop::none};
            case SixBitRules::bufferUu:
            case SixBitRules::bufferBase64: {
                const std::size_t copied = std::min(room, got);
                std::memcpy(target, group, copied);
                // Bytes the count claims but the group did not deliver are zeros, never
                // whatever the caller's buffer held.
                std::memset(target + copied, 0, room - copied);
                const bool shortened = rules == SixBitRules::bufferBase64 && 3 * (k + 1) >= count;
                return {3 * k + (shortened ? got : room), at, SixBitStop::ended};
            }
        }
    }
    result.bytes = count;
    result.consumed = 4 * k;
    return result;
}

std::size_t base64LineCount(const char* symbols, std::size_t available, const DecodeTable& table) noexcept {
    const std::size_t whole = available / 4 * 3;
    const std::size_t left = available % 4;
    if (left < 2) return whole;
    const char* const last = symbols + (available - left);
    const bool holdsBytes =
        lookupSymbol(table, last[0]) != kNotInAlphabet && lookupSymbol(table, last[1]) != kNotInAlphabet;
    return holdsBytes ? whole + 3 : whole;
}

SixBitLineResult decodeSixBitLine(const char* symbols, std::size_t available, std::size_t count,
                                  const DecodeTable& table, SixBitRules rules, std::uint8_t* out) noexcept {
    return decodeSixBitLineAt(activeSimdLevel(), symbols, available, count, table, rules, out);
}

}  // namespace kodra
