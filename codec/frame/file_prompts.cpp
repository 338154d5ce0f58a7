// Whether a file exists, taken literally.
#include "frame/file_names.h"
#include "platform/platform.h"

namespace kodra {

int fileExists(const char* path) noexcept { return platform::pathExists(path) ? 1 : 0; }

}  // namespace kodra
