#include "decode/section_scanner.h"

#include "decode/boundary_list.h"
#include "frame/charset_text.h"
#include "frame/file_name_limit.h"
#include "frame/file_names.h"
#include "frame/utf8_text.h"
#include "message/encoded_words.h"
#include "message/header_parameters.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>
#include <string_view>

namespace kodra {
namespace {

constexpr std::size_t kMaxSubtype = 20;
// Bytes kept of one unfolded Content-Type or Content-Disposition field: far beyond any
// real one, and a bound on what a hostile header block makes the scanner hold.
constexpr std::size_t kMaxUnfoldedField = 256 * 1024;
constexpr char kUnnamedBeginFile[] = "Unknown.bin";

bool contains(const std::string& text, const char* word) noexcept { return text.find(word) != std::string::npos; }

bool startsWith(const std::string& text, const char* word) noexcept {
    return text.compare(0, std::strlen(word), word) == 0;
}

void makeLowerCopy(const std::string& line, std::string& lowerLine) {
    lowerLine = line;
    for (char& c : lowerLine)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

// Reduces name in place (up to its first NUL) to a bare file name and cuts it to
// kMaxFileNameBytes; false (name emptied) when nothing is left.
bool reduceName(std::string& name) {
    name.push_back('\0');
    const bool kept = reduceToContentFileName(&name[0]);
    name.resize(std::strlen(name.c_str()));
    limitFileName(name);
    return kept;
}

// As reduceName, for a name from a MIME header or a "begin" line: first made UTF-8, bytes
// that are not read as Latin-1, so that a decoded or 8-bit name never reaches a file
// system raw.
bool reduceMimeName(std::string& name) {
    name.resize(std::strlen(name.c_str()));
    if (!isUtf8(name)) name = utf8OrLatin1(name);
    return reduceName(name);
}

// As reduceName, for the name a BinHex header stores: a Macintosh file name, in Mac OS
// Roman unless it is UTF-8 already.
bool reduceBinHexName(std::string& name) {
    name.resize(std::strlen(name.c_str()));
    if (!isUtf8(name)) name = charsetToUtf8("macintosh", name);
    return reduceName(name);
}

// A transfer encoding (or media type) whose body holds its own "begin" line or BinHex
// banner, which name and decode it: these parts are not text sections.
bool namesSelfFramedBody(const std::string& lowerLine) noexcept {
    if (contains(lowerLine, "content-transfer-encoding"))
        return contains(lowerLine, "uuencode") || contains(lowerLine, "x-uue") ||
               contains(lowerLine, "xxencode") || contains(lowerLine, "binhex");
    return contains(lowerLine, "content-type:") && contains(lowerLine, "mac-binhex");
}

// Step of a header block: the boundary parameter as the line-level reader finds it.
void readBoundary(std::vector<std::string>& boundaries, const std::string& line, const std::string& lowerLine) {
    const std::size_t word = lowerLine.find("boundary");
    const std::size_t equals = line.find('=');
    if (word == std::string::npos || equals == std::string::npos || equals <= word) return;
    std::size_t value = equals + 1;
    while (value < line.size() && (line[value] == ' ' || line[value] == '\t')) ++value;
    std::string copy;
    if (value < line.size() && line[value] == '"') {
        ++value;
        copy = line.substr(value, BoundaryList::kMaxBoundary);
        const std::size_t close = copy.find('"');
        if (close != std::string::npos) {
            copy.resize(close);
        } else {
            // No closing quote: what it holds, less the two characters a line end took.
            copy.resize(copy.size() >= 2 ? copy.size() - 2 : 0);
        }
    } else {
        copy = line.substr(std::min(value, line.size()), BoundaryList::kMaxBoundary);
    }
    boundaries.push_back(std::move(copy));
}

// Decodes the encoded words of text (joining following lines of input into a word cut
// at the line end); 1 when it held one.
int decodeWords(LineSource& input, std::string& text) { return decodeEncodedWords(input, text); }

// Step of a header block: the name= or filename= parameter as the line-level reader finds
// it; matched is set when the line has one. Returns whether the name goes on in the
// following lines.
bool readNameParameter(LineSource& input, std::string& line, const std::string& lowerLine, std::string& name,
                       bool& matched) {
    const std::size_t found = lowerLine.find("name=");
    if (found == std::string::npos || contains(lowerLine, "</")) return false;
    matched = true;
    const std::size_t equalsEnd = std::min(found + 5, line.size());
    bool continues = false;
    if (equalsEnd < line.size() && line[equalsEnd] == '"') {
        std::string value = line.substr(equalsEnd + 1);
        const int decoded = decodeWords(input, value);
        const std::size_t quote = value.find('"');
        if (quote != std::string::npos) {
            name.assign(value, 0, quote);
        } else {
            name = value;
            continues = decoded != 0;
        }
    } else {
        // An unquoted token ends at the first delimiter (RFC 2045, 5.1).
        std::string value = line.substr(equalsEnd);
        const std::size_t end =
            decodeWords(input, value) ? value.find_first_of(";\r\n\"") : value.find_first_of(";\r\n<>@,:[]?= \t\"");
        name.assign(value, 0, end);
    }
    name.resize(std::strlen(name.c_str()));  // a decoded word may hold a NUL: the name ends there
    reduceName(name);
    return continues;
}

enum class Field { other, contentType, contentDisposition };

struct HeaderBlock {
    int type = kNoSection;
    std::string subtype;
    bool selfFramedBody = false;
    // The Content-Type or Content-Disposition field being read, unfolded (RFC 5322,
    // 2.2.3), and what the parsed fields gave.
    Field field = Field::other;
    std::string fieldBody;
    bool typeParsed = false;
    std::string mediaType;                  // of the first Content-Type field
    std::vector<std::string> boundaries;    // of every Content-Type field
    std::optional<std::string> typeName;    // name*= or name= (UTF-8)
    std::optional<std::string> fileName;    // filename*= or filename= (UTF-8)
    std::string rawTypeName, rawFileName;   // the same as written
    // What the line-level readers find, taken only where the fields give nothing.
    std::string lineName;
    bool lineNameFound = false;
    bool nameContinues = false;
    std::vector<std::string> lineBoundaries;
};

void appendToField(HeaderBlock& block, std::string_view text) {
    if (block.field == Field::other || block.fieldBody.size() >= kMaxUnfoldedField) return;
    block.fieldBody.append(text.substr(0, kMaxUnfoldedField - block.fieldBody.size()));
}

// A non-empty parameter as UTF-8, or nothing.
std::optional<std::string> nonEmptyText(const HeaderParameters& parameters, std::string_view name) {
    std::optional<std::string> text = parameters.text(name);
    if (text && text->empty()) text.reset();
    return text;
}

// The parameter called name as the field writes it: the plain value, else the extended
// sections' values joined, undecoded; empty when there is none.
std::string rawParameter(const HeaderParameters& parameters, std::string_view name) {
    if (const std::string* plain = parameters.plain(name)) return *plain;
    std::string joined;
    for (const HeaderParameter& parameter : parameters.parameters())
        if (parameter.name == name) joined += parameter.value;
    return joined;
}

// Parses the field read so far, if it is one the block wants, and starts over.
void finishField(HeaderBlock& block) {
    if (block.field == Field::contentType) {
        const HeaderParameters parameters = parseHeaderParameters(block.fieldBody);
        if (!block.typeParsed) {
            block.typeParsed = true;
            block.mediaType = parameters.value();
        }
        if (const std::string* boundary = parameters.plain("boundary")) block.boundaries.push_back(*boundary);
        else if (std::optional<std::string> text = parameters.text("boundary")) block.boundaries.push_back(*text);
        if (!block.typeName) {
            block.typeName = nonEmptyText(parameters, "name");
            if (block.typeName) block.rawTypeName = rawParameter(parameters, "name");
        }
    } else if (block.field == Field::contentDisposition) {
        if (!block.fileName) {
            const HeaderParameters parameters = parseHeaderParameters(block.fieldBody);
            block.fileName = nonEmptyText(parameters, "filename");
            if (block.fileName) block.rawFileName = rawParameter(parameters, "filename");
        }
    }
    block.field = Field::other;
    block.fieldBody.clear();
}

// Takes a line of the header block into the fields: a folded line continues the field
// being read, any other line ends it and may begin a new one.
void collectField(HeaderBlock& block, std::string_view line) {
    if (!line.empty() && (line[0] == ' ' || line[0] == '\t')) {
        appendToField(block, line);
        return;
    }
    finishField(block);
    std::string_view fieldName;
    std::string_view body;
    if (!splitHeaderField(line, fieldName, body)) return;
    if (equalsLowerCase(fieldName, "content-type")) block.field = Field::contentType;
    else if (equalsLowerCase(fieldName, "content-disposition")) block.field = Field::contentDisposition;
    appendToField(block, body);
}

// Runs a line-level reader that may join following lines of input to complete an encoded
// word cut at the line end; the lines it joined reach the field being read as well.
template <typename Reader>
auto joiningLines(LineSource& input, HeaderBlock& block, Reader read) {
    const std::uint64_t before = input.position();
    const SourceMark mark = input.mark();
    auto result = read();
    const std::uint64_t after = input.position();
    if (after != before && input.returnTo(mark)) {
        std::string joined;
        while (input.position() < after && readLine(input, joined)) appendToField(block, joined);
    }
    input.dropMark();
    return result;
}

// A Content-Transfer-Encoding field of "8bit" or "binary" (RFC 2045, 6.1): the body is
// the part's bytes as they stand. Only the field's own value counts; a comment or a stray
// ";" may follow it.
bool isRawTransferEncoding(const std::string& lowerLine) noexcept {
    constexpr std::string_view kField = "content-transfer-encoding";
    std::string_view value(lowerLine);
    if (value.substr(0, kField.size()) != kField) return false;
    value.remove_prefix(kField.size());
    const std::size_t colon = value.find_first_not_of(" \t");
    if (colon == std::string_view::npos || value[colon] != ':') return false;
    value.remove_prefix(colon + 1);
    const std::size_t start = value.find_first_not_of(" \t");
    if (start == std::string_view::npos) return false;
    value.remove_prefix(start);
    const std::size_t end = value.find_first_of(" \t(;");
    const std::string_view token = value.substr(0, end);
    if (token != "8bit" && token != "binary") return false;
    if (end == std::string_view::npos) return true;
    value.remove_prefix(end);
    const std::size_t rest = value.find_first_not_of(" \t");
    return rest == std::string_view::npos || value[rest] == '(' || value[rest] == ';';
}

void readTransferEncoding(const std::string& lowerLine, bool contentTypeLine, HeaderBlock& block,
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
        state.textBody = TextBody::lines;
    } else if (contains(lowerLine, "quoted-printable")) {
        block.type = kTextSection;
        state.table = &xxTable;
        state.textBody = TextBody::quotedPrintable;
    } else if (isRawTransferEncoding(lowerLine)) {
        block.type = kTextSection;
        state.table = &xxTable;
        state.textBody = TextBody::raw;
    } else if (contains(lowerLine, "text/plain") || contains(lowerLine, "text/html")) {
        block.type = kTextSection;
        state.table = &xxTable;
        state.textBody = TextBody::lines;
    }
}

void readSubtype(const std::string& lowerLine, HeaderBlock& block) {
    std::size_t mark = lowerLine.find('/');
    if (mark == std::string::npos) mark = lowerLine.find('\\');
    if (mark == std::string::npos) return;
    const std::size_t end = lowerLine.find(';', mark + 1);
    const std::size_t length = std::min((end == std::string::npos ? lowerLine.size() : end) - (mark + 1), kMaxSubtype);
    block.subtype.assign(lowerLine, mark + 1, length);
    if (block.subtype == "msword") block.subtype = "doc";
}

// The subtype of a media type ("pdf" of "application/pdf"), or empty.
std::string subtypeOf(const std::string& mediaType) {
    std::size_t mark = mediaType.find('/');
    if (mark == std::string::npos) mark = mediaType.find('\\');
    if (mark == std::string::npos) return std::string();
    std::string subtype = mediaType.substr(mark + 1, kMaxSubtype);
    if (subtype == "msword") subtype = "doc";
    return subtype;
}

// The part's name from its parsed fields (RFC 2183, 2.3: the disposition's filename before
// the type's name), reduced; false when they give none.
bool chooseFieldName(const HeaderBlock& block, std::string& name) {
    for (const std::optional<std::string>* candidate : {&block.fileName, &block.typeName}) {
        if (!*candidate) continue;
        std::string reduced = **candidate;
        if (!reduceMimeName(reduced)) continue;
        name = std::move(reduced);
        return true;
    }
    return false;
}

bool isYencBeginLine(std::string_view line) noexcept { return line.substr(0, 8) == "=ybegin "; }

// Whether the first line after the blank lines ahead begins a yEnc section; reads nothing.
bool yencBodyFollows(LineSource& input) {
    constexpr int kBlankLinesLooked = 16;
    const SourceMark mark = input.mark();
    bool found = false;
    SourceLine next;
    for (int looked = 0; looked <= kBlankLinesLooked && input.next(next); ++looked) {
        const std::string_view text = lineText(next);
        if (text.empty()) continue;
        found = isYencBeginLine(text);
        break;
    }
    input.returnTo(mark);
    input.dropMark();
    return found;
}

// A "=ybegin" line: the section is named by name=, else by the MIME part it stands in,
// else kUnnamedBeginFile.
int scanYencBegin(const std::string& line, std::string& name, ScanState& state) {
    std::optional<YencLine> begin = parseYencLine(line);
    if (!begin || begin->kind != YencLineKind::begin) return kNoSection;
    std::string found = begin->name;
    if (found.empty() || !reduceMimeName(found)) {
        found = state.partName.empty() ? std::string(kUnnamedBeginFile) : state.partName;
        reduceName(found);
    }
    state.partName.clear();
    name = std::move(found);
    state.yencBegin = std::move(*begin);
    state.table = &xxTable;  // marks a known section; the data has its own coder
    return kYencSection;
}

// Reads a MIME part header from the current line to the blank line that ends it. The
// Content-Type and Content-Disposition fields are read whole with their parameters; the
// line-level readers of older releases stand in where those give no name or boundary.
int scanHeaderBlock(BoundaryList& boundaries, LineSource& input, std::string& lowerLine, std::string& line,
                    std::string& name, ScanState& state) {
    HeaderBlock block;
    block.lineName = name;
    for (;;) {
        collectField(block, line);
        if (block.nameContinues) {
            std::string rest = line.substr(line.find_first_not_of('\t') == std::string::npos
                                               ? line.size()
                                               : line.find_first_not_of('\t'));
            if (joiningLines(input, block, [&] { return decodeWords(input, rest); })) {
                const std::size_t quote = rest.find('"');
                if (quote != std::string::npos) {
                    block.lineName.append(rest, 0, quote);
                    block.lineName.resize(std::strlen(block.lineName.c_str()));
                    reduceName(block.lineName);
                    block.nameContinues = false;
                }
            }
        }
        readBoundary(block.lineBoundaries, line, lowerLine);
        const bool contentTypeLine = contains(lowerLine, "content-type:");
        bool found = false;
        if (joiningLines(input, block, [&] { return readNameParameter(input, line, lowerLine, block.lineName, found); }))
            block.nameContinues = true;
        block.lineNameFound = block.lineNameFound || found;
        readTransferEncoding(lowerLine, contentTypeLine, block, state);
        if (contentTypeLine && block.lineName.empty()) readSubtype(lowerLine, block);
        if (!readLine(input, line)) break;
        makeLowerCopy(line, lowerLine);
        if (lowerLine.empty()) break;
    }
    finishField(block);

    for (const std::string& boundary : block.boundaries.empty() ? block.lineBoundaries : block.boundaries)
        boundaries.add(boundary.c_str());
    if (block.typeParsed) {
        std::string subtype = subtypeOf(block.mediaType);
        if (!subtype.empty()) block.subtype = std::move(subtype);
    }
    const bool fieldNamed = chooseFieldName(block, name);
    if (!fieldNamed) {
        name = block.lineName;
        if (block.lineNameFound) reduceMimeName(name);
    }
    state.mediaType = block.mediaType;
    state.rawName = !fieldNamed ? name : block.fileName ? block.rawFileName : block.rawTypeName;
    state.partName = fieldNamed || block.lineNameFound ? name : std::string();

    // A body that holds its own yEnc section is named and decoded by its "=ybegin" line,
    // whatever transfer encoding (8bit, binary, x-yenc, ...) the part declares.
    const bool encodedBody = block.type == kBase64Section ||
                             (block.type == kTextSection && state.textBody == TextBody::quotedPrintable);
    if (state.yenc && !block.selfFramedBody && !encodedBody && yencBodyFollows(input)) block.selfFramedBody = true;
    if (block.selfFramedBody) name.clear();  // the body's own "begin" line or banner names it
    if (name.empty()) {
        if (block.type == kBase64Section && !block.subtype.empty()) {
            name = "Unknown." + block.subtype;
            reduceMimeName(name);
        } else {
            block.type = kNoSection;
            state.table = nullptr;
            name.clear();
        }
    }
    return block.type;
}

// True when line is as long as a UU-family line whose length character, read with
// table, announces: a short XXencoded file opens with a length character that UUencode
// also has ("1" for 3 bytes), and only the line's length tells the two apart.
bool hasLineLengthOf(const std::string& line, const DecodeTable& table) noexcept {
    if (line.empty()) return false;
    const std::uint8_t bytes = lookupSymbol(table, line[0]);
    if (bytes == 0 || bytes == kNotInAlphabet) return false;
    return line.size() == 1 + 4 * ((static_cast<std::size_t>(bytes) + 2) / 3);
}

// Whether line could be the first data line of a UU-family section read with table: a
// length character for at least one byte, and nothing outside the alphabet.
bool couldBeDataLine(const std::string& line, const DecodeTable& table) noexcept {
    if (line.empty()) return false;
    const std::uint8_t bytes = lookupSymbol(table, line[0]);
    if (bytes == 0 || bytes == kNotInAlphabet) return false;
    for (const char c : line)
        if (lookupSymbol(table, c) == kNotInAlphabet) return false;
    return true;
}

// A "begin" line: mode digits, blanks, then the name. A line of mode digits alone opens a
// section when a data line follows: it takes the MIME name of the part it stands in, else
// kUnnamedBeginFile. Returns whether it opens a section.
int scanBeginLine(LineSource& input, std::string& line, std::string& name, ScanState& state) {
    std::size_t cursor = std::min<std::size_t>(5, line.size());
    while (cursor < line.size() && line[cursor] == ' ') ++cursor;
    if (cursor >= line.size() || line[cursor] < '0' || line[cursor] > '9') return kNoSection;
    std::string found;
    const std::size_t modeEnd = line.find_first_not_of("0123456789", cursor);
    if (modeEnd != std::string::npos && line.find_first_not_of(' ', modeEnd) != std::string::npos) {
        cursor = line.find(' ', cursor);
        if (cursor == std::string::npos) return kNoSection;
        while (cursor < line.size() && line[cursor] == ' ') ++cursor;
        if (cursor >= line.size()) return kNoSection;
        found = line.substr(cursor);
        state.rawName = found;
        if (!reduceMimeName(found)) return kNoSection;  // a name of folders only
    }
    const std::string beginLine = found.empty() ? line : std::string();
    const bool dataFollows = readLine(input, line);
    if (found.empty()) {
        const bool data = dataFollows && (couldBeDataLine(line, uuTable) || couldBeDataLine(line, xxTable) ||
                                          (state.table == &state.privateTable && couldBeDataLine(line, state.privateTable)));
        if (!data) {
            if (dataFollows) input.unread();
            line = beginLine;
            return kNoSection;
        }
        found = state.partName.empty() ? std::string(kUnnamedBeginFile) : state.partName;
        state.partName.clear();  // a second such section in the part is "Unknown.bin"
        reduceName(found);
    }
    name = std::move(found);
    if (state.table != &state.privateTable) state.table = &uuTable;
    if (dataFollows && state.table == &uuTable) {
        const auto first = static_cast<unsigned char>(line.empty() ? '\0' : line[0]);
        // A length character past "M" (45 bytes) is XXencode's, unless the line is exactly as
        // long as UUencode's reading of it says: UU lines may carry up to 63 bytes.
        const bool uuLength = hasLineLengthOf(line, uuTable);
        if ((first > 'M' && first < 128 && !uuLength) || (!uuLength && hasLineLengthOf(line, xxTable)))
            state.table = &xxTable;
    }
    return kUuSection;
}

// Reads one line of a "table" header into the private table; false when it is not
// exactly 32 characters of 7-bit codes.
bool readTableLine(LineSource& input, std::string& line, DecodeTable& table, int firstValue) {
    if (!readLine(input, line) || line.size() != 32) return false;
    for (const char c : line)
        if (static_cast<unsigned char>(c) >= 128) return false;
    for (int i = 0; i < 32; ++i)
        table[static_cast<unsigned char>(line[static_cast<std::size_t>(i)])] = static_cast<std::uint8_t>(firstValue + i);
    return true;
}

int scanTableHeader(LineSource& input, std::string& lowerLine, std::string& line, std::string& name,
                    ScanState& state) {
    state.privateTable = detail::emptyTable();
    state.table = &state.privateTable;
    if (!readTableLine(input, line, state.privateTable, 0)) return kUuSection;
    readTableLine(input, line, state.privateTable, 32);
    if (!readLine(input, line)) return kUuSection;
    makeLowerCopy(line, lowerLine);
    if (startsWith(lowerLine, "begin")) scanBeginLine(input, line, name, state);
    return kUuSection;
}

int scanBinHex(LineSource& input, std::string& line, std::string& name, ScanState& state) {
    const BinHexForm form = state.binHex.detect(line, input);
    if (form != BinHexForm::binHex40 && form != BinHexForm::hexBin) return kNoSection;
    if (form == BinHexForm::binHex40) {
        std::string stored;
        if (!state.binHex.readHeader(input, stored)) return kNoSection;
        state.rawName = stored;
        name = std::move(stored);
        reduceBinHexName(name);
    } else if (!state.binHex.readHexBinHeader(input, line)) {
        return kNoSection;
    }
    if (name.empty()) {
        // Nothing to name the file by: read through the section, write nothing.
        state.binHex.decodeForks(input, nullptr);
        return kNoSection;
    }
    state.table = &base64Table;
    return kBinHexSection;
}

}  // namespace

Encoding encodingOf(SectionType type, const ScanState& state) noexcept {
    switch (type) {
        case kUuSection:
            if (state.table == &xxTable) return Encoding::xx;
            if (state.table == &state.privateTable) return Encoding::privateTable;
            return Encoding::uu;
        case kBase64Section: return Encoding::base64;
        case kBinHexSection: return Encoding::binHex;
        case kYencSection: return Encoding::yenc;
        case kTextSection:
            switch (state.textBody) {
                case TextBody::lines: return Encoding::text;
                case TextBody::quotedPrintable: return Encoding::quotedPrintable;
                case TextBody::raw: return Encoding::raw;
            }
            return Encoding::text;
        case kNoSection: break;
    }
    return Encoding::none;
}

std::string_view lineText(const SourceLine& line) noexcept {
    // What a C line reader kept: the bytes before a NUL, less one CR at the end of a line
    // whose LF (if any) is gone already.
    std::string_view text = line.text;
    bool cut = line.end == LineEnd::kNone && !line.continues;
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
        text = text.substr(0, static_cast<std::size_t>(static_cast<const char*>(nul) - text.data()));
        cut = true;
    }
    if (cut && !text.empty() && text.back() == '\r') text.remove_suffix(1);
    return text;
}

bool readLine(LineSource& input, std::string& line) {
    SourceLine next;
    if (!input.next(next)) return false;
    line.assign(lineText(next));
    return true;
}

int scanSectionLine(BoundaryList& boundaries, LineSource& input, std::string& lowerLine, std::string& line,
                    std::string& name, ScanState& state) {
    int type = kNoSection;
    // A part ends at a boundary line: its MIME name no longer names a "begin" line.
    if (!state.partName.empty() && boundaries.matches(line)) state.partName.clear();
    if (state.yenc && isYencBeginLine(line)) return scanYencBegin(line, name, state);
    if (contains(lowerLine, "content-") && contains(lowerLine, ":"))
        type = scanHeaderBlock(boundaries, input, lowerLine, line, name, state);
    if (!name.empty() && type == kNoSection) {
        type = kTextSection;
        state.table = &xxTable;
        state.textBody = TextBody::lines;
    }
    if (startsWith(lowerLine, "begin")) {
        decodeWords(input, line);
        line.resize(std::strlen(line.c_str()));
        if (const int begun = scanBeginLine(input, line, name, state)) type = begun;
    } else if (startsWith(lowerLine, "table")) {
        type = scanTableHeader(input, lowerLine, line, name, state);
    } else if (const int binHex = scanBinHex(input, line, name, state)) {
        type = binHex;
    }
    return type;
}

}  // namespace kodra
