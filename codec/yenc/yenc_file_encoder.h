// Files written as yEnc postings, whole or cut into parts each in its own file: the core of
// KodraEncodeFile.
#pragma once

namespace kodra {

// Most parts one posting is cut into.
inline constexpr long long kMaxYencParts = 100000;

// Writes sourcePath as type 6 (yEnc) to outputPath: partSize 0 gives one single-part
// section; partSize > 0 cuts the file into parts of that many bytes (at least one part), part
// 1 in outputPath and each next one in the next numbered name (nextNumberedPath). Types 1
// to 5 with partSize 0 write encodeStandalonePart. Returns the number of files written, or 0
// for a bad argument, a source that is no readable regular file, more than kMaxYencParts
// parts, a part name that does not fit or may not be written (a link, a folder, the source),
// or a failed read or write; every file written is removed again then.
int encodeYencFile(const char* sourcePath, const char* outputPath, int type, long long partSize) noexcept;

}  // namespace kodra
