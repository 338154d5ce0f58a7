// The classic file decodes over the decode engine: DecodeFile, the pre-scan behind
// GetNumFilesToDecode, and the silent decode of an open stream.
#pragma once

#include "decode/decoder.h"
#include "frame/stdio_file.h"
#include "platform/platform.h"

#include <string>

namespace kodra {

struct Context;

// Decodes every encoded section of the text file at path into files in the same
// folder, asking as mode says, through the context's user interface. Returns the last
// section decoded (none when nothing was).
Encoding decodeFile(Context& context, const char* path, const char* names, int mode) noexcept;

// Decodes every encoded section of the open text stream input (read from where it stands,
// closed at the end) silently into the file at target, taken literally as every output's
// path; none of `refused` is ever opened as the output. Returns as decodeFile.
Encoding decodeStreamTo(StdioFile input, const char* target, platform::ProtectedFiles refused) noexcept;

// Builds the path of an output in the folder of inputPath from a name found in the
// content (already reduced to a bare name): the folder, then the name limited to the
// system's longest file name, made safe by makeSafeFileName. An input path without a
// folder gives the bare name made safe.
std::string outputPathFor(const char* inputPath, const char* name);

// The same in the given folder.
std::string outputPathInFolder(const char* folder, const char* name);

// Lists in the context's decode name list, by running a silent decode of path without
// writing, the default output path of every section that decode names, in order: one
// entry per name a mode-1 decode takes from its list, also where the default path would
// be refused (a link, a folder, the input). Returns their number, or 0 when the file
// cannot be opened (the list then keeps what it held). Linear in the sections.
int listFilesToDecode(Context& context, const char* path) noexcept;

// Copies entry index of the context's decode name list into buffer; 1, or 0 when there is none.
int copyFileToDecode(Context& context, char* buffer, int index) noexcept;

}  // namespace kodra
