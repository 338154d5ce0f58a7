#include "decode/section_scanner.h"

#include "binhex/binhex.h"
#include "decode/boundary_list.h"
#include "frame/file_names.h"
#include "frame/line_reader.h"
#include "message/encoded_words.h"

#include <algorithm>
#include <cstring>

namespace kodra {
namespace {

constexpr std::size_t kMaxSubtype = 20;

// Copies at most the room of a name buffer.
void setName(char* name, const char* text, std::size_t length) noexcept {
    length = std::min(length, static_cast<std::size_t>(kMaxLineLength));
    std::memmove(name, text, length);
    name[length] = '\0';
}

void appendName(char* name, const char* text, std::size_t length) noexcept {
    const std::size_t used = std::strlen(name);
    const std::size_t room = static_cast<std::size_t>(kMaxLineLength) - used;
    length = std::min(length, room);
    std::memcpy(name + used, text, length);
    name[used + length] = '\0';
}

void makeLowerCopy(const char* line, char* lowerLine) noexcept {
    std::size_t length = std::strlen(line);
    length = std::min(length, static_cast<std::size_t>(kMaxLineLength));
    std::memcpy(lowerLine, line, length);
    lowerLine[length] = '\0';
    lowerCaseText(lowerLine);
}

std::size_t clampedOffset(const char* line, std::size_t offset) noexcept {
    return std::min(offset, std::strlen(line));
}

bool contains(const char* text, const char* word) noexcept { return std::strstr(text, word) != nullptr; }

// A transfer encoding (or media type) whose body holds its own "begin" line or BinHex
// banner, which name and decode it: these parts are not text sections.
bool namesSelfFramedBody(const char* lowerLine) noexcept {
    if (contains(lowerLine, "content-transfer-encoding"))
        return contains(lowerLine, "uuencode") || contains(lowerLine, "x-uue") ||
               contains(lowerLine, "xxencode") || contains(lowerLine, "binhex");
    return contains(lowerLine, "content-type:") && contains(lowerLine, "mac-binhex");
}

// Step of a header block: the boundary parameter.
void readBoundary(BoundaryList& boundaries, const char* line, const char* lowerLine) noexcept {
    const char* word = std::strstr(lowerLine, "boundary");
    const char* equals = std::strchr(line, '=');
    if (!word || !equals || equals - line <= word - lowerLine) return;
    const char* value = equals + 1;
    while (*value == ' ' || *value == '\t') ++value;
    char copy[BoundaryList::kMaxBoundary + 1];
    if (*value == '"') {
        ++value;
        std::size_t length = std::min(std::strlen(value), BoundaryList::kMaxBoundary);
        std::memcpy(copy, value, length);
        copy[length] = '\0';
        if (char* close = std::strchr(copy, '"')) {
            *close = '\0';
        } else {
            // No closing quote: what it holds, less the two characters a line end took.
            length = length >= 2 ? length - 2 : 0;
            copy[length] = '\0';
        }
    } else {
        const std::size_t length = std::min(std::strlen(value), BoundaryList::kMaxBoundary);
        std::memcpy(copy, value, length);
        copy[length] = '\0';
    }
    boundaries.add(copy);
}

// Step of a header block: the name= or filename= parameter. Returns whether the name
// goes on in the following lines.
bool readNameParameter(std::FILE* input, char* line, const char* lowerLine, char* name) noexcept {
    const char* found = std::strstr(lowerLine, "name=");
    if (!found || contains(lowerLine, "</")) return false;
    const std::size_t equalsEnd = clampedOffset(line, static_cast<std::size_t>(found - lowerLine) + 5);
    bool continues = false;
    if (line[equalsEnd] == '"') {
        const std::size_t start = equalsEnd + 1;
        char* value = line + start;
        const int decoded = decodeEncodedWords(input, value, kLineBufferSize - start);
        if (const char* quote = std::strchr(value, '"')) {
            setName(name, value, static_cast<std::size_t>(quote - value));
        } else {
            setName(name, value, std::strlen(value));
            continues = decoded != 0;
        }
    } else {
        // An unquoted token ends at the first delimiter (RFC 2045, 5.1).
        char* value = line + equalsEnd;
        const std::size_t length = decodeEncodedWords(input, value, kLineBufferSize - equalsEnd)
                                       ? std::strcspn(value, ";\r\n\"")
                                       : std::strcspn(value, ";\r\n<>@,:[]?= \t\"");
        setName(name, value, length);
    }
    reduceToContentFileName(name);
    return continues;
}

struct HeaderBlock {
    int type = kNoSection;
    char subtype[kMaxSubtype + 1] = {};
    bool nameContinues = false;
    bool selfFramedBody = false;
};

void readTransferEncoding(const char* lowerLine, bool contentTypeLine, HeaderBlock& block,
                          ScanState& state) noexcept {
    if (block.selfFramedBody) return;
    if (namesSelfFramedBody(lowerLine)) {
        block.selfFramedBody = true;
        block.type = kNoSection;
        state.table = nullptr;
        return;
    }
    if (contentTypeLine && state.table) return;
    if (contains(lowerLine, "base64")) {
        block.type = kBase64Section;
        state.table = &base64Table;
    } else if (contains(lowerLine, "7bit")) {
        block.type = kTextSection;
        state.table = &xxTable;
        state.quotedPrintable = 0;
    } else if (contains(lowerLine, "quoted-printable")) {
        block.type = kTextSection;
        state.table = &xxTable;
        state.quotedPrintable = 1;
    } else if (contains(lowerLine, "text/plain") || contains(lowerLine, "text/html")) {
        block.type = kTextSection;
        state.table = &xxTable;
        state.quotedPrintable = 0;
    }
}

void readSubtype(const char* lowerLine, HeaderBlock& block) noexcept {
    const char* mark = std::strchr(lowerLine, '/');
    if (!mark) mark = std::strchr(lowerLine, '\\');
    if (!mark) return;
    const std::size_t length = std::min(std::strcspn(mark + 1, ";"), kMaxSubtype);
    std::memcpy(block.subtype, mark + 1, length);
    block.subtype[length] = '\0';
    if (std::strcmp(block.subtype, "msword") == 0) std::memcpy(block.subtype, "doc", 4);
}

// Reads a MIME part header from the current line to the blank line that ends it.
int scanHeaderBlock(BoundaryList& boundaries, std::FILE* input, char* lowerLine, char* line,
                    char* name, ScanState& state) noexcept {
    HeaderBlock block;
    for (;;) {
        if (block.nameContinues) {
            char* rest = line + std::strspn(line, "\t");
            const auto offset = static_cast<std::size_t>(rest - line);
            if (decodeEncodedWords(input, rest, kLineBufferSize - offset)) {
                if (const char* quote = std::strchr(rest, '"')) {
                    appendName(name, rest, static_cast<std::size_t>(quote - rest));
                    reduceToContentFileName(name);
                    block.nameContinues = false;
                }
            }
        }
        readBoundary(boundaries, line, lowerLine);
        const bool contentTypeLine = contains(lowerLine, "content-type:");
        if (readNameParameter(input, line, lowerLine, name)) block.nameContinues = true;
        readTransferEncoding(lowerLine, contentTypeLine, block, state);
        if (contentTypeLine && name[0] == '\0') readSubtype(lowerLine, block);
        if (!readTextLine(nullptr, input, line)) break;
        makeLowerCopy(line, lowerLine);
        if (lowerLine[0] == '\0') break;
    }
    if (block.selfFramedBody) name[0] = '\0';  // the body's own "begin" line or banner names it
    if (name[0] == '\0') {
        if (block.type == kBase64Section && block.subtype[0] != '\0') {
            std::memcpy(name, "Unknown.", sizeof "Unknown.");
            appendName(name, block.subtype, std::strlen(block.subtype));
            reduceToContentFileName(name);
        } else {
            block.type = kNoSection;
            state.table = nullptr;
            name[0] = '\0';
        }
    }
    return block.type;
}

// A "begin" line: mode digits, blanks, then the name. Returns whether it opens a section.
int scanBeginLine(std::FILE* input, char* line, char* name, ScanState& state) noexcept {
    const char* cursor = line + clampedOffset(line, 5);
    while (*cursor == ' ') ++cursor;
    if (*cursor < '0' || *cursor > '9') return kNoSection;
    cursor = std::strchr(cursor, ' ');
    if (!cursor) return kNoSection;
    while (*cursor == ' ') ++cursor;
    if (!*cursor) return kNoSection;
    char reduced[kLineBufferSize];
    setName(reduced, cursor, std::strlen(cursor));
    if (!reduceToContentFileName(reduced)) return kNoSection;  // a name of folders only
    std::memcpy(name, reduced, std::strlen(reduced) + 1);
    if (state.table != &userTable) state.table = &uuTable;
    if (readTextLine(nullptr, input, line)) {
        const auto first = static_cast<unsigned char>(line[0]);
        if (first > 'M' && first < 128 && state.table == &uuTable) state.table = &xxTable;
    }
    return kUuSection;
}

// Reads one line of a "table" header into userTable; false when it is not exactly 32
// characters of 7-bit codes.
bool readTableLine(std::FILE* input, char* line, int firstValue) noexcept {
    if (!readTextLine(nullptr, input, line) || std::strlen(line) != 32) return false;
    for (int i = 0; i < 32; ++i)
        if (static_cast<unsigned char>(line[i]) >= 128) return false;
    for (int i = 0; i < 32; ++i)
        userTable[static_cast<unsigned char>(line[i])] = static_cast<std::uint8_t>(firstValue + i);
    return true;
}

int scanTableHeader(std::FILE* input, char* lowerLine, char* line, char* name, ScanState& state) noexcept {
    userTable.fill(kNotInAlphabet);
    state.table = &userTable;
    if (!readTableLine(input, line, 0)) return kUuSection;
    readTableLine(input, line, 32);
    if (!readTextLine(nullptr, input, line)) return kUuSection;
    makeLowerCopy(line, lowerLine);
    if (std::strncmp(lowerLine, "begin", 5) == 0) scanBeginLine(input, line, name, state);
    return kUuSection;
}

int scanBinHex(std::FILE* input, char* line, char* name, ScanState& state) noexcept {
    const int form = detectBinHex(line, input);
    if (form != 1 && form != 2) return kNoSection;
    char stored[kBinHexNameBufferSize + 1] = {};
    const int accepted = form == 1 ? readBinHexHeader(input, stored) : readHexBinHeader(input, name, line);
    if (!accepted) return kNoSection;
    if (form == 1) {
        setName(name, stored, std::strlen(stored));
        reduceToContentFileName(name);
    }
    if (name[0] == '\0') {
        // Nothing to name the file by: read through the section, write nothing.
        decodeBinHexForks(input, nullptr, line);
        return kNoSection;
    }
    state.table = &base64Table;
    return kBinHexSection;
}

}  // namespace

int scanSectionLine(BoundaryList& boundaries, std::FILE* input, char* lowerLine, char* line, char* name,
                    ScanState& state) noexcept {
    int type = kNoSection;
    if (contains(lowerLine, "content-") && contains(lowerLine, ":"))
        type = scanHeaderBlock(boundaries, input, lowerLine, line, name, state);
    if (name[0] != '\0' && type == kNoSection) {
        type = kTextSection;
        state.table = &xxTable;
        state.quotedPrintable = 0;
    }
    if (std::strncmp(lowerLine, "begin", 5) == 0) {
        decodeEncodedWords(input, line, kLineBufferSize);
        if (const int begun = scanBeginLine(input, line, name, state)) type = begun;
    } else if (std::strncmp(lowerLine, "table", 5) == 0) {
        type = scanTableHeader(input, lowerLine, line, name, state);
    } else if (const int binHex = scanBinHex(input, line, name, state)) {
        type = binHex;
    }
    return type;
}

}  // namespace kodra
