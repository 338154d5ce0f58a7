// Path handling and the checks that turn bad input into clear messages before the
// library is called.
#pragma once

#include <string>

namespace kodra::cli {

// Longest path the library accepts, terminator excluded.
inline constexpr std::size_t kMaxPathLength = 259;

// Prints "kodra: <subject>: <cause>" on standard error.
void reportError(const std::string& subject, const std::string& cause);

// The absolute, lexically normalised form of path (the library finds an output's folder
// from the input path, so it always gets absolute paths).
std::string absolutePath(const std::string& path);

// True when path names a readable regular file; otherwise reports why not.
bool checkReadableFile(const std::string& path);

// True when path fits the library's path limit; otherwise reports it.
bool checkPathLength(const std::string& path);

// True when folder is (or has now been made) a writable directory; otherwise reports why not.
bool prepareOutputFolder(const std::string& folder);

// The folder part of an absolute path, with its trailing "/".
std::string folderOf(const std::string& path);

// The text after the last "/" or "\" of a name.
std::string lastComponent(const std::string& name);

}  // namespace kodra::cli
