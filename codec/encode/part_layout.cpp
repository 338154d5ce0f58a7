#include "encode/part_layout.h"

#include <cstring>

namespace kodra {
namespace {

struct TypeWords {
    const char* classicEncoding;
    const char* standardEncoding;
    const char* standardMediaType;
};

// Indexed by encoding type 1 to 6. BinHex text is 7-bit lines already (RFC 1741).
constexpr TypeWords kTypeWords[] = {
    {"UUENCODED", "x-uuencode", "application/octet-stream"},
    {"Base64", "base64", "application/octet-stream"},
    {"BinHex", "7bit", "application/mac-binhex40"},
    {"XXENCODED", "x-xxencode", "application/octet-stream"},
    {"quoted-printable", "quoted-printable", "application/octet-stream"},
    {"8bit", "8bit", "application/octet-stream"},  // yEnc lines: 8-bit text of 128 characters
};

// Writes text into a header value, with the characters that would end the value or
// the line written as "_".
void writeHeaderText(std::FILE* output, const char* text) noexcept {
    for (const char* c = text; *c; ++c) {
        const char safe = (*c == '\r' || *c == '\n' || *c == '"') ? '_' : *c;
        std::fputc(static_cast<unsigned char>(safe), output);
    }
}

}  // namespace

bool partFileName(const char* sourcePath, char (&name)[platform::kMaxPath]) noexcept {
    const char* start = sourcePath;
    for (const char* c = sourcePath; *c; ++c)
        if (*c == '/' || *c == '\\') start = c + 1;
    const std::size_t length = std::strlen(start);
    if (length >= sizeof name) return false;
    for (std::size_t i = 0; i <= length; ++i) {
        const char c = start[i];
        name[i] = (c == '\r' || c == '\n' || c == '"') ? '_' : c;
    }
    return true;
}

void writePartHeader(std::FILE* output, PartLayout layout, int type, const char* application,
                     const char* fileName, bool delimited) noexcept {
    const TypeWords& words = kTypeWords[type - 1];
    const bool standard = layout == PartLayout::standard;
    if (delimited) std::fputs("\r\n", output);
    std::fputs(standard ? "X-Encoded-By: Kodra DLL for " : "Encoded by Kodra DLL for ", output);
    writeHeaderText(output, application);
    std::fputs("\r\nContent-Description: \"", output);
    writeHeaderText(output, application);
    std::fputs("\"\r\nContent-Type: ", output);
    std::fputs(standard ? words.standardMediaType : "application\\octet-stream", output);
    std::fputs("; name=\"", output);
    writeHeaderText(output, fileName);
    std::fputs("\"\r\nContent-Transfer-Encoding: ", output);
    std::fputs(standard ? words.standardEncoding : words.classicEncoding, output);
    std::fputs("\r\nContent-Disposition: attachment; filename=\"", output);
    writeHeaderText(output, fileName);
    std::fputs("\"\r\n\r\n", output);
    if (type == 1 || type == 4) {
        std::fputs("begin 644 ", output);
        writeHeaderText(output, fileName);
        std::fputs("\r\n", output);
    }
}

void writePartTrailer(std::FILE* output, const char* boundary) noexcept {
    std::fputs("\r\n--", output);
    std::fputs(boundary, output);
}

}  // namespace kodra
