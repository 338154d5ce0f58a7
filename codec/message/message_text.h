// The readable text of a stored message.
#pragma once

namespace kodra {

// Writes the text of the message at messagePath to targetPath, taken literally (a bare
// name goes beside the message): the body of a plain message (decoded when its transfer
// encoding is quoted-printable or Base64), or the first part of a multipart one with a
// following HTML part's body, decoded from an intermediate file read through its own
// handle. Returns 5 for a copied body, the decoder's result for a multipart message, 2
// when the message itself is Base64, 0 when no text was found, the target is the message
// itself (by any name) or no regular file, or a file could not be made. Costs linear time
// in the lines whatever the number of boundaries (at most MessageBoundaries::kMaxCount
// are remembered). Lines are taken whole up to 4 MiB; a longer one is taken in pieces of
// that size, so memory stays bounded. May throw std::bad_alloc; the intermediate file is removed however
// it ends.
int getMessageText(const char* messagePath, const char* targetPath);

}  // namespace kodra
