// message/partial postings (RFC 2046, 5.2.2): the enclosing header of part 1 without its
// Content-*, Subject, Message-ID, Encrypted and MIME-Version fields, then those fields of
// the enclosed header, then the bodies in order; later parts' headers are dropped.
#include "join/posting_assembly.h"

#include "join/article_header.h"
#include "message/header_parameters.h"

namespace kodra {
namespace {

bool fromEnclosedHeader(std::string_view name) noexcept {
    const std::string_view prefix = "content-";
    return (name.size() >= prefix.size() && equalsLowerCase(name.substr(0, prefix.size()), prefix)) ||
           equalsLowerCase(name, "subject") || equalsLowerCase(name, "message-id") ||
           equalsLowerCase(name, "encrypted") || equalsLowerCase(name, "mime-version");
}

void appendField(std::string& text, std::string_view raw) {
    text += raw;
    if (text.empty() || text.back() != '\n') text += '\n';
}

std::string joinedMessage(JoinInputs& inputs, const PostingGroup& posting) {
    std::string joined;
    for (const Piece* part : posting.parts) {
        if (part->number != 1) {
            joined += pieceBody(inputs, *part);
            continue;
        }
        const std::optional<std::string_view> text = inputs.bytes(part->input);
        if (!text) continue;
        ArticleHeader enclosing;
        readArticleHeader(text->substr(part->begin, part->dataBegin - part->begin), enclosing);
        const std::string_view body = text->substr(part->dataBegin, part->dataEnd - part->dataBegin);
        ArticleHeader enclosed;
        const std::size_t enclosedEnd = readArticleHeader(body, enclosed);
        for (const HeaderField& field : enclosing.fields)
            if (!fromEnclosedHeader(field.name)) appendField(joined, field.raw);
        for (const HeaderField& field : enclosed.fields)
            if (fromEnclosedHeader(field.name)) appendField(joined, field.raw);
        joined += '\n';
        joined += body.substr(enclosedEnd);
    }
    return joined;
}

}  // namespace

AssemblyResult assemblePartial(const platform::UserInterface& ui, JoinInputs& inputs, PostingGroup& posting,
                               JoinOutput& output) noexcept {
    AssemblyResult result;
    try {
        const std::string joined = joinedMessage(inputs, posting);
        const bool complete = posting.status == PostingStatus::complete;
        const RelayResult relay =
            relayDecode(ui, joined, static_cast<long long>(posting.parts.front()->begin), output, complete);
        result.parts = relay.parts;
        result.path = relay.firstPath;
        result.finished = complete && relay.finished == relay.parts;
        if (complete && !result.finished) failPosting(posting, "a part of the joined message failed to decode or be written");
    } catch (...) {
        posting.status = PostingStatus::failed;
    }
    return result;
}

}  // namespace kodra
