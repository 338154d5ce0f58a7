// Finding the pieces of split postings in one input, and what is left around them.
#pragma once

#include "join/piece.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace kodra {

struct TextRange {
    std::size_t begin = 0, end = 0;
};

// Appends the pieces found in text (input number input) to pieces, and the stretches of text
// that belong to no piece, in order, to ordinary.
void findPieces(std::string_view text, int input, std::vector<Piece>& pieces, std::vector<TextRange>& ordinary);

}  // namespace kodra
