#include "archive/manifest_reader.h"

#include "frame/line_source.h"
#include "frame/stdio_file.h"
#include "platform/platform.h"

#include <cstdlib>

namespace kodra {
namespace {

// A cursor over one JSON object of strings, integers and null (the manifest's values).
class FlatJson {
public:
    explicit FlatJson(std::string_view text) noexcept : text_(text) {}

    bool expect(char c) noexcept {
        skipBlanks();
        if (at_ >= text_.size() || text_[at_] != c) return false;
        ++at_;
        return true;
    }
    bool peek(char c) noexcept {
        skipBlanks();
        return at_ < text_.size() && text_[at_] == c;
    }

    // A string value into out (escapes resolved; \u escapes written as UTF-8).
    bool string(std::string& out) {
        if (!expect('"')) return false;
        out.clear();
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char escaped = text_[at_++];
            switch (escaped) {
                case 'n': out += '\n'; break;
                case 'r': out += '\r'; break;
                case 't': out += '\t'; break;
                case 'b': out += '\b'; break;
                case 'f': out += '\f'; break;
                case 'u': {
                    if (at_ + 4 > text_.size()) return false;
                    const std::string hex(text_.substr(at_, 4));
                    at_ += 4;
                    char* end = nullptr;
                    const unsigned long code = std::strtoul(hex.c_str(), &end, 16);
                    if (end != hex.c_str() + 4) return false;
                    appendUtf8(out, code);
                    break;
                }
                default: out += escaped;
            }
        }
        return false;
    }

    // Any value: a string, null, or a number or word (as its text).
    bool value(std::optional<std::string>& out) {
        skipBlanks();
        if (peek('"')) {
            std::string text;
            if (!string(text)) return false;
            out = std::move(text);
            return true;
        }
        const std::size_t start = at_;
        while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '}' && text_[at_] != ' ') ++at_;
        const std::string_view word = text_.substr(start, at_ - start);
        if (word.empty()) return false;
        if (word == "null") out.reset();
        else out = std::string(word);
        return true;
    }

private:
    void skipBlanks() noexcept {
        while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) ++at_;
    }
    static void appendUtf8(std::string& out, unsigned long code) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

std::optional<MessageKey> readRecordKey(std::string_view line) {
    FlatJson json(line);
    if (!json.expect('{')) return std::nullopt;
    MessageKey key;
    bool haveInput = false;
    bool haveOffset = false;
    if (!json.peek('}')) {
        for (;;) {
            std::string name;
            std::optional<std::string> value;
            if (!json.string(name) || !json.expect(':') || !json.value(value)) return std::nullopt;
            if (name == "input" && value) {
                key.input = *value;
                haveInput = true;
            } else if (name == "offset") {
                haveOffset = true;
                if (value) {
                    char* end = nullptr;
                    key.offset = std::strtoll(value->c_str(), &end, 10);
                    if (!end || *end) return std::nullopt;
                }
            } else if (name == "file") {
                key.file = value;
            }
            if (json.expect(',')) continue;
            if (json.expect('}')) break;
            return std::nullopt;
        }
    }
    if (!haveInput || !haveOffset) return std::nullopt;
    return key;
}

std::set<MessageKey> readManifestKeys(const char* path) {
    std::set<MessageKey> keys;
    StdioFile file(platform::openInputFile(path));
    if (!file) return keys;
    LineSource source(file.get());
    SourceLine line;
    std::string whole;
    while (source.next(line)) {
        whole.append(line.text.data(), line.text.size());
        if (line.continues) continue;
        // Only a line that ended is a whole record: an interrupted write leaves none.
        if (line.end != LineEnd::kNone)
            if (std::optional<MessageKey> key = readRecordKey(whole)) keys.insert(std::move(*key));
        whole.clear();
    }
    return keys;
}

}  // namespace kodra
