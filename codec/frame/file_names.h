// File-name helpers shared by every job that produces files.
#pragma once

#include <cstddef>

namespace kodra {

// Makes the last component of path safe to create: the characters / \ | : * " < > ?
// and a blank directly before a "." become "_". A path without any directory
// separator becomes "doc1.doc" (the buffer must hold at least 9 bytes).
void makeSafeFileName(char* path) noexcept;

// Reduces a file name taken from message content ("begin" lines, name= and filename=
// parameters, BinHex headers) to what follows its last "\" or "/", in place, so that it
// can never reach outside the output folder; ";" (the separator of DecodeFile's name
// list) and control characters (codes below 0x20 and 0x7F) become "_", so that a listed
// name round-trips through that list and never drives a terminal. "." and ".." become
// "_" and "_.". Returns false when nothing is left.
bool reduceToContentFileName(char* name) noexcept;

// 1 when anything exists under path (a wildcard pattern counts when it matches), else 0.
int fileExists(const char* path) noexcept;

}  // namespace kodra
