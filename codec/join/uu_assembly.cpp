// UU postings: the bodies in part order make one UUencoded text for the engine. When part 1
// is missing a begin line is supplied, so that the other parts' data is still kept.
#include "join/posting_assembly.h"

namespace kodra {

std::string pieceBody(JoinInputs& inputs, const Piece& piece) {
    const std::optional<std::string_view> text = inputs.bytes(piece.input);
    if (!text) return std::string();
    return std::string(text->substr(piece.dataBegin, piece.dataEnd - piece.dataBegin));
}

AssemblyResult assembleUu(const platform::UserInterface& ui, JoinInputs& inputs, PostingGroup& posting,
                          JoinOutput& output) noexcept {
    AssemblyResult result;
    try {
        std::string joined;
        if (posting.parts.front()->number != 1) joined = "begin 644 " + posting.name + "\n";
        for (const Piece* part : posting.parts) {
            joined += pieceBody(inputs, *part);
            if (!joined.empty() && joined.back() != '\n') joined += '\n';
        }
        const bool complete = posting.status == PostingStatus::complete;
        const RelayResult relay =
            relayDecode(ui, joined, static_cast<long long>(posting.parts.front()->begin), output, complete);
        result.parts = relay.parts;
        result.path = relay.firstPath;
        result.finished = complete && relay.parts > 0 && relay.finished == relay.parts;
        if (complete && relay.parts == 0) failPosting(posting, "no UUencoded file was found in its parts");
        else if (complete && !result.finished) failPosting(posting, "the joined file failed to decode or be written");
    } catch (...) {
        posting.status = PostingStatus::failed;
    }
    return result;
}

}  // namespace kodra
