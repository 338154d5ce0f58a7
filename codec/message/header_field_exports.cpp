// KodraGetHeaderField: a thin entry into the header field lookup.
#include "frame/line_source.h"
#include "frame/stdio_file.h"
#include "kodra32.h"
#include "message/header_field.h"
#include "message/message_info.h"
#include "platform/platform.h"

#include <climits>
#include <cstring>
#include <optional>
#include <string>

namespace {

// How many bytes of value fit in room bytes without cutting a UTF-8 character.
std::size_t wholeCharacters(const std::string& value, std::size_t room) noexcept {
    if (value.size() <= room) return value.size();
    std::size_t cut = room;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}

int headerField(const char* path, const char* fieldName, char* buffer, size_t size) noexcept {
    try {
        if (!kodra::isFieldName(fieldName)) return -1;
        kodra::StdioFile file(kodra::platform::openInputFile(path));
        if (!file) return -1;
        kodra::LineSource source(file.get(), kodra::LineSourceOptions{kodra::kMaxHeaderLine, kodra::kDefaultReadSize});
        const std::optional<std::string> value = kodra::readHeaderFieldUtf8(source, fieldName);
        if (source.failed()) return -1;
        if (!value) return KODRA_NO_SUCH_FIELD;
        if (value->size() > INT_MAX) return -1;
        if (size > 0) {
            const std::size_t kept = wholeCharacters(*value, size - 1);
            std::memcpy(buffer, value->data(), kept);
            buffer[kept] = '\0';
        }
        return static_cast<int>(value->size());
    } catch (...) {
        return -1;
    }
}

}  // namespace

extern "C" KODRA_API int KODRA_CALL KodraGetHeaderField(KodraContext* context, const char* path,
                                                        const char* fieldName, char* buffer, size_t size) {
    if (!context || !path || !fieldName || (!buffer && size > 0)) return -1;
    return headerField(path, fieldName, buffer, size);
}
