// A join job: the inputs searched for pieces of split postings, the postings joined and
// checked, and everything else decoded by the engine as a single input would be.
#pragma once

#include "frame/context.h"
#include "kodra32.h"

namespace kodra {

// Decodes the inputs into folder (files) or sink; report gets every posting. Returns the
// parts and postings decoded completely, or -1 for bad arguments or an unreadable input.
int decodeInputs(const Context& context, const KodraInput* inputs, int count, const char* folder,
                 const KodraSink* sink, const KodraPostingReport* report) noexcept;

// Reports every posting of the inputs without decoding; returns their number or -1.
int listPostings(const Context& context, const KodraInput* inputs, int count, const KodraPostingReport* report) noexcept;

}  // namespace kodra
