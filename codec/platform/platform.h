// The operating-system services the codec needs, behind one interface.
// Each system has its own backend file(s) in this folder; nothing outside this
// folder knows which system it runs on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct KodraUserInterface;

namespace kodra::platform {

// ---- Paths ---------------------------------------------------------------

// Longest path the library builds, terminator included.
inline constexpr std::size_t kMaxPath = 260;

// Longest path the system's file functions accept, terminator excluded.
#ifdef _WIN32
inline constexpr std::size_t kSystemPathLimit = 259;  // MAX_PATH of the narrow-string functions
#else
inline constexpr std::size_t kSystemPathLimit = 4095;  // PATH_MAX
#endif

// The last directory separator of a file-system path, or null when it has none.
const char* lastPathSeparator(const char* path) noexcept;
char* lastPathSeparator(char* path) noexcept;

// ---- User interaction ----------------------------------------------------

enum class Buttons : int { ok = 0, yesNoCancel = 3, yesNo = 4 };
enum class Answer : int { ok = 1, cancel = 2, yes = 6, no = 7 };

// Installs a host's dialogs (copied); null restores the defaults.
void installUserInterface(const KodraUserInterface* userInterface) noexcept;

// The window that should own prompts started now, or null.
void* activeWindow() noexcept;

// Shows text with a caption and a button set; returns the user's answer.
Answer messageBox(void* owner, const char* text, const char* caption, Buttons buttons) noexcept;

// Lets the user choose a file to save to; path (size bytes) holds the proposal on entry and
// the choice on return. True when a name was chosen; false when cancelled or failed.
bool chooseSaveFile(void* owner, char* path, std::size_t size) noexcept;

// Reports progress of a long job to the host, when it asked for it.
void reportProgress(std::uint64_t done, std::uint64_t total) noexcept;

// Default dialogs of this system, used for every callback the host left empty.
Answer defaultMessageBox(const char* text, const char* caption, Buttons buttons) noexcept;
bool defaultChooseSaveFile(char* path, std::size_t size) noexcept;

// ---- Files ---------------------------------------------------------------

// True when anything (file, directory, link) exists under path, or when a wildcard
// pattern ("*", "?") in it matches anything.
bool pathExists(const char* pathOrPattern) noexcept;

// Lets an existing file be replaced (clears read-only protection). False on failure.
bool makeWritable(const char* path) noexcept;

bool deleteFile(const char* path) noexcept;

// Copies source to target, replacing a regular file at target (never a link or folder).
// False when either cannot be opened so, or a read, write or close failed.
bool copyFileReplacing(const char* source, const char* target) noexcept;

// Identity of an open file (device and inode on POSIX): two paths name the same file
// when their identities are equal.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

// The identity of an open stream. False when it cannot be told.
bool identifyOpenFile(std::FILE* file, FileIdentity& identity) noexcept;

// The size in bytes of an open file; 0 when it cannot be told.
std::uint64_t sizeOfOpenFile(std::FILE* file) noexcept;

// Opens path to receive a decoded file, in binary mode: creates it, or empties an existing
// regular file, making it writable through the opened handle first. Refuses (null) a
// symbolic link, dangling or not, anything but a regular file, and the file `keep` (when
// given); nothing is truncated before these checks.
std::FILE* openOutputFile(const char* path, const FileIdentity* keep) noexcept;

// Opens path for reading in binary mode when it is a regular file; null for anything else
// (a folder, a FIFO, a device), without waiting on it.
std::FILE* openInputFile(const char* path) noexcept;

// True when openOutputFile would accept path: nothing stands there, or a regular file
// that is not a link and not the file `keep` (when given). Creates and changes nothing.
bool isReplaceableOutput(const char* path, const FileIdentity* keep) noexcept;

// Creates a new file at path for reading and writing in binary mode, only readable by
// its owner. Null when anything (a file, a link, dangling or not) already stands there.
std::FILE* createNewFile(const char* path) noexcept;

// ---- Time ----------------------------------------------------------------

// A civil date and time, laid out like the system's eight 16-bit fields.
struct CivilTime {
    std::uint16_t year;
    std::uint16_t month;
    std::uint16_t dayOfWeek;
    std::uint16_t day;
    std::uint16_t hour;
    std::uint16_t minute;
    std::uint16_t second;
    std::uint16_t milliseconds;
};

// 100-nanosecond intervals since 1601-01-01 00:00 UTC.
using Ticks = std::int64_t;
inline constexpr Ticks kTicksPerSecond = 10'000'000;

// Converts a civil time (day of week ignored) to ticks. Fails unless year is 1601-30827,
// month 1-12, day within its month, hour < 24, minute and second < 60, milliseconds < 1000.
bool civilTimeToTicks(const CivilTime& time, Ticks& ticks) noexcept;

// Converts ticks (0 up to below 2^63) back to a civil time, day of week included.
bool ticksToCivilTime(Ticks ticks, CivilTime& time) noexcept;

// Shifts UTC ticks to the machine's local time under its time-zone rules.
bool utcTicksToLocal(Ticks utc, Ticks& local) noexcept;

}  // namespace kodra::platform
