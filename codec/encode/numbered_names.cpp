#include "encode/numbered_names.h"

#include "frame/file_names.h"
#include "platform/platform.h"

#include <cstring>

namespace kodra {
namespace {

constexpr std::size_t kKeptExtension = 20;

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool nextNumberedName(char* namePart, std::size_t room) noexcept {
    const std::size_t nameLength = std::strlen(namePart);
    const char* dot = std::strrchr(namePart, '.');
    const std::size_t extensionStart = dot ? static_cast<std::size_t>(dot - namePart) : nameLength;
    std::size_t extensionLength = nameLength - extensionStart;
    if (extensionLength > kKeptExtension) extensionLength = kKeptExtension;

    std::size_t numberStart = extensionStart;
    while (numberStart > 0 && isDigit(namePart[numberStart - 1])) --numberStart;
    std::size_t firstSignificant = numberStart;  // leading zeros are dropped
    while (firstSignificant < extensionStart && namePart[firstSignificant] == '0') ++firstSignificant;
    const std::size_t digits = extensionStart - firstSignificant;

    // value + 1 gains a digit only when every digit is 9 (or there are none).
    bool allNines = true;
    for (std::size_t i = firstSignificant; i < extensionStart; ++i) allNines = allNines && namePart[i] == '9';
    const std::size_t newDigits = allNines ? digits + 1 : digits;
    const std::size_t newLength = numberStart + newDigits + extensionLength;
    if (newLength + 1 > room) return false;

    char extension[kKeptExtension];
    std::memcpy(extension, namePart + extensionStart, extensionLength);
    char* number = namePart + numberStart;
    std::memmove(number, namePart + firstSignificant, digits);
    if (allNines) {
        number[0] = '1';
        std::memset(number + 1, '0', digits);
    } else {
        std::size_t i = digits;
        while (number[i - 1] == '9') number[--i] = '0';
        ++number[i - 1];
    }
    std::memcpy(number + newDigits, extension, extensionLength);
    namePart[newLength] = '\0';
    return true;
}

bool nextNumberedPath(char* path) noexcept {
    char* separator = platform::lastPathSeparator(path);
    char* namePart = separator ? separator + 1 : path;
    const std::size_t offset = static_cast<std::size_t>(namePart - path);
    if (offset >= platform::kMaxPath) return false;
    return nextNumberedName(namePart, platform::kMaxPath - offset);
}

int getUniqueFileName(char* path) noexcept {
    if (!path) return 0;
    // Cleaning once is enough: cleaning again would undo the numbering of a bare name.
    makeSafeFileName(path);
    while (fileExists(path)) {
        if (!nextNumberedPath(path)) {
            path[0] = '\0';
            return -1;
        }
    }
    return 0;
}

}  // namespace kodra
