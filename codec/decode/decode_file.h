// The file decoding driver behind DecodeFile, and the pre-scan behind GetNumFilesToDecode.
#pragma once

#include "frame/stdio_file.h"
#include "platform/platform.h"

#include <cstddef>
#include <string>

namespace kodra {

// Modes of decodeFile.
enum DecodeMode : int {
    kAskEverything = 0,  // "Decode file" and overwrite questions, messages shown
    kGivenNames = 1,     // silent, output names taken from the ";"-separated list
    kAskOverwrite = 2,   // only the overwrite question
    kSilent = 3,         // no question, computed names (as every other value)
};

// Decodes every encoded section of the text file at path into files in the same
// folder, asking as mode says. Returns the type of the last section decoded (1 UU,
// 2 Base64, 3 BinHex, 4 XXencode, 5 text) or 0 when nothing was decoded.
int decodeFile(const char* path, const char* names, int mode) noexcept;

// Decodes every encoded section of the open text stream input (read from where it stands,
// closed at the end) silently into the file at target, taken literally as every output's
// path; none of `refused` is ever opened as the output. Returns as decodeFile.
int decodeStreamTo(StdioFile input, const char* target, platform::ProtectedFiles refused) noexcept;

// Builds the path of an output in the folder of inputPath from a name found in the
// content (already reduced to a bare name): the folder, then the name limited to the
// system's longest file name, made safe by makeSafeFileName. An input path without a
// folder gives the bare name made safe.
std::string outputPathFor(const char* inputPath, const char* name);

// Lists in the library's decode name list, by running a silent decode of path without
// writing, the default output path of every section that decode names, in order: one
// entry per name a mode-1 decode takes from its list, also where the default path would
// be refused (a link, a folder, the input). Returns their number, or 0 when the file
// cannot be opened (the list then keeps what it held). Linear in the sections.
int listFilesToDecode(const char* path) noexcept;

// Copies entry index of the decode name list into buffer; 1, or 0 when there is none.
int copyFileToDecode(char* buffer, int index) noexcept;

}  // namespace kodra
