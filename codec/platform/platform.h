// The operating-system services the codec needs, behind one interface.
// Each system has its own backend file(s) in this folder; nothing outside this
// folder knows which system it runs on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "kodra32.h"

namespace kodra::platform {

// ---- Paths ---------------------------------------------------------------

// Longest path the library builds, terminator included.
inline constexpr std::size_t kMaxPath = 260;

// Longest path the system's file functions accept, terminator excluded. Paths are UTF-8
// inside the library on every system; on Windows this counts their bytes, never fewer
// than the UTF-16 units MAX_PATH counts.
#ifdef _WIN32
inline constexpr std::size_t kSystemPathLimit = 259;  // MAX_PATH of the file functions
#else
inline constexpr std::size_t kSystemPathLimit = 4095;  // PATH_MAX
#endif

// The last directory separator of a file-system path, or null when it has none.
const char* lastPathSeparator(const char* path) noexcept;
char* lastPathSeparator(char* path) noexcept;

// ---- Text of the classic exports ------------------------------------------
// Every path and name inside the library is UTF-8. The classic exports and the host's
// user-interface callbacks take and give the system's ANSI code page on Windows (the one
// its narrow file functions use); on POSIX they take UTF-8 too.

// True when the classic exports' text is UTF-8 already, so that converting it changes nothing.
#ifdef _WIN32
inline constexpr bool kClassicTextIsUtf8 = false;
#else
inline constexpr bool kClassicTextIsUtf8 = true;
#endif

// ansi (ANSI code page text) as UTF-8 in utf8. False when it is no valid text of that code
// page or memory is short. The identity on POSIX.
bool ansiToUtf8(std::string_view ansi, std::string& utf8) noexcept;

// utf8 in the ANSI code page, in ansi: a character the code page cannot spell, and a byte
// that begins no UTF-8 sequence, becomes "_" (never "?", which no file name may hold; no
// look-alike is substituted). False only when memory is short. The identity on POSIX.
bool utf8ToAnsi(std::string_view utf8, std::string& ansi) noexcept;

// ---- Text files ------------------------------------------------------------

// Whether the text sections a decode writes end their lines in CR LF, as this system's
// text files do, rather than keep the message's own line ends.
#ifdef _WIN32
inline constexpr bool kTextInCrLf = true;
#else
inline constexpr bool kTextInCrLf = false;
#endif

// ---- User interaction ----------------------------------------------------

enum class Buttons : int { ok = 0, yesNoCancel = 3, yesNo = 4 };
enum class Answer : int { ok = 1, cancel = 2, yes = 6, no = 7 };

// A host's dialogs (copied), falling back to this system's defaults for every member the
// host left empty. Texts and paths are UTF-8 here; the host's callbacks get and give them
// in the ANSI code page on Windows. Each context holds one; it is a plain value, safe to use from the
// thread that owns its context.
class UserInterface {
public:
    // Installs a host's dialogs; null restores the defaults.
    void install(const KodraUserInterface* userInterface) noexcept;

    // The window that should own prompts started now, or null.
    void* activeWindow() const noexcept;

    // Shows text with a caption and a button set; returns the user's answer.
    Answer messageBox(void* owner, const char* text, const char* caption, Buttons buttons) const noexcept;

    // Lets the user choose a file to save to; path (size bytes) holds the proposal on entry
    // and the choice on return. True when a name was chosen; false when cancelled or failed.
    bool chooseSaveFile(void* owner, char* path, std::size_t size) const noexcept;

    // Reports progress of a long job to the host, when it asked for it.
    void reportProgress(std::uint64_t done, std::uint64_t total) const noexcept;

private:
    KodraUserInterface hooks_{};
};

// Default dialogs of this system, used for every callback the host left empty.
Answer defaultMessageBox(const char* text, const char* caption, Buttons buttons) noexcept;
bool defaultChooseSaveFile(char* path, std::size_t size) noexcept;

// ---- Files ---------------------------------------------------------------
// Every file the library or the command touches is reached through these services. Paths
// are UTF-8 (on Windows they reach the wide-character functions; one that is not UTF-8
// names nothing there and every service fails on it).
// Inputs are regular files only, opened without blocking on FIFOs or devices; outputs
// are created or opened without following a link, only as regular files, compared with
// the inputs of the same job, and never emptied before every check passed.

// True when anything (file, folder, link, dangling or not) stands at exactly this path.
// The path is taken literally: "*", "?" and "[" are ordinary characters.
bool pathExists(const char* path) noexcept;

// Lets an existing file be replaced (clears read-only protection). False on failure.
bool makeWritable(const char* path) noexcept;

bool deleteFile(const char* path) noexcept;

// Copies source to target, replacing a regular file at target (never a link or folder).
// False when either cannot be opened so, or a read, write or close failed.
bool copyFileReplacing(const char* source, const char* target) noexcept;

// Identity of a file (device and inode on POSIX, volume and file index on Windows): two
// paths name the same file when their identities are equal.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
};

inline bool operator==(const FileIdentity& a, const FileIdentity& b) noexcept {
    return a.device == b.device && a.inode == b.inode;
}
inline bool operator!=(const FileIdentity& a, const FileIdentity& b) noexcept { return !(a == b); }

// The files a job reads: none of them may be opened as one of its outputs.
struct ProtectedFiles {
    const FileIdentity* identities = nullptr;
    std::size_t count = 0;

    bool contains(const FileIdentity& identity) const noexcept {
        for (std::size_t i = 0; i < count; ++i)
            if (identities[i] == identity) return true;
        return false;
    }
};

// What stands at a path itself (a final link is not followed).
enum class PathKind { missing, regularFile, folder, symbolicLink, other };

struct PathInfo {
    PathKind kind = PathKind::missing;
    std::uint64_t size = 0;     // regular files only
    FileIdentity identity{};    // everything but missing
};

// Describes what stands at path without following a final link. False when that cannot be
// told (no permission to look, a name too long); a path where nothing stands is true with
// kind missing.
bool inspectPath(const char* path, PathInfo& info) noexcept;

// The identity of an open stream. False when it cannot be told.
bool identifyOpenFile(std::FILE* file, FileIdentity& identity) noexcept;

// The size in bytes of an open file; 0 when it cannot be told.
std::uint64_t sizeOfOpenFile(std::FILE* file) noexcept;

// Sets the length of a file open for writing (through its handle, never its name), after
// flushing the stream. False on failure.
bool resizeOpenFile(std::FILE* file, std::uint64_t size) noexcept;

// Opens path for reading in binary mode when it is a regular file; null for anything else
// (a folder, a FIFO, a device), without waiting on it. Links are followed: an input may be
// reached through one. identity, when given, receives the opened file's identity.
std::FILE* openInputFile(const char* path, FileIdentity* identity = nullptr) noexcept;

// Moves an input opened by openInputFile to byte offset from its start (for reading a
// range of it). False on failure.
bool seekInputFile(std::FILE* file, std::uint64_t offset) noexcept;

// The process's standard input, switched to binary mode where the system has text mode:
// read as it comes (a pipe, a terminal or a file), never opened or closed by the library.
std::FILE* standardInput() noexcept;

// How an output is opened.
enum class OutputMode {
    replace,    // created, or an existing regular file emptied
    append,     // created, or written after the end of an existing regular file
    createNew,  // created; refused when anything stands at the path
};

// An opened output: the stream (null when refused), whether this call created the file,
// and its identity.
struct OutputFile {
    std::FILE* file = nullptr;
    bool created = false;
    FileIdentity identity{};
};

// Opens path as an output in binary mode. Refuses a symbolic link (dangling or not) at the
// path, anything but a regular file, and every file in `inputs`; an existing read-only file
// is made writable through the opened handle. Nothing is emptied before these checks.
OutputFile openOutput(const char* path, OutputMode mode, ProtectedFiles inputs = {}) noexcept;

// Shorthand for openOutput(path, replace, {keep}) that returns only the stream.
std::FILE* openOutputFile(const char* path, const FileIdentity* keep) noexcept;

// True when openOutput(path, replace, inputs) would accept path: nothing stands there, or a
// regular file that is not a link and not one of the inputs. Creates and changes nothing.
bool isReplaceableOutput(const char* path, ProtectedFiles inputs) noexcept;
inline bool isReplaceableOutput(const char* path, const FileIdentity* keep) noexcept {
    return isReplaceableOutput(path, ProtectedFiles{keep, keep ? 1u : 0u});
}

// Creates a new file at path for reading and writing in binary mode, only readable by
// its owner. Null when anything (a file, a link, dangling or not) already stands there.
std::FILE* createNewFile(const char* path) noexcept;

// Removes the file at path when it is still the regular file `identity` that the caller
// created (or read and was asked to remove); anything else standing there now is left
// alone. False when nothing was removed.
bool deleteCreatedFile(const char* path, const FileIdentity& identity) noexcept;

// Gives the file at from the name to, in the same folder tree; false, with nothing changed,
// when anything (a link included) already stands at to or the move failed.
bool renameWithoutReplacing(const char* from, const char* to) noexcept;
// What moveCreatedFile did.
enum class MoveResult { moved, targetTaken, failed };

// Gives the regular file at `from` the name `to` when it is still the file `identity`
// (nothing swapped in is moved) and nothing at all stands at `to`: an existing file or
// link there is never replaced or followed (targetTaken).
MoveResult moveCreatedFile(const char* from, const char* to, const FileIdentity& identity) noexcept;

// ---- Folders -------------------------------------------------------------

// Creates the folder path and its missing parents (as mkdir -p); true when path is a
// folder afterwards (an existing one included).
bool makeFolders(const char* path) noexcept;

// True when files may be created in the folder at path.
bool canWriteInFolder(const char* path) noexcept;

// Creates a new, empty folder only its owner may enter, named by `pattern` whose last six
// characters are "XXXXXX" (replaced on success). False on failure.
bool createPrivateFolder(char* pattern) noexcept;

// Removes an empty folder. False when it is not empty or cannot be removed.
bool removeEmptyFolder(const char* path) noexcept;

// The process's current folder, with no trailing separator (but for the root). False when
// it does not fit in size bytes or cannot be told.
bool currentFolder(char* path, std::size_t size) noexcept;

// Calls visit(context, name) with the name of every entry of the folder at path ("." and
// ".." left out), in no set order. False when the folder cannot be read, or when an entry
// was left out because its name has no UTF-8 form (Windows: an unpaired surrogate).
bool listFolder(const char* path, void (*visit)(void* context, const char* name), void* context) noexcept;

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

// When what stands at path (a final link itself, not its target) was last modified, in
// UTC ticks. False when nothing stands there or it cannot be told.
bool lastModified(const char* path, Ticks& ticks) noexcept;

// ---- Character sets ------------------------------------------------------

// Appends bytes, written in the system's charset `name` (a plain ASCII name, no options),
// to out as UTF-8; each invalid or incomplete sequence becomes U+FFFD. False, with out
// unchanged, when the system does not know the charset. Safe on any thread. May throw
// std::bad_alloc.
bool convertToUtf8(const char* name, std::string_view bytes, std::string& out);

}  // namespace kodra::platform
