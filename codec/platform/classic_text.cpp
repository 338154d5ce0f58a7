#include "platform/classic_text.h"

#include <cstring>

namespace kodra::platform {

Utf8Argument::Utf8Argument(const char* ansi) noexcept {
    if (!ansi) return;
    if constexpr (kClassicTextIsUtf8) {
        value_ = ansi;
    } else if (ansiToUtf8(ansi, text_)) {
        value_ = text_.c_str();
    } else {
        failed_ = true;
    }
}

Utf8PathBuffer::Utf8PathBuffer(char* ansi) noexcept : caller_(ansi) {
    if (!ansi) return;
    if constexpr (kClassicTextIsUtf8) {
        path_ = ansi;
        return;
    }
    const std::size_t length = std::strlen(ansi);
    callerRoom_ = length < kMaxPath ? kMaxPath : length + 1;
    try {
        if (!ansiToUtf8(ansi, utf8_)) {
            failed_ = true;
            return;
        }
        original_ = utf8_;
        // The library's own limits on the path stay in force: it sees every byte.
        utf8_.resize(utf8_.size() < kMaxPath ? kMaxPath : utf8_.size() + 1, '\0');
    } catch (...) {
        failed_ = true;
        return;
    }
    path_ = &utf8_[0];
}

void Utf8PathBuffer::handBack() noexcept {
    if (kClassicTextIsUtf8 || !path_ || std::strcmp(path_, original_.c_str()) == 0) return;
    // The code page never spells a path in more bytes than UTF-8 does, but a path that
    // could not be handed back whole must not be handed back cut: it is emptied.
    if (!handBackName(path_, caller_, callerRoom_)) caller_[0] = '\0';
}

bool handBackName(const char* utf8, char* buffer, std::size_t size) noexcept {
    if (!utf8 || !buffer) return false;
    std::string ansi;
    if (!utf8ToAnsi(utf8, ansi) || ansi.size() >= size) return false;
    std::memcpy(buffer, ansi.c_str(), ansi.size() + 1);
    return true;
}

}  // namespace kodra::platform
