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

// Encodes size bytes as type 1, 2, 4, 5 or 6 (yEnc lines, no control lines) into output,
// which has room bytes; needs encodedBufferRoom(size, type). Returns the bytes written (type
// 5: before its zero byte), or -1 for another type, a null pointer or too little room.
long long encodeBufferSized(const void* input, std::size_t size, void* output, std::size_t room,
                            int type) noexcept;

// Decodes size characters of type 1, 2, 4, 5 or 6 into output, which has room bytes; needs
// decodedBufferRoom(size, type). Returns the bytes decoded, or -1 as encodeBufferSized.
long long decodeBufferSized(const void* input, std::size_t size, void* output, std::size_t room,
                            int type) noexcept;

// The room those two need for size input bytes (the largest size_t when no room is enough),
// or 0 for another type.
std::size_t encodedBufferRoom(std::size_t size, int type) noexcept;
std::size_t decodedBufferRoom(std::size_t size, int type) noexcept;

// Decodes a NUL-terminated Base64 text (RFC 2045, 6.8) in place and terminates it
// after the decoded bytes. Returns the decoded length.
int decodeBase64Text(char* text) noexcept;

}  // namespace kodra
