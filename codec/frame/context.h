// A context: everything one caller's decodes and encodes share. Each reentrant caller owns
// its own; the classic exports use the library's default one.
#pragma once

#include "frame/name_list.h"
#include "platform/platform.h"

#include <memory>
#include <string>

namespace kodra {

struct Context {
    platform::UserInterface ui;
    // DecodeFile's mode for the context's folder decodes (the classic exports pass their own).
    int mode = 3;
    // The ";"-separated output paths mode 1 takes, for the context's folder decodes.
    std::string names;
    // Heap copy of the name last given to SetEncodingApplication, or null.
    std::unique_ptr<char[]> applicationName;
    // Output names found by the last pre-scan.
    NameList decodeNames;
};

// The default context of the classic exports, built when the library is loaded and
// released when it is unloaded.
Context& defaultContext() noexcept;

}  // namespace kodra
