// The streaming header reader against the former one, which kept every field whole: for
// each message below and each limit, every field is the whole field's start, and present
// exactly when the whole one is.
#include "frame/line_reader.h"
#include "message/encoded_words.h"
#include "message/message_info.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace kodra::testing {
namespace {

constexpr const char* kNames[] = {"from:", "to:", "subject:", "date:", "cc:", "reply-to:", "organization:"};
constexpr MessageField kFieldOf[] = {kFrom, kTo, kSubject, kDate, kCc, kReplyTo, kOrganization};

bool beginsWithNoCase(const char* line, const char* lowerName) {
    for (; *lowerName; ++line, ++lowerName) {
        const char c = *line >= 'A' && *line <= 'Z' ? static_cast<char>(*line - 'A' + 'a') : *line;
        if (c != *lowerName) return false;
    }
    return true;
}

// The former reader: whole fields, the delivery block searched for its first ";" each
// time a line joins it.
MessageHeaders referenceHeaders(const std::string& path) {
    MessageHeaders headers;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return headers;
    auto& fields = headers.fields;
    std::optional<std::string>* open = nullptr;
    bool headerSeen = false;
    char line[kLineBufferSize];
    while (readTextLine(nullptr, file, line)) {
        decodeEncodedWords(file, line, sizeof line);
        if (line[0] == '\0') break;
        if ((line[0] == ' ' || line[0] == '\t') && open) {
            (*open)->append(line + 1);
            continue;
        }
        int match = -1;
        for (int i = 0; i < 7 && match < 0; ++i)
            if (!fields[kFieldOf[i]] && beginsWithNoCase(line, kNames[i])) match = i;
        if (match >= 0) {
            fields[kFieldOf[match]] = std::string(skipBlanks(line + std::strlen(kNames[match])));
            open = &fields[kFieldOf[match]];
            headerSeen = true;
            continue;
        }
        open = nullptr;
        if (headerSeen) continue;
        auto& block = fields[kHeaderBlock];
        if (!block) {
            block = std::string(line);
            continue;
        }
        block->append("\r\n").append(line);
        if (!fields[kReceived]) {
            const std::size_t semicolon = block->find(';');
            if (semicolon != std::string::npos) fields[kReceived] = std::string(skipBlanks(block->c_str() + semicolon + 1));
        }
    }
    std::fclose(file);
    if (!headerSeen) fields[kHeaderBlock].reset();
    return headers;
}

std::string describe(const std::optional<std::string>& field) {
    return field ? "\"" + *field + "\"" : "absent";
}

TEST(MessageHeadersStream, EveryFieldIsTheWholeFieldsStart) {
    struct Row {
        const char* name;
        std::string message;
    };
    const std::string longLine(3000, 'L');
    const std::vector<Row> rows = {
        {"plain fields", "From: Ann <ann@example.org>\r\nTo: Bob\r\nSubject: Hello\r\n\r\nbody\r\n"},
        {"folded subject", "Subject: Hello\r\n  World\r\n\tagain\r\nFrom: a\r\n\r\n"},
        {"encoded words over folds", "Subject: =?iso-8859-1?q?Caf=E9?=\r\n =?iso-8859-1?b?YXUgbGFpdA==?=\r\n\r\n"},
        {"encoded word cut at the line end",
         "Subject: =?iso-8859-1?q?" + std::string(40, 'x') + "\r\n" + std::string(40, 'y') + "?=\r\n\r\n"},
        {"repeated header ends the open field", "From: first\r\nFrom: second\r\n more\r\nTo: t\r\n"},
        {"semicolon in the first delivery line", "Received: by y; Mon\r\nX-Other: z\r\nFrom: a\r\n"},
        {"semicolon ends the first line",
         "Received: by y;\r\n   \tMon, 10 Dec 2001\r\nReceived: later; no\r\nFrom: a\r\n"},
        {"semicolon on a later line",
         "Return-Path: <a@b>\r\nReceived: from x by y\r\n\t; Mon, 10 Dec 2001 10:00:00 -0500\r\n\t; later\r\n"
         "From: a\r\n"},
        {"semicolon ends a later line", "Return-Path: <a@b>\r\nReceived: from x by y;\r\n\tMon\r\nFrom: a\r\n"},
        {"a single delivery line", "Received: by y; Mon, 10 Dec 2001\r\nFrom: a\r\n"},
        {"no recognised header", "Received: a\r\nReceived: b; now\r\n\r\nbody\r\n"},
        {"empty first line", "\r\nFrom: late\r\n"},
        {"lines longer than the line buffer",
         "Received: " + longLine + "; " + longLine + "\r\nX: y\r\nSubject: " + longLine + "\r\n " + longLine +
             "\r\n\r\n"},
        {"a NUL inside a line", std::string("Subject: before\0after\r\n more\r\nX-A: 1; b\0c\r\n", 42)},
        {"bare LF and lone CR", "Subject: a\rb\n c\nFrom: d\n\n"},
        {"folded header block", "X-First: a\r\n b; c\r\n d\r\nTo: t\r\n"},
    };
    const std::size_t limits[] = {0, 1, 3, 10, 64, 5000, std::string::npos};
    for (const Row& row : rows) {
        TempFolder folder;
        const std::string path = folder.file("message.eml");
        writeFile(path, row.message);
        const MessageHeaders whole = referenceHeaders(path);
        for (const std::size_t limit : limits) {
            MessageHeaders got;
            ASSERT_TRUE(readMessageHeaders(path.c_str(), got, FieldLimits::all(limit))) << row.name;
            for (std::size_t field = 0; field < kMessageFieldCount; ++field) {
                std::optional<std::string> want = whole.fields[field];
                if (want) want = want->substr(0, limit);
                EXPECT_EQ(got.fields[field], want)
                    << row.name << ", field " << field << ", limit " << limit << ": got "
                    << describe(got.fields[field]) << ", want " << describe(want);
            }
        }
    }
}

// One field kept, the others only noted: the kept one is the same as when all are kept.
TEST(MessageHeadersStream, OneFieldKeptAlone) {
    TempFolder folder;
    const std::string path = folder.file("message.eml");
    writeFile(path, "Received: a\r\nX: b; c\r\nFrom: ann\r\nSubject: Hello\r\n World\r\nFrom: again\r\n\r\n");
    MessageHeaders all;
    ASSERT_TRUE(readMessageHeaders(path.c_str(), all, FieldLimits::all(std::string::npos)));
    for (std::size_t field = 0; field < kMessageFieldCount; ++field) {
        FieldLimits limits;
        limits.characters[field] = 8;
        MessageHeaders got;
        ASSERT_TRUE(readMessageHeaders(path.c_str(), got, limits));
        std::optional<std::string> want = all.fields[field];
        if (want) want = want->substr(0, 8);
        EXPECT_EQ(got.fields[field], want) << "field " << field << ": got " << describe(got.fields[field])
                                           << ", want " << describe(want);
    }
}

}  // namespace
}  // namespace kodra::testing
