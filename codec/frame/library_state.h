// Process-wide state of the library: the application name and the decode name list.
#pragma once

#include "frame/name_list.h"

#include <memory>

namespace kodra {

struct LibraryState {
    // Heap copy of the name last given to SetEncodingApplication, or null.
    std::unique_ptr<char[]> applicationName;
    // Output names found by the last pre-scan.
    NameList decodeNames;
};

// The one instance, built when the library is loaded and released when it is unloaded.
LibraryState& libraryState() noexcept;

}  // namespace kodra
