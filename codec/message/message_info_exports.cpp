// GetMessageInfo, FreeMessageInfo and GetMessageHeaderField: thin entries into the header
// reader. The path is in the ANSI code page on Windows; the values are returned as read.
#include "kodra32.h"
#include "message/message_info.h"
#include "platform/classic_text.h"

#include <cstring>
#include <new>

namespace {

// The most of one field GetMessageInfo returns: far beyond any real header (mail servers
// refuse a whole header section of a few hundred KiB), small enough to bound memory.
constexpr std::size_t kMaxInfoField = std::size_t{1} << 20;

char** fieldsOf(MessageInfoRecord* record) noexcept {
    static_assert(sizeof(MessageInfoRecord) == kodra::kMessageFieldCount * sizeof(char*),
                  "the record is exactly its nine text pointers");
    return &record->received;
}

void freeRecord(MessageInfoRecord* record) noexcept {
    char** fields = fieldsOf(record);
    for (int i = 0; i < kodra::kMessageFieldCount; ++i) {
        delete[] fields[i];
        fields[i] = nullptr;
    }
}

// Fills the record with library-owned copies, each cut to its limit; on failure nothing
// stays allocated.
int fillRecord(const char* path, MessageInfoRecord* record, const kodra::FieldLimits& limits) noexcept {
    char** fields = fieldsOf(record);
    for (int i = 0; i < kodra::kMessageFieldCount; ++i) fields[i] = nullptr;
    if (!path) return 0;
    try {
        kodra::MessageHeaders headers;
        if (!kodra::readMessageHeaders(path, headers, limits)) return 0;
        for (int i = 0; i < kodra::kMessageFieldCount; ++i) {
            const auto& value = headers.fields[static_cast<std::size_t>(i)];
            if (!value) continue;
            fields[i] = new char[value->size() + 1];
            std::memcpy(fields[i], value->c_str(), value->size() + 1);
        }
        return 1;
    } catch (...) {
        freeRecord(record);
        return 0;
    }
}

}  // namespace

extern "C" KODRA_API int KODRA_CALL GetMessageInfo(const char* path, MessageInfoRecord* record) {
    // A path that cannot be converted is refused as a null one is.
    const kodra::platform::Utf8Argument utf8Path(path);
    return record ? fillRecord(utf8Path.get(), record, kodra::FieldLimits::all(kMaxInfoField)) : 0;
}

extern "C" KODRA_API void KODRA_CALL FreeMessageInfo(MessageInfoRecord* record) {
    if (record) freeRecord(record);
}

extern "C" KODRA_API int KODRA_CALL GetMessageHeaderField(const char* path, char* buffer, int length,
                                                          unsigned int selector) {
    if (length < 2 || !buffer) return 0;
    const auto size = static_cast<std::size_t>(length);
    // Only what the buffer can hold of the chosen field is kept.
    kodra::FieldLimits limits;
    if (selector < kodra::kMessageFieldCount) limits.characters[selector] = size - 1;
    MessageInfoRecord record;
    const kodra::platform::Utf8Argument utf8Path(path);
    if (!fillRecord(utf8Path.get(), &record, limits)) return 0;
    buffer[0] = '\0';
    const char* value = selector < kodra::kMessageFieldCount ? fieldsOf(&record)[selector] : nullptr;
    if (value) std::strncpy(buffer, value, size);  // pads a shorter value with NULs
    buffer[size - 1] = '\0';
    freeRecord(&record);
    return 1;
}
