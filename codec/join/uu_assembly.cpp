// UU postings: the bodies in part order make one UUencoded text for the engine. When part 1
// is missing a begin line is supplied, so that the other parts' data is still kept.
#include "join/posting_assembly.h"

#include "join/text_lines.h"

namespace kodra {
namespace {

// A UU line: its length character says how many bytes, and the symbols that carry them
// follow (a few more, as some encoders pad, are allowed).
bool isUuDataLine(std::string_view line) noexcept {
    if (line.empty()) return false;
    for (char c : line)
        if (c < ' ' || c > '`') return false;
    const std::size_t count = static_cast<std::size_t>((line[0] - ' ') & 63);
    const std::size_t symbols = (count + 2) / 3 * 4;
    return line.size() >= 1 + symbols && line.size() <= 1 + symbols + 2;
}

// The lines of a part's body that belong to the encoded file: begin, data and end lines;
// the text posters put between parts ("_=_ Part 2 of 5", signatures) is left out.
void appendUuLines(std::string_view body, std::string& joined) {
    for (std::size_t position = 0; position < body.size();) {
        const TextLine line = lineAt(body, position);
        position = line.next;
        const bool keep = startsWith(line.text, "begin ") || line.text == "end" || isUuDataLine(line.text);
        if (!keep) continue;
        joined += line.text;
        joined += '\n';
    }
}

}  // namespace

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
        for (const Piece* part : posting.parts) appendUuLines(pieceBody(inputs, *part), joined);
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
