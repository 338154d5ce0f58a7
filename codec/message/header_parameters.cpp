#include "message/header_parameters.h"

#include "frame/charset_text.h"
#include "frame/line_source.h"
#include "frame/utf8_text.h"
#include "message/encoded_words.h"

#include <algorithm>
#include <cstring>

namespace kodra {
namespace {

constexpr int kMaxSectionDigits = 4;

char lowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A character of an RFC 2045 token; bytes above 127 count, as real mail holds them raw.
bool isTokenChar(char c) noexcept {
    const auto code = static_cast<unsigned char>(c);
    if (code <= 0x20 || code == 0x7F) return false;
    return std::strchr("()<>@,;:\\\"/[]?=", c) == nullptr;
}

int hexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    c = lowerAscii(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Appends text to out without taking out past kMaxParameterValue.
void appendCapped(std::string& out, std::string_view text) {
    if (out.size() >= kMaxParameterValue) return;
    out.append(text.substr(0, kMaxParameterValue - out.size()));
}

// Appends text with its %XX triplets (RFC 2231, 4) decoded; a "%" without two hex digits
// stands for itself.
void appendPercentDecoded(std::string& out, std::string_view text) {
    out.reserve(std::min(out.size() + text.size(), kMaxParameterValue));
    std::size_t start = 0;
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        if (text[i] != '%') continue;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) continue;
        appendCapped(out, text.substr(start, i - start));
        const char byte = static_cast<char>(high << 4 | low);
        appendCapped(out, std::string_view(&byte, 1));
        i += 2;
        start = i + 1;
    }
    appendCapped(out, text.substr(start));
}

// Bytes in a charset named by an RFC 2231 value, as UTF-8; no charset: UTF-8 or Latin-1.
std::string charsetText(std::string_view charset, std::string_view bytes) {
    return charset.empty() ? utf8OrLatin1(bytes) : charsetToUtf8(charset, bytes);
}

// A plain value as UTF-8. Many mailers put RFC 2047 encoded words in quoted parameter
// values, against RFC 2047, 5 (3); they are decoded. Words the UTF-8 decoder leaves as
// they stand (one cut before its "?=", or in a charset it does not convert) are read by
// the tolerant classic decoder, its bytes taken as UTF-8 or Latin-1.
std::string plainText(std::string_view raw) {
    std::string text = decodeEncodedWordsToUtf8(raw);
    if (raw.find("=?") == std::string_view::npos || text != utf8OrLatin1(raw)) return text;
    std::string classic(raw);
    LineSource nothing(classic.data(), 0);
    if (!decodeEncodedWords(nothing, classic)) return text;
    return utf8OrLatin1(classic);
}

// The value of an RFC 2231 extended parameter: "charset'language'" (both may be empty)
// and the encoded text; without the two quotes the whole is the text.
struct ExtendedValue {
    std::string_view charset;
    std::string_view text;
};

ExtendedValue splitExtended(std::string_view value) noexcept {
    const std::size_t first = value.find('\'');
    const std::size_t second = first == std::string_view::npos ? first : value.find('\'', first + 1);
    if (second == std::string_view::npos) return {std::string_view(), value};
    return {value.substr(0, first), value.substr(second + 1)};
}

// Reads one field body; positions only move forward, so the work is linear in its length.
class FieldParser {
public:
    explicit FieldParser(std::string_view text) noexcept : text_(text) {}

    void readValue(std::string& value) {
        skipBlanksAndComments();
        const std::size_t start = at_;
        const std::string_view type = readToken();
        if (type.empty()) return;
        std::size_t after = at_;
        skipBlanksAndComments();
        if (more() && text_[at_] == '=') {
            at_ = start;  // no value: the field begins with a parameter
            return;
        }
        value.assign(type.substr(0, kMaxFieldValue));
        if (more() && (text_[at_] == '/' || text_[at_] == '\\')) {
            appendLimited(value, text_.substr(at_++, 1));
            skipBlanksAndComments();
            appendLimited(value, readToken());
            after = at_;
        }
        at_ = after;
        for (char& c : value) c = lowerAscii(c);
        if (!isUtf8(value)) value = utf8OrLatin1(value);
    }

    void readParameters(std::vector<HeaderParameter>& parameters) {
        while (parameters.size() < kMaxHeaderParameters) {
            skipBlanksAndComments();
            if (!more()) return;
            if (text_[at_] == ';') {
                ++at_;
                continue;
            }
            readParameter(parameters);
        }
    }

private:
    bool more() const noexcept { return at_ < text_.size(); }

    static void appendLimited(std::string& value, std::string_view text) {
        if (value.size() < kMaxFieldValue) value.append(text.substr(0, kMaxFieldValue - value.size()));
    }

    std::string_view readToken() noexcept {
        const std::size_t start = at_;
        while (more() && isTokenChar(text_[at_])) ++at_;
        return text_.substr(start, at_ - start);
    }

    // Skips blanks and comments, "(" to its matching ")" with nesting and "\" escapes
    // (RFC 5322, 3.2.2); a comment left open runs to the end.
    void skipBlanksAndComments() noexcept {
        while (more()) {
            if (isBlank(text_[at_])) {
                ++at_;
            } else if (text_[at_] == '(') {
                int depth = 0;
                while (more()) {
                    const char c = text_[at_++];
                    if (c == '\\') {
                        if (more()) ++at_;
                    } else if (c == '(') {
                        ++depth;
                    } else if (c == ')' && --depth == 0) {
                        break;
                    }
                }
            } else {
                return;
            }
        }
    }

    // A quoted string from its opening quote (RFC 5322, 3.2.4). "\" escapes only a quote or
    // a backslash: before any other character it stands for itself, as in the Windows paths
    // mailers write unescaped. An unclosed string runs to the end, less trailing blanks.
    void readQuoted(std::string* out) {
        ++at_;
        std::size_t start = at_;
        while (more()) {
            const char c = text_[at_];
            if (c == '"') {
                if (out) appendCapped(*out, text_.substr(start, at_ - start));
                ++at_;
                return;
            }
            if (c == '\\' && at_ + 1 < text_.size() && (text_[at_ + 1] == '"' || text_[at_ + 1] == '\\')) {
                if (out) appendCapped(*out, text_.substr(start, at_ - start));
                start = at_ + 1;
                at_ += 2;
                continue;
            }
            ++at_;
        }
        std::size_t end = at_;
        while (end > start && isBlank(text_[end - 1])) --end;
        if (out) appendCapped(*out, text_.substr(start, end - start));
    }

    static bool endsUnquoted(char c) noexcept { return c == ';' || c == '"' || c == '(' || isBlank(c); }

    // Whether a parameter ("attribute =") starts at index from.
    bool parameterAt(std::size_t from) const noexcept {
        std::size_t i = from;
        while (i < text_.size() && isTokenChar(text_[i])) ++i;
        if (i == from) return false;
        while (i < text_.size() && isBlank(text_[i])) ++i;
        return i < text_.size() && text_[i] == '=';
    }

    // An unquoted value: a token in the wide sense real mail needs (encoded words, "=" and
    // "?" included). Blanks inside it are kept when what follows is neither a parameter,
    // a ";" nor a comment: an unquoted name with a blank in it stays whole.
    void readUnquoted(std::string& out) {
        const std::size_t start = at_;
        std::size_t end = at_;
        for (;;) {
            while (more() && !endsUnquoted(text_[at_])) ++at_;
            end = at_;
            std::size_t next = at_;
            while (next < text_.size() && isBlank(text_[next])) ++next;
            if (next == at_ || next >= text_.size() || !isTokenChar(text_[next]) || parameterAt(next)) break;
            at_ = next;
        }
        at_ = end;
        appendCapped(out, text_.substr(start, end - start));
    }

    // Skips what cannot be read as a parameter, up to the next ";" outside quoted strings
    // and comments.
    void skipToSemicolon() {
        while (more() && text_[at_] != ';') {
            if (text_[at_] == '"') readQuoted(nullptr);
            else if (text_[at_] == '(') skipBlanksAndComments();
            else ++at_;
        }
    }

    void readParameter(std::vector<HeaderParameter>& parameters) {
        const std::string_view attribute = readToken();
        if (attribute.empty()) {
            skipToSemicolon();
            return;
        }
        skipBlanksAndComments();
        if (!more() || text_[at_] != '=') {
            skipToSemicolon();
            return;
        }
        ++at_;
        skipBlanksAndComments();
        HeaderParameter parameter;
        if (more() && text_[at_] == '"') readQuoted(&parameter.value);
        else readUnquoted(parameter.value);
        if (attribute.size() > kMaxParameterName || !nameParameter(attribute, parameter)) return;
        parameters.push_back(std::move(parameter));
    }

    // Sets the name, section and extended flag from an attribute; false when no name is left.
    static bool nameParameter(std::string_view attribute, HeaderParameter& parameter) {
        std::string name(attribute);
        for (char& c : name) c = lowerAscii(c);
        const std::size_t star = name.find('*');
        if (star != std::string::npos) {
            const std::string_view rest = std::string_view(name).substr(star + 1);
            std::size_t digits = 0;
            while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
            const std::string_view after = rest.substr(digits);
            if (rest.empty()) {
                parameter.extended = true;
                name.resize(star);
            } else if (digits > 0 && digits <= kMaxSectionDigits && (after.empty() || after == "*")) {
                int section = 0;
                for (std::size_t i = 0; i < digits; ++i) section = section * 10 + (rest[i] - '0');
                parameter.section = section;
                parameter.extended = !after.empty();
                name.resize(star);
            }
            // Anything else is no RFC 2231 name: kept whole, it matches no lookup.
        }
        if (name.empty()) return false;
        parameter.name = std::move(name);
        return true;
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

}  // namespace

const std::string* HeaderParameters::plain(std::string_view name) const noexcept {
    for (const HeaderParameter& parameter : parameters_)
        if (parameter.section < 0 && !parameter.extended && parameter.name == name) return &parameter.value;
    return nullptr;
}

std::optional<std::string> HeaderParameters::text(std::string_view name) const {
    std::vector<const HeaderParameter*> sections;
    for (const HeaderParameter& parameter : parameters_) {
        if (parameter.name != name) continue;
        if (parameter.section < 0 && parameter.extended) {
            const ExtendedValue value = splitExtended(parameter.value);
            std::string bytes;
            appendPercentDecoded(bytes, value.text);
            return charsetText(value.charset, bytes);
        }
        if (parameter.section >= 0) sections.push_back(&parameter);
    }
    // RFC 2231, 3: the sections in the order of their numbers, the first of each number,
    // up to the first number missing; the charset is section 0's.
    std::string bytes;
    std::string_view charset;
    bool encoded = false;
    int joined = 0;
    for (bool found = true; found && bytes.size() < kMaxParameterValue;) {
        found = false;
        for (const HeaderParameter* section : sections) {
            if (section->section != joined) continue;
            found = true;
            std::string_view text = section->value;
            if (!section->extended) {
                appendCapped(bytes, text);
            } else {
                if (joined == 0) {
                    const ExtendedValue value = splitExtended(text);
                    charset = value.charset;
                    text = value.text;
                }
                encoded = true;
                appendPercentDecoded(bytes, text);
            }
            ++joined;
            break;
        }
    }
    if (joined > 0) return encoded ? charsetText(charset, bytes) : plainText(bytes);
    if (const std::string* value = plain(name)) return plainText(*value);
    return std::nullopt;
}

HeaderParameters parseHeaderParameters(std::string_view field) {
    HeaderParameters result;
    FieldParser parser(field);
    parser.readValue(result.value_);
    parser.readParameters(result.parameters_);
    return result;
}

HeaderParameters parseParameterList(std::string_view text) {
    HeaderParameters result;
    FieldParser parser(text);
    parser.readParameters(result.parameters_);
    return result;
}

bool splitHeaderField(std::string_view line, std::string_view& name, std::string_view& body) noexcept {
    std::size_t end = 0;
    while (end < line.size() && line[end] > ' ' && line[end] < 0x7F && line[end] != ':') ++end;
    if (end == 0) return false;
    std::size_t colon = end;
    while (colon < line.size() && (line[colon] == ' ' || line[colon] == '\t')) ++colon;
    if (colon >= line.size() || line[colon] != ':') return false;
    name = line.substr(0, end);
    body = line.substr(colon + 1);
    return true;
}

bool equalsLowerCase(std::string_view name, std::string_view word) noexcept {
    if (name.size() != word.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (lowerAscii(name[i]) != word[i]) return false;
    return true;
}

}  // namespace kodra
