// The classic exports' text on POSIX is UTF-8 already: both conversions copy it unchanged.
#include "platform.h"

namespace kodra::platform {

bool ansiToUtf8(std::string_view ansi, std::string& utf8) noexcept {
    try {
        utf8.assign(ansi);
    } catch (...) {
        return false;
    }
    return true;
}

bool utf8ToAnsi(std::string_view utf8, std::string& ansi) noexcept {
    try {
        ansi.assign(utf8);
    } catch (...) {
        return false;
    }
    return true;
}

}  // namespace kodra::platform
