// Encoding of files as MIME body parts, the cores behind EncodeFile, EncodeFileEx and
// FinishAttachments.
#pragma once

namespace kodra {

// Appends (append non-zero) or writes one part carrying sourcePath, encoded as type 1
// to 5, to outputPath; flags 0 gives the classic layout, 1 the standard one (see
// PartLayout). Returns 1 when the whole part was written, else 0: for a bad argument,
// a source that is not a readable regular file, an output that is the source or
// cannot be opened (nothing is created or changed then), or a working buffer, read,
// write or close that failed (the output then ends in an incomplete part).
int encodeFile(const char* sourcePath, const char* outputPath, const char* boundary, int type,
               int append, int flags) noexcept;

// Appends "--" CR LF to an existing outputPath, closing the last part's delimiter.
// Returns 0 when it was written and closed, -1 when the output is missing or cannot be
// opened (nothing is created) or the write or close failed.
int finishAttachments(const char* outputPath) noexcept;

}  // namespace kodra
