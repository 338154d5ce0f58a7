#include "frame/charset_text.h"

#include "frame/utf8_text.h"
#include "platform/platform.h"

#include <cstdint>

namespace kodra {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::size_t kMaxCharsetName = 64;

struct Alias {
    std::string_view name;
    std::string_view canonical;
};

// Names mail programs write that the converters do not all know, or that stand for a
// larger charset in practice (GB2312 text uses GBK, Korean mail's ks_c_5601 is CP949).
constexpr Alias kAliases[] = {
    {"latin1", "iso-8859-1"},         {"l1", "iso-8859-1"},
    {"latin2", "iso-8859-2"},         {"l2", "iso-8859-2"},
    {"utf8", "utf-8"},                {"unicode-1-1-utf-8", "utf-8"},
    {"unicode-1-1-utf-7", "utf-7"},
    {"ascii", "us-ascii"},            {"us", "us-ascii"},
    {"ansi_x3.4-1968", "us-ascii"},   {"iso646-us", "us-ascii"},
    {"ks_c_5601-1987", "cp949"},      {"ks_c_5601-1989", "cp949"},
    {"ks_c_5601", "cp949"},           {"ksc5601", "cp949"},
    {"ksc_5601", "cp949"},            {"windows-949", "cp949"},
    {"x-windows-949", "cp949"},       {"x-sjis", "shift_jis"},
    {"shift-jis", "shift_jis"},       {"sjis", "shift_jis"},
    {"ms_kanji", "shift_jis"},        {"csshiftjis", "shift_jis"},
    {"windows-31j", "cp932"},         {"x-ms-cp932", "cp932"},
    {"x-euc-jp", "euc-jp"},           {"gb2312", "gbk"},
    {"gb_2312-80", "gbk"},            {"csgb2312", "gbk"},
    {"x-gbk", "gbk"},                 {"x-big5", "big5"},
    {"cn-big5", "big5"},              {"csbig5", "big5"},
    {"x-mac-roman", "macintosh"},     {"mac", "macintosh"},
    {"cp-1252", "windows-1252"},      {"x-cp1252", "windows-1252"},
};

char lowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isNameCharacter(char c) noexcept {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.' || c == ':' ||
           c == '+' || c == '(' || c == ')';
}

// "iso8859-2", "iso_8859-2", "iso8859_2" -> "iso-8859-2"; cp125N -> windows-125N.
std::string foldedSpelling(const std::string& name) {
    for (const std::string_view prefix : {"iso8859-", "iso_8859-", "iso8859_", "iso_8859_", "iso8859"}) {
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
            const std::string number = name.substr(prefix.size());
            if (number.find_first_not_of("0123456789") == std::string::npos) return "iso-8859-" + number;
        }
    }
    if (name.size() == 6 && name.compare(0, 5, "cp125") == 0 && name[5] >= '0' && name[5] <= '8')
        return "windows-" + name.substr(2);
    return name;
}

// Length of the well-formed UTF-8 sequence at text[at], or 0 when none begins there.
std::size_t utf8SequenceLength(std::string_view text, std::size_t at) noexcept {
    const std::size_t most = text.size() - at < 4 ? text.size() - at : 4;
    for (std::size_t length = 1; length <= most; ++length)
        if (isUtf8(text.substr(at, length))) return length;
    return 0;
}

// UTF-8 text with each byte that begins no well-formed sequence made U+FFFD.
std::string repairedUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = utf8SequenceLength(text, at);
        if (length == 0) {
            out.append(kReplacement);
            ++at;
        } else {
            out.append(text, at, length);
            at += length;
        }
    }
    return out;
}

// The text of a charset nobody can read: UTF-8 stays, else only its ASCII is kept.
std::string unknownCharsetText(std::string_view bytes) {
    if (isUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        if (static_cast<std::uint8_t>(c) < 0x80) out.push_back(c);
        else out.append(kReplacement);
    }
    return out;
}

}  // namespace

std::string canonicalCharsetName(std::string_view charset) {
    // RFC 2231, 5 (RFC 2184): a language may follow the charset after "*".
    charset = charset.substr(0, charset.find('*'));
    while (!charset.empty() && (charset.front() == ' ' || charset.front() == '\t' || charset.front() == '"'))
        charset.remove_prefix(1);
    while (!charset.empty() && (charset.back() == ' ' || charset.back() == '\t' || charset.back() == '"'))
        charset.remove_suffix(1);
    if (charset.empty() || charset.size() > kMaxCharsetName) return {};
    std::string name;
    name.reserve(charset.size());
    for (const char c : charset) {
        const char lower = lowerAscii(c);
        if (!isNameCharacter(lower)) return {};
        name.push_back(lower);
    }
    for (const Alias& alias : kAliases)
        if (name == alias.name) return std::string(alias.canonical);
    return foldedSpelling(name);
}

std::string charsetToUtf8(std::string_view charset, std::string_view bytes) {
    const std::string name = canonicalCharsetName(charset);
    if (name == "utf-8") return repairedUtf8(bytes);
    if (name.empty() || name == "us-ascii") return unknownCharsetText(bytes);
    std::string out;
    if (!platform::convertToUtf8(name.c_str(), bytes, out)) return unknownCharsetText(bytes);
    // A converter's output is checked too: nothing that is not UTF-8 leaves here.
    return isUtf8(out) ? out : repairedUtf8(out);
}

}  // namespace kodra
