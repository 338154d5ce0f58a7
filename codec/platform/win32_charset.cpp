// Charset conversion through the Windows code pages.
#include "platform/platform.h"

#include <windows.h>

#include <climits>
#include <string>

namespace kodra::platform {
namespace {

struct CodePageName {
    const char* name;  // lower case
    UINT codePage;
};

// MIME charset names (and the usual aliases the caller has not folded) to code pages.
constexpr CodePageName kCodePages[] = {
    {"utf-8", 65001},        {"us-ascii", 20127},       {"ascii", 20127},         {"iso-8859-1", 28591},
    {"latin1", 28591},       {"iso-8859-2", 28592},     {"iso-8859-3", 28593},    {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},   {"iso-8859-6", 28596},     {"iso-8859-7", 28597},    {"iso-8859-8", 28598},
    {"iso-8859-9", 28599},   {"iso-8859-10", 28600},    {"iso-8859-11", 874},     {"iso-8859-13", 28603},
    {"iso-8859-14", 28604},  {"iso-8859-15", 28605},    {"iso-8859-16", 28606},   {"windows-1250", 1250},
    {"windows-1251", 1251},  {"windows-1252", 1252},    {"windows-1253", 1253},   {"windows-1254", 1254},
    {"windows-1255", 1255},  {"windows-1256", 1256},    {"windows-1257", 1257},   {"windows-1258", 1258},
    {"windows-874", 874},    {"cp1250", 1250},          {"cp1251", 1251},         {"cp1252", 1252},
    {"cp850", 850},          {"ibm850", 850},           {"cp437", 437},           {"ibm437", 437},
    {"cp866", 866},          {"ibm866", 866},           {"koi8-r", 20866},        {"koi8-u", 21866},
    {"euc-kr", 51949},       {"cp949", 949},            {"uhc", 949},             {"gb2312", 936},
    {"gbk", 936},            {"cp936", 936},            {"gb18030", 54936},       {"big5", 950},
    {"cp950", 950},          {"big5-hkscs", 950},       {"shift_jis", 932},       {"cp932", 932},
    {"euc-jp", 20932},       {"iso-2022-jp", 50220},    {"iso-2022-kr", 50225},   {"hz-gb-2312", 52936},
    {"tis-620", 874},        {"macintosh", 10000},      {"utf-7", 65000},         {"utf-16le", 1200},
    {"utf-16be", 1201},
};

bool equalNoCase(const char* a, const char* lower) noexcept {
    for (; *a && *lower; ++a, ++lower) {
        const char c = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        if (c != *lower) return false;
    }
    return *a == *lower;
}

UINT codePageOf(const char* name) noexcept {
    for (const CodePageName& entry : kCodePages) {
        if (!equalNoCase(name, entry.name)) continue;
        // Systems without the EUC-KR page still read it through CP949, its superset.
        if (entry.codePage == 51949 && !IsValidCodePage(51949)) return 949;
        return entry.codePage;
    }
    return 0;
}

// UTF-16 from code page 1200/1201 as wide characters (MultiByteToWideChar does not take them).
std::wstring fromUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring wide;
    wide.reserve(bytes.size() / 2 + 1);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<unsigned char>(bytes[i]);
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        wide.push_back(static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
    if (bytes.size() % 2) wide.push_back(L'\xFFFD');
    return wide;
}

// ISO-2022-JP (RFC 1468) rewritten as EUC-JP, for systems without code page 50220: the
// escape sequences choose a set, whose 7-bit bytes EUC-JP spells with the high bit set
// (JIS X 0208 alone, half-width katakana after 0x8E, JIS X 0212 after 0x8F).
std::string iso2022JpAsEucJp(std::string_view bytes) {
    enum class Set { ascii, jis0208, katakana, jis0212 } set = Set::ascii;
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::string_view rest = bytes.substr(i);
        if (rest[0] == '\x1B') {
            struct Escape {
                std::string_view text;
                Set set;
            };
            static constexpr Escape kEscapes[] = {{"\x1B(B", Set::ascii},    {"\x1B(J", Set::ascii},
                                                  {"\x1B$@", Set::jis0208},  {"\x1B$B", Set::jis0208},
                                                  {"\x1B(I", Set::katakana}, {"\x1B$(D", Set::jis0212}};
            bool known = false;
            for (const Escape& escape : kEscapes) {
                if (rest.substr(0, escape.text.size()) != escape.text) continue;
                set = escape.set;
                i += escape.text.size();
                known = true;
                break;
            }
            if (!known) out.push_back(bytes[i++]);  // left for the conversion to reject
            continue;
        }
        const auto byte = static_cast<unsigned char>(rest[0]);
        const bool graphic = byte >= 0x21 && byte <= 0x7E;
        if (set == Set::ascii || !graphic || byte == '\r' || byte == '\n') {
            out.push_back(rest[0]);
            ++i;
        } else if (set == Set::katakana) {
            out.push_back('\x8E');
            out.push_back(static_cast<char>(byte | 0x80));
            ++i;
        } else {
            if (set == Set::jis0212) out.push_back('\x8F');
            out.push_back(static_cast<char>(byte | 0x80));
            if (rest.size() > 1) out.push_back(static_cast<char>(static_cast<unsigned char>(rest[1]) | 0x80));
            i += 2;
        }
    }
    return out;
}

}  // namespace

bool convertToUtf8(const char* name, std::string_view bytes, std::string& out) {
    UINT codePage = codePageOf(name);
    std::string rewritten;
    if (codePage == 50220 && !IsValidCodePage(50220) && IsValidCodePage(20932)) {
        rewritten = iso2022JpAsEucJp(bytes);
        bytes = rewritten;
        codePage = 20932;
    }
    const bool utf16 = codePage == 1200 || codePage == 1201;
    if (codePage == 0 || (!utf16 && !IsValidCodePage(codePage))) return false;
    if (bytes.empty()) return true;
    if (bytes.size() > INT_MAX / 2) return false;
    std::wstring wide;
    if (utf16) {
        wide = fromUtf16(bytes, codePage == 1201);
    } else {
        // Without MB_ERR_INVALID_CHARS an invalid sequence becomes U+FFFD (or the code
        // page's default character) instead of failing the whole text; the ISO-2022 and
        // UTF-7 pages take no flags anyway.
        const int input = static_cast<int>(bytes.size());
        const int length = MultiByteToWideChar(codePage, 0, bytes.data(), input, nullptr, 0);
        if (length <= 0) return false;
        wide.resize(static_cast<std::size_t>(length));
        if (MultiByteToWideChar(codePage, 0, bytes.data(), input, &wide[0], length) != length) return false;
    }
    if (wide.empty()) return true;
    const int wideLength = static_cast<int>(wide.size());
    // A lone surrogate becomes U+FFFD here.
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(size));
    if (WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &out[start], size, nullptr, nullptr) != size) {
        out.resize(start);
        return false;
    }
    return true;
}

}  // namespace kodra::platform
