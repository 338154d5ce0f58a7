#include "frame/file_names.h"

#include "platform/platform.h"

#include <cstring>

namespace kodra {

void makeSafeFileName(char* path) noexcept {
    char* separator = platform::lastPathSeparator(path);
    if (!separator) {
        std::memcpy(path, "doc1.doc", sizeof "doc1.doc");
        return;
    }
    for (char* c = separator + 1; *c; ++c) {
        if (std::strchr("/\\|:*\"<>?", *c) || (*c == ' ' && c[1] == '.')) *c = '_';
    }
}

}  // namespace kodra
