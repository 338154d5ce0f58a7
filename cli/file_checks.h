// Path handling and the checks that turn bad input into clear messages before the
// library is called. Every file is reached through the platform's file services.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace kodra::cli {

// Longest path the library accepts, terminator excluded.
inline constexpr std::size_t kMaxPathLength = 259;

// Prints "kodra: <subject>: <cause>" on standard error, control characters made visible.
void reportError(const std::string& subject, const std::string& cause);

// The absolute form of path, with "." components and repeated separators dropped ("..",
// which a link may make mean something else, stays). The library finds an output's
// folder from the input path, so it always gets absolute paths.
std::string absolutePath(const std::string& path);

// What the command learns about an input when it opens it.
struct InputFacts {
    platform::FileIdentity identity{};
    std::uint64_t size = 0;
};

// True when path opens as a readable regular file (without waiting on a FIFO or device);
// otherwise reports why not. facts, when given, receives the opened file's identity and size.
bool checkReadableFile(const std::string& path, InputFacts* facts = nullptr);

// True when path fits the library's path limit; otherwise reports it.
bool checkPathLength(const std::string& path);

// True when folder is (or has now been made) a writable folder; otherwise reports why not.
bool prepareOutputFolder(const std::string& folder);

// Why openOutput refused path, for a message ("is a symbolic link", ...).
std::string outputRefusal(const std::string& path, platform::ProtectedFiles inputs, int openError);

// The folder part of an absolute path, with its trailing "/".
std::string folderOf(const std::string& path);

// The text after the last "/" or "\" of a name.
std::string lastComponent(const std::string& name);

}  // namespace kodra::cli
