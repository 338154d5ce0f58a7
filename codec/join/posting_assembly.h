// Joining a posting's parts in order and writing the result.
#pragma once

#include "join/engine_relay.h"
#include "join/join_inputs.h"
#include "join/join_output.h"
#include "join/posting_groups.h"
#include "platform/platform.h"

#include <string>

namespace kodra {

struct AssemblyResult {
    bool finished = false;  // the posting reached its final name(s)
    int parts = 0;          // outputs written (a message/partial may hold several files)
    std::string path;       // folder: the (first) file written
};

// Decodes a yEnc posting part by part into one output, checking every part's size and
// pcrc32 and the whole file's size and crc32; a failed check fails the posting.
AssemblyResult assembleYenc(JoinInputs& inputs, PostingGroup& posting, JoinOutput& output) noexcept;

// Joins a UU posting's bodies and decodes them with the engine.
AssemblyResult assembleUu(const platform::UserInterface& ui, JoinInputs& inputs, PostingGroup& posting,
                          JoinOutput& output) noexcept;

// Rebuilds a message/partial posting's message (RFC 2046, 5.2.2) and decodes it with the engine.
AssemblyResult assemblePartial(const platform::UserInterface& ui, JoinInputs& inputs, PostingGroup& posting,
                               JoinOutput& output) noexcept;

// The text of a piece's body (its data range), or empty when the input cannot be read.
std::string pieceBody(JoinInputs& inputs, const Piece& piece);

}  // namespace kodra
