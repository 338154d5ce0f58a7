// Line reading and the small file-name helpers every text-reading job shares.
#pragma once

#include <cstddef>
#include <cstdio>

namespace kodra {

// Size of every line buffer: at most 1023 characters plus a NUL, and room to spare.
inline constexpr std::size_t kLineBufferSize = 1025;
inline constexpr int kMaxLineLength = 1023;

// Reads one line of at most 1023 characters (fgets semantics: a longer line comes in
// pieces, a NUL ends the text) and removes one LF and then one CR from its end.
// While *redeliver is 0 nothing is read and the buffer's line is handed back again.
// Sets *redeliver to 1 when a line was produced, else 0. Returns the buffer, or null
// at the end of the input or on a read error.
char* readTextLine(int* redeliver, std::FILE* input, char* buffer) noexcept;

// readTextLine that also sets length to the line's strlen (0 when none was produced).
char* readTextLine(int* redeliver, std::FILE* input, char* buffer, std::size_t& length) noexcept;

// Lower-cases the 26 ASCII letters in place; every other byte stays.
void lowerCaseText(char* text) noexcept;

}  // namespace kodra
