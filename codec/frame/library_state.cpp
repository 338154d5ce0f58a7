#include "frame/library_state.h"

namespace kodra {
namespace {

// A static object of the shared library: its constructor runs when the library is
// loaded and its destructor when it is unloaded (or at process exit).
LibraryState state;

}  // namespace

LibraryState& libraryState() noexcept { return state; }

}  // namespace kodra
