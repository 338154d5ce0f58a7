#include "frame/utf8_text.h"

#include <cstdint>

namespace kodra {

bool isUtf8(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<std::uint8_t>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        std::uint32_t low = 0x80, high = 0xBF;  // range of the first continuation byte
        if (lead >= 0xC2 && lead <= 0xDF) extra = 1;
        else if (lead == 0xE0) extra = 2, low = 0xA0;
        else if (lead == 0xED) extra = 2, high = 0x9F;
        else if (lead >= 0xE1 && lead <= 0xEF) extra = 2;
        else if (lead == 0xF0) extra = 3, low = 0x90;
        else if (lead == 0xF4) extra = 3, high = 0x8F;
        else if (lead >= 0xF1 && lead <= 0xF3) extra = 3;
        else return false;
        if (text.size() - i <= extra) return false;
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto next = static_cast<std::uint8_t>(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string utf8OrLatin1(std::string_view text) {
    if (isUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        if (byte < 0x80) {
            out.push_back(c);
        } else {
            out.push_back(static_cast<char>(0xC0 | byte >> 6));
            out.push_back(static_cast<char>(0x80 | (byte & 0x3F)));
        }
    }
    return out;
}

}  // namespace kodra
