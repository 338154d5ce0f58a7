#include "yenc/yenc_lines.h"

#include <limits>

namespace kodra {
namespace {

constexpr bool isBlank(char c) noexcept { return c == ' ' || c == '\t'; }

constexpr char lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameKey(std::string_view key, std::string_view want) noexcept {
    if (key.size() != want.size()) return false;
    for (std::size_t k = 0; k < key.size(); ++k)
        if (lower(key[k]) != want[k]) return false;
    return true;
}

// A decimal count: digits only, within long long; anything else (a sign, other
// characters, overflow, nothing) leaves the field unset.
std::optional<long long> decimalField(std::string_view text) noexcept {
    if (text.empty()) return std::nullopt;
    constexpr long long most = std::numeric_limits<long long>::max();
    long long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value > (most - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

int hexDigit(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    c = lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A CRC in hex, with or without "0x" and leading zeros; unset unless it fits 32 bits.
std::optional<std::uint32_t> hexField(std::string_view text) noexcept {
    if (text.size() > 2 && text[0] == '0' && lower(text[1]) == 'x') text.remove_prefix(2);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const char c : text) {
        const int digit = hexDigit(c);
        if (digit < 0) return std::nullopt;
        value = value << 4 | static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

// The kind a line's keyword names, when the keyword stands alone before a blank or the end.
std::optional<YencLineKind> kindOf(std::string_view line, std::size_t& after) noexcept {
    struct Keyword {
        std::string_view text;
        YencLineKind kind;
    };
    static constexpr Keyword keywords[] = {
        {"=ybegin", YencLineKind::begin}, {"=ypart", YencLineKind::part}, {"=yend", YencLineKind::end}};
    for (const Keyword& keyword : keywords) {
        if (line.substr(0, keyword.text.size()) != keyword.text) continue;
        if (line.size() > keyword.text.size() && !isBlank(line[keyword.text.size()])) continue;
        after = keyword.text.size();
        return keyword.kind;
    }
    return std::nullopt;
}

std::string_view trimEnd(std::string_view text) noexcept {
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

std::optional<YencLine> parseYencLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
    std::size_t at = 0;
    const std::optional<YencLineKind> kind = kindOf(line, at);
    if (!kind) return std::nullopt;
    YencLine result;
    result.kind = *kind;
    while (at < line.size()) {
        while (at < line.size() && isBlank(line[at])) ++at;
        const std::size_t keyStart = at;
        while (at < line.size() && line[at] != '=' && !isBlank(line[at])) ++at;
        if (at >= line.size() || line[at] != '=') continue;  // a word without a value
        const std::string_view key = line.substr(keyStart, at - keyStart);
        ++at;
        if (sameKey(key, "name")) {
            result.name = std::string(trimEnd(line.substr(at)));
            break;
        }
        const std::size_t valueStart = at;
        while (at < line.size() && !isBlank(line[at])) ++at;
        const std::string_view value = trimEnd(line.substr(valueStart, at - valueStart));
        if (sameKey(key, "line")) result.line = decimalField(value);
        else if (sameKey(key, "size")) result.size = decimalField(value);
        else if (sameKey(key, "part")) result.part = decimalField(value);
        else if (sameKey(key, "total")) result.total = decimalField(value);
        else if (sameKey(key, "begin")) result.begin = decimalField(value);
        else if (sameKey(key, "end")) result.end = decimalField(value);
        else if (sameKey(key, "pcrc32")) result.pcrc32 = hexField(value);
        else if (sameKey(key, "crc32")) result.crc32 = hexField(value);
    }
    return result;
}

}  // namespace kodra
