#include "message/encoded_words.h"

#include "decode/text_decoders.h"
#include "encode/buffer_codec.h"
#include "frame/charset_text.h"
#include "frame/line_source.h"
#include "frame/utf8_text.h"
#include "message/line_text.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace kodra {
namespace {

// A word cut at the line end with fewer characters than this left is taken as ending
// there; a longer one is a folded header whose rest is on the next line.
constexpr std::ptrdiff_t kJoinThreshold = 30;

char lowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The first occurrence of lowerNeedle in text, ignoring the case of ASCII letters.
char* findNoCase(char* text, const char* lowerNeedle) noexcept {
    const std::size_t length = std::strlen(lowerNeedle);
    for (char* start = text; *start; ++start) {
        std::size_t i = 0;
        while (i < length && start[i] && lowerAscii(start[i]) == lowerNeedle[i]) ++i;
        if (i == length) return start;
    }
    return nullptr;
}

struct Word {
    char* start;    // the "=?"
    char* encoded;  // the encoded text, after "=?charset?X?"
    bool base64;
};

// Reads the lead "=?charset?X?" of a word at start; false when it is not well formed.
bool parseLead(char* start, Word& word) noexcept {
    char* mark = start + 2;
    while (*mark && *mark != '?' && *mark != ' ' && *mark != '\t') ++mark;
    if (*mark != '?') return false;
    const char mode = lowerAscii(mark[1]);
    if ((mode != 'q' && mode != 'b') || mark[2] != '?') return false;
    word = Word{start, mark + 3, mode == 'b'};
    return true;
}

// The first well-formed word in the charsets we understand, at or after from.
bool findWord(char* from, Word& word) noexcept {
    while (*from) {
        char* iso = findNoCase(from, "=?iso-8859-");
        char* big5 = findNoCase(from, "=?big5?");
        char* start = iso && (!big5 || iso < big5) ? iso : big5;
        if (!start) return false;
        if (parseLead(start, word)) return true;
        from = start + 2;
    }
    return false;
}

// Joins whole lines from a line source into a growing string, up to kMaxJoinedText.
class LineJoiner {
public:
    LineJoiner(LineSource& input, std::string& text) noexcept : input_(input), text_(text) {}
    char* text() noexcept { return text_.data(); }
    bool join(std::size_t length) noexcept {
        SourceLine line;
        if (!input_.next(line)) return false;
        // Each line counts its end as one byte, so that blank lines are bounded too.
        if (line.continues || line.text.size() >= kMaxJoinedText - joined_) {
            input_.unread();
            return false;
        }
        const std::string_view tail = classicLineText(line);
        text_.resize(length);
        try {
            text_.append(tail);
        } catch (...) {
            // Out of memory: the line stays in the input and the word ends here, as at the limit.
            input_.unread();
            return false;
        }
        joined_ += line.text.size() + 1;
        return true;
    }

private:
    LineSource& input_;
    std::string& text_;
    std::size_t joined_ = 0;
};

bool isBlankRun(const char* from, const char* to) noexcept {
    for (; from < to; ++from)
        if (*from != ' ' && *from != '\t') return false;
    return true;
}

// Decodes the encoded text at piece[0, size) in place; returns the bytes it keeps.
std::size_t decodePiece(char* piece, std::size_t size, bool base64) noexcept {
    if (base64) {
        piece[size] = '\0';  // only consumed text lies there
        return static_cast<std::size_t>(decodeBase64Text(piece));
    }
    for (std::size_t i = 0; i < size; ++i)
        if (piece[i] == '_') piece[i] = ' ';  // RFC 2047, 4.2 (2)
    return decodeQuotedPrintable(piece, size).kept;
}

// Decodes the words of joiner's NUL-terminated text in place; joiner.join(length) appends
// the next line at length and may move the text.
template <typename Joiner>
int decodeWords(Joiner& joiner) {
    char* text = joiner.text();
    Word word{};
    if (!text || !findWord(text, word)) return 0;
    // The decoded text is built in place: it never runs ahead of what is still to be read,
    // as every word loses at least its lead and its "?=".
    auto out = static_cast<std::size_t>(word.start - text);
    for (;;) {
        char* end = nullptr;
        for (;;) {
            end = std::strstr(word.encoded, "?=");
            if (end) break;
            // Measured from the word: decoding an earlier word may have left a NUL before it.
            char* lineEnd = word.encoded + std::strlen(word.encoded);
            const auto length = static_cast<std::size_t>(lineEnd - text);
            const auto encoded = static_cast<std::size_t>(word.encoded - text);
            if (lineEnd - word.encoded < kJoinThreshold || !joiner.join(length)) {
                end = lineEnd;
                break;
            }
            text = joiner.text();
            word.encoded = text + encoded;
        }
        char* after = *end ? end + 2 : end;
        const auto encodedSize = static_cast<std::size_t>(end - word.encoded);
        std::memmove(text + out, word.encoded, encodedSize);
        out += decodePiece(text + out, encodedSize, word.base64);

        Word following{};
        if (!findWord(after, following)) {
            std::memmove(text + out, after, std::strlen(after) + 1);
            return 1;
        }
        if (!isBlankRun(after, following.start)) {
            const auto gap = static_cast<std::size_t>(following.start - after);
            std::memmove(text + out, after, gap);
            out += gap;
        }
        word = following;
    }
}

}  // namespace

int decodeEncodedWords(LineSource& input, std::string& text) noexcept {
    LineJoiner joiner(input, text);
    const int found = decodeWords(joiner);
    if (found) text.resize(std::strlen(text.c_str()));
    return found;
}

}  // namespace kodra

namespace kodra {
namespace {

// One well-formed encoded word found in a text.
struct EncodedWord {
    std::string charset;  // its canonical name
    std::string bytes;    // the decoded bytes, still in that charset
    std::size_t length;   // of the whole word, "=?" to "?="
};

bool isLinearBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

int base64Value(char c) noexcept {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

int hexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = lowerAscii(c);
    if (lower >= 'a' && lower <= 'f') return lower - 'a' + 10;
    return -1;
}

// RFC 2047, 4.1: false when the text holds a character outside the alphabet or data after
// the padding. Unpadded text keeps its final partial group's whole bytes.
bool decodeBase64Word(std::string_view text, std::string& out) {
    std::uint32_t bits = 0;
    int count = 0;
    bool padding = false;
    for (const char c : text) {
        if (c == '=') {
            padding = true;
            continue;
        }
        const int value = base64Value(c);
        if (value < 0 || padding) return false;
        bits = (bits << 6 | static_cast<std::uint32_t>(value)) & 0xFFFFFF;
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(static_cast<char>(bits >> count & 0xFF));
        }
    }
    return true;
}

// RFC 2047, 4.2: "_" is a space, "=XX" a byte; an "=" without two hex digits stays.
void decodeQWord(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out.push_back(' ');
        } else if (c == '=' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out.push_back(static_cast<char>(hexValue(text[i + 1]) << 4 | hexValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(c);
        }
    }
}

// Reads the word "=?charset?B|Q?encoded?=" that begins at text[at]; false when there is
// none (RFC 2047, 2: no blanks or "?" inside its parts, a known mode letter).
bool parseEncodedWord(std::string_view text, std::size_t at, EncodedWord& word) {
    const std::size_t charsetStart = at + 2;
    const std::size_t charsetEnd = text.find('?', charsetStart);
    if (charsetEnd == std::string_view::npos || charsetEnd == charsetStart || charsetEnd + 2 >= text.size())
        return false;
    const char mode = lowerAscii(text[charsetEnd + 1]);
    if ((mode != 'b' && mode != 'q') || text[charsetEnd + 2] != '?') return false;
    const std::size_t encodedStart = charsetEnd + 3;
    const std::size_t encodedEnd = text.find('?', encodedStart);
    if (encodedEnd == std::string_view::npos || encodedEnd + 1 >= text.size() || text[encodedEnd + 1] != '=')
        return false;
    const std::string_view charset = text.substr(charsetStart, charsetEnd - charsetStart);
    const std::string_view encoded = text.substr(encodedStart, encodedEnd - encodedStart);
    for (const char c : charset)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return false;
    for (const char c : encoded)
        if (static_cast<unsigned char>(c) <= ' ' || c == 0x7F) return false;
    word.charset = canonicalCharsetName(charset);
    word.bytes.clear();
    if (mode == 'b') {
        if (!decodeBase64Word(encoded, word.bytes)) return false;
    } else {
        decodeQWord(encoded, word.bytes);
    }
    word.length = encodedEnd + 2 - at;
    return true;
}

bool isBlankRun(std::string_view text) noexcept {
    for (const char c : text)
        if (!isLinearBlank(c)) return false;
    return true;
}

}  // namespace

std::string decodeEncodedWordsToUtf8(std::string_view text) {
    std::string out;
    // Adjacent words in one charset gather here before conversion: a sender may cut a
    // multibyte character between two of them (RFC 2047, 5 and 6.2).
    std::string pendingCharset;
    std::string pendingBytes;
    bool pending = false;
    const auto flush = [&] {
        if (pending) out += charsetToUtf8(pendingCharset, pendingBytes);
        pending = false;
    };
    std::size_t textStart = 0;  // the text not yet taken
    std::size_t from = 0;
    EncodedWord word;
    for (;;) {
        const std::size_t at = text.find("=?", from);
        if (at == std::string_view::npos) break;
        if (!parseEncodedWord(text, at, word)) {
            from = at + 1;
            continue;
        }
        const std::string_view gap = text.substr(textStart, at - textStart);
        // RFC 2047, 6.2: blanks between two adjacent words are dropped.
        if (!(pending && isBlankRun(gap))) {
            flush();
            out += utf8OrLatin1(gap);
        }
        if (pending && word.charset == pendingCharset && !word.charset.empty()) {
            pendingBytes += word.bytes;
        } else {
            flush();
            pendingCharset = word.charset;
            pendingBytes = word.bytes;
            pending = true;
        }
        textStart = from = at + word.length;
    }
    flush();
    out += utf8OrLatin1(text.substr(textStart));
    return out;
}

}  // namespace kodra
