#include "message/message_info.h"

#include "frame/line_source.h"
#include "frame/stdio_file.h"
#include "message/encoded_words.h"
#include "message/line_text.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace kodra {
namespace {

struct RecognisedHeader {
    const char* name;
    MessageField field;
};

// Tested in this order; the colon is part of each name.
constexpr RecognisedHeader kRecognisedHeaders[] = {
    {"from:", kFrom}, {"to:", kTo},         {"subject:", kSubject},          {"date:", kDate},
    {"cc:", kCc},     {"reply-to:", kReplyTo}, {"organization:", kOrganization},
};

bool beginsWithNoCase(const char* line, const char* lowerName) noexcept {
    for (; *lowerName; ++line, ++lowerName) {
        const char c = *line >= 'A' && *line <= 'Z' ? static_cast<char>(*line - 'A' + 'a') : *line;
        if (c != *lowerName) return false;
    }
    return true;
}

// Appends what still fits of text to field, which holds at most limit characters.
void appendCut(std::string& field, const char* text, std::size_t limit) {
    if (field.size() >= limit) return;
    const std::size_t room = limit - field.size();
    std::size_t length = 0;
    while (length < room && text[length] != '\0') ++length;
    field.append(text, length);
}

// Sets field to what fits of text.
void assignCut(std::optional<std::string>& field, const char* text, std::size_t limit) {
    field.emplace();
    appendCut(*field, text, limit);
}

// Sets line to the text of the next whole input line (up to its first NUL, as for the
// C-string readers this one replaces); false at the end of the input.
bool readHeaderLine(LineSource& source, std::string& line) {
    SourceLine piece;
    if (!source.next(piece)) return false;
    line.assign(classicLineText(piece));
    // The rest of an overlong line is dropped.
    while (piece.continues && source.next(piece)) {
    }
    return true;
}

}  // namespace

const char* skipBlanks(const char* text) noexcept {
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
    return text;
}

bool readMessageHeaders(const char* path, MessageHeaders& headers, const FieldLimits& limits) {
    headers = MessageHeaders{};
    StdioFile file(platform::openInputFile(path));
    if (!file) return false;
    LineSource source(file.get(), LineSourceOptions{kMaxHeaderLine, kDefaultReadSize});
    readMessageHeaders(source, headers, limits);
    return true;
}

void readMessageHeaders(LineSource& source, MessageHeaders& headers, const FieldLimits& limits) {
    headers = MessageHeaders{};
    auto& fields = headers.fields;
    const auto limitOf = [&limits](int field) { return limits.characters[static_cast<std::size_t>(field)]; };
    std::optional<std::string>* open = nullptr;  // the field a continuation line extends
    std::size_t openLimit = 0;
    bool headerSeen = false;
    // The receiving time follows the first ";" of the delivery lines, but the lines are
    // searched only once a second one joins: then it runs to the end of the line joined.
    int deliveryLines = 0;
    std::optional<std::string> firstLineTail;  // after the first line's ";", joined with the second
    std::string buffer;
    while (readHeaderLine(source, buffer)) {
        decodeEncodedWords(source, buffer);
        const char* line = buffer.c_str();
        if (line[0] == '\0') break;  // the blank line ends the header section

        if ((line[0] == ' ' || line[0] == '\t') && open) {
            // Unfolding drops exactly the one blank that starts the continuation.
            appendCut(**open, line + 1, openLimit);
            continue;
        }
        const RecognisedHeader* match = nullptr;
        for (const RecognisedHeader& header : kRecognisedHeaders) {
            if (!fields[static_cast<std::size_t>(header.field)] && beginsWithNoCase(line, header.name)) {
                match = &header;
                break;
            }
        }
        if (match) {
            open = &fields[static_cast<std::size_t>(match->field)];
            openLimit = limitOf(match->field);
            assignCut(*open, skipBlanks(line + std::strlen(match->name)), openLimit);
            headerSeen = true;
            continue;
        }
        // Repeated and unrecognised headers end the open field; before the first
        // recognised header, lines are delivery lines and join the block.
        open = nullptr;
        if (headerSeen) continue;
        auto& block = fields[kHeaderBlock];
        if (!block) {
            assignCut(block, line, limitOf(kHeaderBlock));
        } else {
            appendCut(*block, "\r\n", limitOf(kHeaderBlock));
            appendCut(*block, line, limitOf(kHeaderBlock));
        }
        ++deliveryLines;
        if (fields[kReceived]) continue;
        const char* semicolon = std::strchr(line, ';');
        if (deliveryLines == 1) {
            if (semicolon) firstLineTail.emplace(semicolon + 1);
        } else if (firstLineTail) {
            firstLineTail->append("\r\n").append(line);
            assignCut(fields[kReceived], skipBlanks(firstLineTail->c_str()), limitOf(kReceived));
            firstLineTail.reset();
        } else if (semicolon) {
            assignCut(fields[kReceived], skipBlanks(semicolon + 1), limitOf(kReceived));
        }
    }
    if (!headerSeen) fields[kHeaderBlock].reset();
}

}  // namespace kodra
