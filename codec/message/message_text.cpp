#include "message/message_text.h"

#include "decode/decode_file.h"
#include "decode/text_decoders.h"
#include "encode/buffer_codec.h"
#include "frame/lower_case_text.h"
#include "frame/line_source.h"
#include "frame/stdio_file.h"
#include "message/header_parameters.h"
#include "message/intermediate_file.h"
#include "message/line_text.h"
#include "message/message_boundaries.h"
#include "platform/platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace kodra {
namespace {

constexpr char kIntermediateName[] = "54sfh$42";
constexpr std::size_t kMaxBoundary = MessageBoundaries::kMaxLength;
constexpr std::size_t kCopyChunk = 16 * 1024;
constexpr int kMarkerLineLimit = 100;  // a plain message's blank line must come before this line
constexpr int kSearchLineLimit = 200;  // give up when no marker was placed by this line
constexpr int kHtmlHeaderLineLimit = 20;
// A longer line is read in pieces of this size (a multiple of four, so that Base64 pieces
// decode alone), each taken as a line: memory stays bounded whatever the input.
constexpr std::size_t kMaxTextLine = std::size_t{4} << 20;
constexpr char kReplacementHeaders[] =
    "Content-Type: text/plain; charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: quoted-printable\r\n";
constexpr const char* kHeaderNames[] = {"from:",     "to:",           "subject:",   "date:",
                                        "cc:",       "reply-to:",     "organization:", "message-id:"};

using File = StdioFile;
using Match = MessageBoundaries::Match;

bool beginsWithNoCase(const char* text, const char* lowerPrefix) noexcept {
    for (; *lowerPrefix; ++text, ++lowerPrefix) {
        const char c = *text >= 'A' && *text <= 'Z' ? static_cast<char>(*text - 'A' + 'a') : *text;
        if (c != *lowerPrefix) return false;
    }
    return true;
}

// The directory part of path, separator included; empty when it has none.
std::string directoryOf(const char* path) {
    const char* separator = platform::lastPathSeparator(path);
    return separator ? std::string(path, static_cast<std::size_t>(separator - path + 1)) : std::string();
}

// A boundary value: after an opening quote up to the closing one, else as it stands;
// at most 128 characters either way.
std::string boundaryValue(const char* value) {
    if (*value == '"') {
        ++value;
        const char* close = std::strchr(value, '"');
        std::size_t length = close ? static_cast<std::size_t>(close - value) : std::strlen(value);
        return std::string(value, length < kMaxBoundary ? length : kMaxBoundary);
    }
    return std::string(value, std::min(std::strlen(value), kMaxBoundary));
}

// The boundary parameter of a header line: the line read as a field ("Content-Type: ...")
// or, folded or not, as a list of parameters (RFC 2045, 5.1). False when it has none.
bool boundaryParameter(std::string_view line, std::string& boundary) {
    line = line.substr(0, line.find('\0'));
    std::string_view name;
    std::string_view body;
    const HeaderParameters parameters =
        splitHeaderField(line, name, body) ? parseHeaderParameters(body) : parseParameterList(line);
    const std::string* value = parameters.plain("boundary");
    if (!value || value->empty()) return false;
    boundary.assign(*value, 0, std::min(value->size(), kMaxBoundary));
    return true;
}

// Copies the rest of source into the file at target, opened as an output that is none of
// `refused`. False when the target cannot be opened so or a read or write fails; a target
// this call created is then removed again.
bool copyToTarget(std::FILE* source, const char* target, platform::ProtectedFiles refused) {
    const platform::OutputFile output = platform::openOutput(target, platform::OutputMode::replace, refused);
    if (!output.file) return false;
    File out(output.file);
    char chunk[kCopyChunk];
    bool copied = true;
    for (std::size_t got; copied && (got = std::fread(chunk, 1, sizeof chunk, source)) > 0;)
        copied = std::fwrite(chunk, 1, got, out.get()) == got;
    copied = copied && !std::ferror(source);
    copied = closeStdioFile(out) && copied;
    if (!copied && output.created) platform::deleteCreatedFile(target, output.identity);
    return copied;
}

// Sets line to the text of the next line (or piece of an overlong one) of source (up to
// its first NUL, as for the C-string readers this one replaces); false at the end of the
// input.
bool readLine(LineSource& source, std::string& line) {
    SourceLine next;
    if (!source.next(next)) return false;
    line.assign(classicLineText(next));
    return true;
}

// Sets lower to line with its ASCII letters lower-cased.
void lowerCopy(std::string_view line, std::string& lower) {
    lower.assign(line);
    lowerCaseText(lower.data());
}

class TextExtraction {
public:
    TextExtraction(LineSource& message, IntermediateFile& intermediate, std::string marker)
        : message_(message), out_(intermediate), marker_(std::move(marker)) {}

    // Runs the single pass over the message; false on a write error.
    bool run() {
        std::string buffer;
        std::string lowerBuffer;
        for (;;) {
            if (!readLine(message_, buffer)) return true;
            char* line = buffer.data();
            ++lineCount_;
            if (markerPending_ && boundaries_.empty() && line[0] == '\0' && partCount_ == 0 &&
                lineCount_ < kMarkerLineLimit) {
                if (!out_.write(marker_.c_str())) return false;
                markerPending_ = false;
                copyMode_ = true;
            }
            // An inline UUencoded file ends the text.
            if (std::strlen(line) > 10 && beginsWithNoCase(line, "begin ") &&
                std::isdigit(static_cast<unsigned char>(line[6]))) {
                copyMode_ = true;
                return true;
            }
            std::size_t length = std::strlen(line);
            if (quotedPrintable_) length = static_cast<std::size_t>(decodeQuotedPrintableText(line));
            if (base64_) length = static_cast<std::size_t>(decodeBase64Text(line));
            lineOffset_ = out_.position();
            // The decoded length, not the text up to a NUL: decoded bytes may include NULs.
            if (!out_.write(line, length)) return false;
            if (!base64_ && !out_.write("\r\n")) return false;

            lowerCopy(std::string_view(line, length), lowerBuffer);
            const char* lower = lowerBuffer.c_str();
            if (std::strstr(lower, "content-") && std::strchr(lower, ':')) {
                if (boundaries_.empty()) {
                    if (std::strstr(lower, "quoted-printable")) quotedPrintable_ = true;
                    if (std::strstr(lower, "base64")) base64_ = true;
                }
                contentSeen_ = true;
                if (markerPending_) {
                    if (!boundaries_.empty() && std::strstr(lower, "multipart")) {
                        // A multipart first part: its own headers give way to plain text ones.
                        out_.seek(lineOffset_);
                        if (!out_.write(kReplacementHeaders)) return false;
                    }
                    if (partCount_ == 1) {
                        if (!out_.write(marker_.c_str())) return false;
                        markerPending_ = false;
                    }
                }
            }
            const char* boundaryWord = std::strstr(lower, "boundary");
            const char* equals = std::strchr(lower, '=');
            if (contentSeen_ && boundaryWord && boundaryParameter(std::string_view(line, length), boundary_)) {
                boundaries_.add(boundary_);
                contentSeen_ = false;
                continue;
            }
            if (contentSeen_ && boundaryWord && equals && equals > boundaryWord) {
                const char* value = line + (equals - lower) + 1;
                while (*value == ' ' || *value == '\t') ++value;
                boundaries_.add(boundaryValue(value));
                contentSeen_ = false;
                continue;
            }
            const Match boundary = boundaries_.find(line);
            if (boundary == Match::first && ++partCount_ == 2) return appendHtmlPart(line);
            if (boundary == Match::other) skipNestedPartHeaders();

            if (!headerSeen_)
                for (const char* name : kHeaderNames)
                    if (beginsWithNoCase(line, name)) headerSeen_ = true;
            if (boundaries_.empty() && headerSeen_ && line[0] == '\0' && partCount_ == 0) {
                // The blank line after a plain message's headers: only the body follows.
                partCount_ = 1;
                if (!out_.restart()) return false;
            }
            if (markerPending_ && lineCount_ == kSearchLineLimit) return true;
        }
    }

    bool markerWritten() const noexcept { return !markerPending_; }
    bool copyMode() const noexcept { return copyMode_; }
    bool base64() const noexcept { return base64_; }

private:
    // A boundary of a nested part: the boundary line (just written) and the part's headers
    // are left out, so that the sub-parts' bodies follow one another.
    void skipNestedPartHeaders() {
        out_.seek(lineOffset_);
        for (;;) {
            if (!readLine(message_, skipped_)) return;
            if (boundaries_.find(skipped_.c_str()) == Match::first) {
                message_.unread();  // the main pass reads it again
                return;
            }
            if (skipped_.empty()) return;
        }
    }

    // The second top-level part: when it is HTML (within its first lines), its body
    // follows the text, then the boundary line again.
    bool appendHtmlPart(const char* boundaryLine) {
        const std::string kept = std::string(boundaryLine) + "\r\n";
        const long keptOffset = lineOffset_;
        bool html = false;
        bool bodyStarted = false;
        int counter = 0;
        std::string buffer;
        std::string lowerBuffer;
        while (readLine(message_, buffer)) {
            const char* line = buffer.c_str();
            ++counter;
            lowerCopy(buffer, lowerBuffer);
            const char* lower = lowerBuffer.c_str();
            if (std::strstr(lower, "boundary") && boundaryParameter(buffer, boundary_)) {
                boundaries_.add(boundary_);
                continue;
            }
            if (const char* parameter = std::strstr(lower, "boundary=")) {
                boundaries_.add(boundaryValue(line + (parameter - lower) + 9));
                continue;
            }
            if (std::strstr(lower, "content-") && std::strchr(lower, ':') && std::strstr(lower, "text/html"))
                html = true;
            if (html && bodyStarted) {
                if (boundaries_.find(line) != Match::none) break;
                if (!out_.write(line) || !out_.write("\r\n")) return false;
            } else if (html && line[0] == '\0') {
                bodyStarted = true;
                out_.seek(keptOffset);  // the body replaces the boundary line written last
            } else if (!html && counter > kHtmlHeaderLineLimit) {
                break;
            }
        }
        if (bodyStarted && !out_.write(kept.c_str())) return false;
        return true;
    }

    LineSource& message_;
    IntermediateFile& out_;
    const std::string marker_;
    MessageBoundaries boundaries_;
    std::string skipped_;   // a line of a nested part's headers
    std::string boundary_;  // the boundary parameter of a header line
    long lineOffset_ = 0;  // where the line written last starts in the intermediate file
    int lineCount_ = 0;
    int partCount_ = 0;
    bool markerPending_ = true;
    bool copyMode_ = false;
    bool quotedPrintable_ = false;
    bool base64_ = false;
    bool contentSeen_ = false;
    bool headerSeen_ = false;
};

}  // namespace

int getMessageText(const char* messagePath, const char* targetPath) {
    const char* targetSeparator = platform::lastPathSeparator(targetPath);
    const std::string targetName = targetSeparator ? targetSeparator + 1 : targetPath;
    const std::string folder = targetSeparator ? directoryOf(targetPath) : directoryOf(messagePath);
    const std::string target = targetSeparator ? std::string(targetPath) : directoryOf(messagePath) + targetPath;

    platform::FileIdentity inputs[2];
    File message(platform::openInputFile(messagePath, &inputs[0]));
    if (!message) return 0;
    // The message itself, by any name, is never a target.
    if (!platform::isReplaceableOutput(target.c_str(), platform::ProtectedFiles{inputs, 1})) return 0;
    IntermediateFile intermediate;
    if (!intermediate.create(folder, kIntermediateName, target)) return 0;
    inputs[1] = intermediate.identity();
    const platform::ProtectedFiles refused{inputs, 2};

    LineSource source(message.get(), LineSourceOptions{kMaxTextLine, kDefaultReadSize});
    TextExtraction extraction(source, intermediate, "filename=\"" + targetName + "\"\r\n");
    const bool read = extraction.run();
    message.reset();
    if (!intermediate.finish() || !read) return 0;

    int result = 0;
    if (extraction.markerWritten()) {
        if (extraction.copyMode()) {
            if (!copyToTarget(intermediate.file(), target.c_str(), refused)) return 0;
            result = 5;
        } else {
            result = classicType(decodeStreamTo(intermediate.release(), target.c_str(), refused));
        }
    }
    return extraction.base64() ? 2 : result;
}

}  // namespace kodra
