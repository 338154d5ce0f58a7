// Pieces gathered into postings, ordered by part number, and checked for missing,
// duplicate and overlapping parts.
#pragma once

#include "join/piece.h"

#include <string>
#include <vector>

namespace kodra {

enum class PostingStatus { complete = 0, incomplete = 1, failed = 2 };

struct PostingGroup {
    PostingKind kind = PostingKind::yenc;
    std::string name;
    int total = 0;                   // announced; 0 when no piece says
    std::vector<const Piece*> parts; // one per part number found (the first found), ascending
    std::vector<int> missing, duplicates, overlapping;
    PostingStatus status = PostingStatus::complete;
    std::string reason;
    long long size = -1;             // yEnc: the whole file's size
};

// Sets status failed with reason, keeping the first reason given.
void failPosting(PostingGroup& posting, const std::string& reason);

// The postings the pieces make, ordered by kind and name. The pieces must outlive them.
std::vector<PostingGroup> groupPieces(const std::vector<Piece>& pieces);

}  // namespace kodra
