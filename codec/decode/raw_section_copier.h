// Copying of 8bit and binary parts byte for byte.
#pragma once

#include "decode/text_section_copier.h"

#include <string>

namespace kodra {

class BoundaryList;
class ByteSink;

// Copies the body of an 8bit or binary part from input to output (null: read through it
// and write nothing), first skipping the rest of the part header when line is not empty:
// every byte as it stands, NULs, lone CRs and line ends included, up to the line end
// before a boundary line (RFC 2046, 5.1.1: it belongs to the boundary), or to the end of
// the input.
TextCopy copyRawSection(const BoundaryList& boundaries, LineSource& input, ByteSink* output,
                        const std::string& line);

}  // namespace kodra
