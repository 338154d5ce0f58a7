// Encoding and decoding of memory buffers, the cores behind EncodeBuffer and DecodeBuffer.
#pragma once

#include <cstddef>

namespace kodra {

// Encodes `length` bytes as type 1, 2, 4 or 5 into output (room as the public header
// states). Returns the bytes written, or 0 for a bad type or argument, or when the
// result would not fit an int; nothing is written then.
int encodeBuffer(const char* input, char* output, int length, int type) noexcept;

// Decodes `length` characters of type 1, 2, 4 or 5 into output, reading no byte past
// input[length - 1] and writing none past the room the public header states. Every
// byte counted in the result has been written. Returns 0 for a bad type or argument.
int decodeBuffer(const char* input, char* output, int length, int type) noexcept;

// Decodes a NUL-terminated Base64 text (RFC 2045, 6.8) in place and terminates it
// after the decoded bytes. Returns the decoded length.
int decodeBase64Text(char* text) noexcept;

}  // namespace kodra
