// The application name that every encoded part carries.
#pragma once

namespace kodra {

// Written in place of an application name while none is set.
inline constexpr char kUnnamedApplication[] = "an unnamed application";

// Replaces the library's copy of the application name with a copy of name (null clears
// it). Returns the new copy, or null when name is null or the copy cannot be made; the
// old name stays in place in that last case.
const char* setApplicationName(const char* name) noexcept;

// The name last set, or kUnnamedApplication when there is none.
const char* applicationNameText() noexcept;

}  // namespace kodra
