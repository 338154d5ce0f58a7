// The streaming header reader against the former one, which kept every field whole: for
// each message below and each limit, every field is the whole field's start, and present
// exactly when the whole one is.
#include "frame/line_source.h"
#include "message/encoded_words.h"
#include "message/message_info.h"
#include "support/memory_stream.h"
#include "support/reference_encoded_words.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The next whole line of file up to its first NUL, without its LF and then one CR, into
// text; false at the end.
bool readWholeLine(std::FILE* file, std::vector<char>& text) {
    text.clear();
    int c = 0;
    while ((c = std::getc(file)) != EOF && c != '\n') text.push_back(static_cast<char>(c));
    if (c == EOF && text.empty()) return false;
    text.erase(std::find(text.begin(), text.end(), '\0'), text.end());  // a NUL ended a C-string line
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return true;
}

// The former reader: whole fields, the delivery block searched for its first ";" each
// time a line joins it; whole lines, words decoded with room for the whole file.
MessageHeaders referenceHeaders(const std::string& path, std::size_t fileSize) {
    MessageHeaders headers;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return headers;
    auto& fields = headers.fields;
    std::optional<std::string>* open = nullptr;
    bool headerSeen = false;
    std::vector<char> buffer;
    while (readWholeLine(file, buffer)) {
        buffer.resize(buffer.size() + fileSize + 2, '\0');
        char* line = buffer.data();
        reference::decodeEncodedWords(file, line, buffer.size());
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
        {"encoded word in a line of 2000 characters, cut",
         "Subject: " + std::string(2000, 'a') + " =?iso-8859-1?q?" + std::string(40, 'x') + "\r\n" +
             std::string(40, 'y') + "?= end\r\n\r\n"},
        {"lines of 1023, 1024 and 2000 characters",
         "Subject: " + std::string(1014, 's') + "\r\nFrom: " + std::string(1018, 'f') + "\r\n " +
             std::string(2000, 'g') + "\r\nReceived: " + std::string(2000, 'r') + "; " + std::string(1023, 't') +
             "\r\n\r\n"},
        {"a line of 100000 characters", "Received: x; " + std::string(100000, 'R') + "\r\nX: y\r\nSubject: " +
                                            std::string(100000, 'S') + "\r\n\r\n"},
        {"lines longer than the line buffer",
         "Received: " + longLine + "; " + longLine + "\r\nX: y\r\nSubject: " + longLine + "\r\n " + longLine +
             "\r\n\r\n"},
        {"a NUL inside a line", std::string("Subject: before\0after\r\n more\r\nX-A: 1; b\0c\r\n", 42)},
        {"a CR before a NUL", std::string("Subject: a\r\0b\r\n c\r\0\r\nFrom: d\r\0", 30)},
        {"bare LF and lone CR", "Subject: a\rb\n c\nFrom: d\n\n"},
        {"folded header block", "X-First: a\r\n b; c\r\n d\r\nTo: t\r\n"},
    };
    const std::size_t limits[] = {0, 1, 3, 10, 64, 5000, std::string::npos};
    for (const Row& row : rows) {
        TempFolder folder;
        const std::string path = folder.file("message.eml");
        writeFile(path, row.message);
        const MessageHeaders whole = referenceHeaders(path, row.message.size());
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

// Read from a line source over memory or a file at any read size, the fields are those
// read from the file at its path.
TEST(MessageHeadersStream, SameFromMemoryAndFilesAtEveryReadSize) {
    const std::vector<std::string> messages = {
        "Received: by y;\r\n\tMon\r\nFrom: Ann\r\nSubject: =?iso-8859-1?q?" + std::string(40, 'x') + "\r\n" +
            std::string(40, 'y') + "?=\r\n more\r\nTo: t\r\n\r\nbody\r\n",
        "Subject: " + std::string(2000, 's') + "\nFrom: " + std::string(100000, 'f') + "\n\n",
        std::string("Subject: a\0b\r\nX: 1; 2\rc\r\nFrom: z\r"),
    };
    constexpr std::size_t kWhole = 0;
    for (std::size_t m = 0; m < messages.size(); ++m) {
        const std::string& message = messages[m];
        TempFolder folder;
        const std::string path = folder.file("message.eml");
        writeFile(path, message);
        MessageHeaders want;
        ASSERT_TRUE(readMessageHeaders(path.c_str(), want, FieldLimits::all(std::string::npos)));
        for (const std::size_t readSize : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{7},
                                           std::size_t{64}, std::size_t{4096}, kWhole}) {
            const LineSourceOptions options{kNoLineCap, readSize == kWhole ? message.size() + 1 : readSize};
            LineSource memory(message.data(), message.size(), options);
            auto stream = streamWith(message);
            LineSource file(stream.get(), options);
            for (LineSource* source : {&memory, &file}) {
                MessageHeaders got;
                readMessageHeaders(*source, got, FieldLimits::all(std::string::npos));
                for (std::size_t field = 0; field < kMessageFieldCount; ++field)
                    EXPECT_EQ(got.fields[field], want.fields[field])
                        << "message " << m << (source == &memory ? ", memory" : ", file") << ", read size "
                        << readSize << ", field " << field << ": got " << describe(got.fields[field]) << ", want "
                        << describe(want.fields[field]);
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
