// Copying a file over another through the safe open primitives, so that a link or a
// folder standing at the target is never written through.
#include "platform.h"

#include <cstdio>

namespace kodra::platform {

bool copyFileReplacing(const char* source, const char* target) noexcept {
    std::FILE* in = openInputFile(source);
    if (!in) return false;
    std::FILE* out = openOutputFile(target, nullptr);
    if (!out) {
        std::fclose(in);
        return false;
    }
    char chunk[16384];
    std::size_t got = 0;
    bool written = true;
    while (written && (got = std::fread(chunk, 1, sizeof chunk, in)) > 0)
        written = std::fwrite(chunk, 1, got, out) == got;
    written = written && !std::ferror(in);
    std::fclose(in);
    return std::fclose(out) == 0 && written;
}

}  // namespace kodra::platform
