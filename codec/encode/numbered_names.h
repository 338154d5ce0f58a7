// Numbered families of files (report.txt, report1.txt, report2.txt, ...) and the jobs
// built on them: unique names, splitting and joining. Paths are changed in place and
// never grow past platform::kMaxPath bytes with their terminator.
#pragma once

#include <cstddef>

namespace kodra {

// Raises the decimal number just before the extension of namePart (the text from its
// last "."; the first 20 characters of it are kept) by one, or inserts 1 there when
// there is none: report9.txt -> report10.txt, report007.txt -> report8.txt, archive ->
// archive1. The number is raised as text, so it never wraps. room is the bytes
// available from namePart, terminator included; when the new name would not fit,
// namePart is left unchanged and the result is false.
bool nextNumberedName(char* namePart, std::size_t room) noexcept;

// nextNumberedName on the name part of path (the text after its last separator), the
// whole path kept within kMaxPath bytes.
bool nextNumberedPath(char* path) noexcept;

// Cleans path once (makeSafeFileName), then numbers its name until it names nothing
// that exists. Returns 0; or -1, with path emptied so that no existing file can be
// written through it, when no such name fits kMaxPath.
int getUniqueFileName(char* path) noexcept;

// Cuts the file at path into pieces of size bytes named by nextNumberedName (report.txt
// -> report1.txt, report2.txt, ...); the last piece is short, or empty when the length
// is a multiple of size. Returns 1 with path naming the last piece. Returns 0 when
// path names no readable regular file, size is below 1, a piece's name would not fit,
// a piece would be the source, an existing piece cannot be written or the copy buffer
// cannot be obtained (nothing is created or changed then, path included), or when a
// read, write or close fails (path then names the piece being written).
int splitFile(char* path, int size) noexcept;

// Appends the pieces that follow firstPath in its family (report1.txt <- report2.txt,
// report3.txt, ... up to the first missing one) to firstPath, deleting each piece once
// its whole content was appended and flushed when deleteFlag is non-zero. Returns 1
// with firstPath naming the first missing piece. Returns 0 when firstPath does not
// exist, a piece's name would not fit, a piece is the first file, a piece or the first
// file cannot be opened or the copy buffer cannot be obtained (nothing is changed then,
// path included), or when a read, write or close fails (path then names that piece).
int concatenateRelated(int deleteFlag, char* firstPath) noexcept;

}  // namespace kodra
