#include "size_argument.h"

#include <climits>

namespace kodra::cli {

std::optional<int> parseSize(const std::string& text) {
    std::size_t digits = 0;
    unsigned long long value = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
        value = value * 10 + static_cast<unsigned long long>(text[digits] - '0');
        if (value > INT_MAX) return std::nullopt;
        ++digits;
    }
    if (digits == 0) return std::nullopt;
    const std::string suffix = text.substr(digits);
    unsigned long long unit = 1;
    if (suffix == "k" || suffix == "K") {
        unit = 1024;
    } else if (suffix == "m" || suffix == "M") {
        unit = 1024 * 1024;
    } else if (!suffix.empty()) {
        return std::nullopt;
    }
    value *= unit;
    if (value == 0 || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace kodra::cli
