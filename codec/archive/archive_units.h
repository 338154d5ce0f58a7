// Archives cut into units of work: an mbox file into ranges that begin at "From " lines, a
// Maildir or a folder into its message files. Units are listed in a stable order, so that
// the results of a run do not depend on how many workers share them.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kodra {

enum class ArchiveKind {
    mbox,           // one file of messages, each led by a "From " line
    maildir,        // a folder with cur/ and new/
    folder,         // a folder of message files, searched recursively
    message,        // one message file
    standardInput,  // "-": an mbox read from standard input
};

// One unit of work.
struct ArchiveUnit {
    std::size_t input = 0;       // index of the input it belongs to
    ArchiveKind kind = ArchiveKind::message;
    std::string path;            // the file to read (UTF-8)
    std::string file;            // Maildir and folders: the file's path relative to the input
    long long offset = 0;        // mbox: where the range begins (at a "From " line)
    long long size = 0;          // mbox: the range's length; files: the file's size
    std::string error;           // not empty: the unit could not be listed or read, and why
};

// What listing an input found.
struct ArchiveListing {
    ArchiveKind kind = ArchiveKind::message;
    std::vector<ArchiveUnit> units;
    long long bytes = 0;         // input bytes in all
    std::string error;           // not empty: the input itself could not be read, and why
};

// Lists the units of input (number inputIndex): mbox files cut into ranges of about
// chunkSize bytes at "From " lines (0: one range); Maildir files from cur/ then new/, and
// folder files recursively, names in byte order, hidden names and links left out (never
// followed); an entry that cannot be read is a unit with its error. Standard input is one
// unit the caller reads in turn.
ArchiveListing listArchiveUnits(const std::string& input, std::size_t inputIndex, std::size_t chunkSize);

// Reads a unit's bytes into bytes (an mbox range, or a whole message file); false with
// unit's reason in error when it cannot be read.
bool readArchiveUnit(const ArchiveUnit& unit, std::string& bytes, std::string& error);

// Reads standard input as an mbox in blocks of about chunkSize bytes, each beginning at a
// "From " line, and hands each with its offset to visit; false when reading failed.
bool readStandardInputMbox(std::size_t chunkSize,
                           const std::function<bool(long long offset, std::string_view block)>& visit);

// Cuts an mbox block (beginning at a "From " line that sits at baseOffset) into messages and
// hands each to visit: the offset of its "From " line and its text without that line, with
// quoted "From " lines unquoted (">From " becomes "From ", ">>From " becomes ">From ": the
// mboxrd reading, which also reads mboxo right except for lines that began ">From ").
// scratch holds unquoted copies. Text before the first "From " line is a message of its own.
void forEachMboxMessage(std::string_view block, long long baseOffset, std::string& scratch,
                        const std::function<void(long long offset, std::string_view message)>& visit);

}  // namespace kodra
