// Encoding of files as MIME body parts, the cores behind EncodeFile, EncodeFileEx and
// FinishAttachments.
#pragma once

namespace kodra {

// Appends (append non-zero) or writes one part carrying sourcePath, encoded as type 1
// to 6 (6: a single-part yEnc block in an "8bit" part), to outputPath; flags 0 gives the classic layout, 1 the standard one (see
// PartLayout). Returns 1 when the whole part was written, else 0: for a bad argument,
// a source that is not a readable regular file, an output that is the source or
// cannot be opened (nothing is created or changed then), or a working buffer, read,
// write or close that failed (the output then ends in an incomplete part).
int encodeFile(const char* sourcePath, const char* outputPath, const char* boundary, int type,
               int append, int flags) noexcept;

// Writes the standard (flags 1) part of sourcePath, type 1 to 5, alone into outputPath:
// its header fields from the first line on, then the body, without delimiter lines.
// Returns 1 when all of it was written; 0 otherwise, the output then removed again when it
// was opened (nothing is created for a bad argument or a refused output).
int encodeStandalonePart(const char* sourcePath, const char* outputPath, int type) noexcept;

// Appends "--" CR LF to an existing outputPath, closing the last part's delimiter.
// Returns 0 when it was written and closed, -1 when the output is missing or cannot be
// opened (nothing is created) or the write or close failed.
int finishAttachments(const char* outputPath) noexcept;

}  // namespace kodra
