#include "frame/file_name_limit.h"

namespace kodra {

std::size_t fileNameTailStart(std::string_view name, std::size_t limit) noexcept {
    if (name.size() <= limit) return 0;
    std::size_t start = name.size() - limit;
    // A UTF-8 character has at most three continuation bytes; other bytes are not skipped
    // past them, so a name in a single-byte charset loses at most three more.
    for (int skipped = 0; skipped < 3 && start < name.size(); ++skipped) {
        if ((static_cast<unsigned char>(name[start]) & 0xC0) != 0x80) break;
        ++start;
    }
    return start;
}

void limitFileName(std::string& name, std::size_t limit) {
    const std::size_t start = fileNameTailStart(name, limit);
    if (start > 0) name.erase(0, start);
}

}  // namespace kodra
