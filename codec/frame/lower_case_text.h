// ASCII lower-casing of header text, for matching keywords in any case.
#pragma once

namespace kodra {

// Lower-cases the 26 ASCII letters of the NUL-terminated text in place; every other byte stays.
void lowerCaseText(char* text) noexcept;

}  // namespace kodra
