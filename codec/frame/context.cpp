#include "frame/context.h"

namespace kodra {
namespace {

// A static object of the shared library: its constructor runs when the library is
// loaded and its destructor when it is unloaded (or at process exit).
Context state;

}  // namespace

Context& defaultContext() noexcept { return state; }

}  // namespace kodra
