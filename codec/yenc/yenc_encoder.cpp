#include "yenc/yenc_encoder.h"

#include <array>

namespace kodra {
namespace {

// How an encoded character (byte + 42) is written.
enum class YencClass : std::uint8_t {
    plain,      // as it is
    critical,   // always escaped: NUL, LF, CR and "=" would break the data or the lines
    blank,      // TAB and space: escaped at the start or end of a line, where servers trim
    lineStart,  // ".": escaped at the start of a line, where NNTP would double it
};

constexpr std::array<YencClass, 256> makeClasses() {
    std::array<YencClass, 256> classes{};
    for (YencClass& c : classes) c = YencClass::plain;
    classes['\0'] = YencClass::critical;
    classes['\n'] = YencClass::critical;
    classes['\r'] = YencClass::critical;
    classes['='] = YencClass::critical;
    classes['\t'] = YencClass::blank;
    classes[' '] = YencClass::blank;
    classes['.'] = YencClass::lineStart;
    return classes;
}

constexpr std::array<YencClass, 256> kClasses = makeClasses();

constexpr int countClass(YencClass wanted) {
    int count = 0;
    for (YencClass c : kClasses) count += c == wanted ? 1 : 0;
    return count;
}

static_assert(countClass(YencClass::critical) == 4, "exactly NUL, LF, CR and = are always escaped");
static_assert(countClass(YencClass::blank) == 2 && kClasses['\t'] == YencClass::blank &&
                  kClasses[' '] == YencClass::blank,
              "TAB and space are escaped at line edges");
static_assert(countClass(YencClass::lineStart) == 1 && kClasses['.'] == YencClass::lineStart,
              "a dot is escaped at a line start");
// An escaped character must itself be safe anywhere on a line.
constexpr bool escapesArePlain() {
    for (int c = 0; c < 256; ++c)
        if (kClasses[static_cast<std::size_t>(c)] != YencClass::plain &&
            kClasses[static_cast<std::size_t>((c + 64) & 0xFF)] != YencClass::plain)
            return false;
    return true;
}
static_assert(escapesArePlain(), "the character after = is never critical");

// Writes one byte at the state's column; lastOfData tells that no byte follows it.
inline std::size_t put(YencEncodeState& state, std::uint8_t byte, bool lastOfData, char* out) noexcept {
    const auto c = static_cast<std::uint8_t>(byte + 42);
    const std::size_t column = state.column;
    bool escape;
    switch (kClasses[c]) {
        case YencClass::plain: escape = false; break;
        case YencClass::critical: escape = true; break;
        case YencClass::blank: escape = column == 0 || lastOfData || column + 1 >= state.lineLength; break;
        default: escape = column == 0; break;
    }
    std::size_t written;
    if (escape) {
        out[0] = '=';
        out[1] = static_cast<char>(static_cast<std::uint8_t>(c + 64));
        written = 2;
    } else {
        out[0] = static_cast<char>(c);
        written = 1;
    }
    state.column = column + written;
    if (state.column >= state.lineLength) {
        out[written++] = '\r';
        out[written++] = '\n';
        state.column = 0;
    }
    return written;
}

}  // namespace

std::size_t yencEncode(YencEncodeState& state, const std::uint8_t* in, std::size_t size, char* out) noexcept {
    if (size == 0) return 0;
    std::size_t w = 0;
    if (state.pending >= 0) w += put(state, static_cast<std::uint8_t>(state.pending), false, out);
    const std::size_t count = size - 1;  // the last byte is held back
    std::size_t i = 0;
    while (i < count) {
        // Inside a line, two characters short of its end, only the critical characters are
        // escaped and no line can end: the hot loop.
        std::size_t column = state.column;
        if (column > 0 && column + 2 < state.lineLength) {
            char* o = out + w;
            const char* const start = o;
            while (i < count && column + 2 < state.lineLength) {
                const auto c = static_cast<std::uint8_t>(in[i++] + 42);
                if (kClasses[c] == YencClass::critical) {
                    o[0] = '=';
                    o[1] = static_cast<char>(static_cast<std::uint8_t>(c + 64));
                    o += 2;
                    column += 2;
                } else {
                    *o++ = static_cast<char>(c);
                    ++column;
                }
            }
            state.column = column;
            w += static_cast<std::size_t>(o - start);
            continue;
        }
        w += put(state, in[i++], false, out + w);
    }
    state.pending = in[count];
    return w;
}

std::size_t yencFinish(YencEncodeState& state, char* out) noexcept {
    std::size_t w = 0;
    if (state.pending >= 0) w += put(state, static_cast<std::uint8_t>(state.pending), true, out);
    state.pending = -1;
    if (state.column > 0) {
        out[w++] = '\r';
        out[w++] = '\n';
        state.column = 0;
    }
    return w;
}

}  // namespace kodra
