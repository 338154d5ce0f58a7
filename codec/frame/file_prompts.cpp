// The two file questions of the decoder: does a file exist, and where else to save it.
#include "frame/file_names.h"
#include "frame/line_reader.h"
#include "frame/context.h"
#include "platform/platform.h"

namespace kodra {

int chooseSaveFile(char* path) noexcept {
    return defaultContext().ui.chooseSaveFile(defaultContext().ui.activeWindow(), path, kMaxLineLength + 1) ? 1 : 0;
}

int fileExists(const char* path) noexcept { return platform::pathExists(path) ? 1 : 0; }

}  // namespace kodra
