#include "message/message_text.h"

#include "decode/text_decoders.h"
#include "encode/buffer_codec.h"
#include "frame/line_reader.h"
#include "frame/name_list.h"
#include "frame/stdio_file.h"
#include "kodra32.h"
#include "platform/platform.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace kodra {
namespace {

constexpr char kIntermediateName[] = "54sfh$42";
constexpr std::size_t kMaxBoundary = 128;
constexpr int kMarkerLineLimit = 100;  // a plain message's blank line must come before this line
constexpr int kSearchLineLimit = 200;  // give up when no marker was placed by this line
constexpr int kHtmlHeaderLineLimit = 20;
constexpr char kReplacementHeaders[] =
    "Content-Type: text/plain; charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: quoted-printable\r\n";
constexpr const char* kHeaderNames[] = {"from:",     "to:",           "subject:",   "date:",
                                        "cc:",       "reply-to:",     "organization:", "message-id:"};

using File = StdioFile;

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

// The intermediate file: created new (never through a link, never over anything that
// stands there) and removed again however the call ends.
class IntermediateFile {
public:
    // Creates "54sfh$42.1" in folder, or a numbered variant when that name is taken.
    bool create(const std::string& folder) {
        for (int number = 1; number < 1000; ++number) {
            std::string candidate = folder + kIntermediateName + "." + std::to_string(number);
            if (std::FILE* file = platform::createNewFile(candidate.c_str())) {
                file_.reset(file);
                path_ = std::move(candidate);
                return true;
            }
            if (!platform::pathExists(candidate.c_str())) return false;  // not a name clash
        }
        return false;
    }
    ~IntermediateFile() {
        file_.reset();
        if (!path_.empty()) platform::deleteFile(path_.c_str());
    }

    std::FILE* file() const noexcept { return file_.get(); }
    const std::string& path() const noexcept { return path_; }
    long position() const noexcept { return std::ftell(file_.get()); }
    void seek(long offset) const noexcept { std::fseek(file_.get(), offset, SEEK_SET); }
    bool write(const char* bytes, std::size_t size) const noexcept {
        return std::fwrite(bytes, 1, size, file_.get()) == size;
    }
    bool write(const char* text) const noexcept { return write(text, std::strlen(text)); }

    // Empties the file and starts writing at its beginning again.
    bool restart() const noexcept {
        std::fflush(file_.get());
        std::error_code error;
        std::filesystem::resize_file(path_, 0, error);
        std::rewind(file_.get());
        return !error;
    }

    // Closes the file, cutting off whatever lies beyond the last write (writes that
    // stepped back over a line may have left a longer tail). False on a write error.
    bool finish() {
        const long end = std::ftell(file_.get());
        const bool written = end >= 0 && std::fflush(file_.get()) == 0 && !std::ferror(file_.get());
        file_.reset();
        std::error_code error;
        if (written) std::filesystem::resize_file(path_, static_cast<std::uintmax_t>(end), error);
        return written && !error;
    }

private:
    File file_;
    std::string path_;
};

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

class TextExtraction {
public:
    TextExtraction(std::FILE* message, IntermediateFile& intermediate, std::string marker)
        : message_(message), out_(intermediate), marker_(std::move(marker)) {}

    // Runs the single pass over the message; false on a write error.
    bool run() {
        char line[kLineBufferSize];
        char lower[kLineBufferSize];
        for (;;) {
            if (!readTextLine(nullptr, message_, line)) return true;
            ++lineCount_;
            if (markerPending_ && boundaries_.count() == 0 && line[0] == '\0' && partCount_ == 0 &&
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

            std::memcpy(lower, line, length);
            lower[length] = '\0';
            lowerCaseText(lower);
            if (std::strstr(lower, "content-") && std::strchr(lower, ':')) {
                if (boundaries_.count() == 0) {
                    if (std::strstr(lower, "quoted-printable")) quotedPrintable_ = true;
                    if (std::strstr(lower, "base64")) base64_ = true;
                }
                contentSeen_ = true;
                if (markerPending_) {
                    if (boundaries_.count() > 0 && std::strstr(lower, "multipart")) {
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
            if (contentSeen_ && boundaryWord && equals && equals > boundaryWord) {
                const char* value = line + (equals - lower) + 1;
                while (*value == ' ' || *value == '\t') ++value;
                boundaries_.add(boundaryValue(value).c_str());
                contentSeen_ = false;
                continue;
            }
            const int boundary = findBoundary(boundaries_, line, 1);
            if (boundary == 1 && ++partCount_ == 2) return appendHtmlPart(line);
            if (boundary > 1) skipNestedPartHeaders();

            if (!headerSeen_)
                for (const char* name : kHeaderNames)
                    if (beginsWithNoCase(line, name)) headerSeen_ = true;
            if (boundaries_.count() == 0 && headerSeen_ && line[0] == '\0' && partCount_ == 0) {
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
        char line[kLineBufferSize];
        for (;;) {
            const long before = std::ftell(message_);
            if (!readTextLine(nullptr, message_, line)) return;
            if (findBoundary(boundaries_, line, 1) == 1) {
                std::fseek(message_, before, SEEK_SET);  // the main pass reads it again
                return;
            }
            if (line[0] == '\0') return;
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
        char line[kLineBufferSize];
        char lower[kLineBufferSize];
        while (readTextLine(nullptr, message_, line)) {
            ++counter;
            std::memcpy(lower, line, std::strlen(line) + 1);
            lowerCaseText(lower);
            if (const char* parameter = std::strstr(lower, "boundary=")) {
                boundaries_.add(boundaryValue(line + (parameter - lower) + 9).c_str());
                continue;
            }
            if (std::strstr(lower, "content-") && std::strchr(lower, ':') && std::strstr(lower, "text/html"))
                html = true;
            if (html && bodyStarted) {
                if (findBoundary(boundaries_, line, 1) != 0) break;
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

    std::FILE* message_;
    IntermediateFile& out_;
    const std::string marker_;
    NameList boundaries_;
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

    File message(platform::openInputFile(messagePath));
    if (!message) return 0;
    IntermediateFile intermediate;
    if (!intermediate.create(folder)) return 0;

    TextExtraction extraction(message.get(), intermediate, "filename=\"" + targetName + "\"\r\n");
    const bool read = extraction.run();
    message.reset();
    if (!intermediate.finish() || !read) return 0;

    int result = 0;
    if (extraction.markerWritten()) {
        const std::string target = targetSeparator ? std::string(targetPath) : directoryOf(messagePath) + targetPath;
        if (extraction.copyMode()) {
            if (!platform::copyFileReplacing(intermediate.path().c_str(), target.c_str())) return 0;
            result = 5;
        } else {
            result = DecodeFile(intermediate.path().c_str(), target.c_str(), 1);
        }
    }
    return extraction.base64() ? 2 : result;
}

}  // namespace kodra
