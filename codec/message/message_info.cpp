#include "message/message_info.h"

#include "frame/line_reader.h"
#include "frame/stdio_file.h"
#include "message/encoded_words.h"
#include "platform/platform.h"

#include <cstdio>
#include <cstring>
#include <memory>

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

}  // namespace

const char* skipBlanks(const char* text) noexcept {
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n') ++text;
    return text;
}

bool readMessageHeaders(const char* path, MessageHeaders& headers) {
    headers = MessageHeaders{};
    StdioFile file(platform::openInputFile(path));
    if (!file) return false;

    auto& fields = headers.fields;
    std::optional<std::string>* open = nullptr;  // the field a continuation line extends
    bool headerSeen = false;
    std::size_t searchedUpTo = 0;  // the block holds no ";" before this offset
    char line[kLineBufferSize];
    while (readTextLine(nullptr, file.get(), line)) {
        decodeEncodedWords(file.get(), line, sizeof line);
        if (line[0] == '\0') break;  // the blank line ends the header section

        if ((line[0] == ' ' || line[0] == '\t') && open) {
            // Unfolding drops exactly the one blank that starts the continuation.
            (*open)->append(line + 1);
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
            fields[static_cast<std::size_t>(match->field)] = std::string(skipBlanks(line + std::strlen(match->name)));
            open = &fields[static_cast<std::size_t>(match->field)];
            headerSeen = true;
            continue;
        }
        // Repeated and unrecognised headers end the open field; before the first
        // recognised header, lines are delivery lines and join the block.
        open = nullptr;
        if (headerSeen) continue;
        auto& block = fields[kHeaderBlock];
        if (!block) {
            block = std::string(line);
            continue;
        }
        block->append("\r\n").append(line);
        if (!fields[kReceived]) {
            // Only text not searched before can hold the first ";", so a block folded over
            // many lines costs linear time.
            const std::size_t semicolon = block->find(';', searchedUpTo);
            if (semicolon != std::string::npos)
                fields[kReceived] = std::string(skipBlanks(block->c_str() + semicolon + 1));
            searchedUpTo = block->size();
        }
    }
    if (!headerSeen) fields[kHeaderBlock].reset();
    return true;
}

}  // namespace kodra
