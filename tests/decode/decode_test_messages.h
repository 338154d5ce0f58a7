// Builders of encoded messages for the decoding tests, made with the library's encoders.
#pragma once

#include "kodra32.h"
#include "platform/platform.h"

#include <string>
#include <vector>

namespace kodra::testing {

// The data lines of `data` in one of the buffer codec's 6-bit types, CR LF line ends.
inline std::string encodedLines(const std::string& data, int type) {
    std::vector<char> out(data.size() * 2 + 64);
    const int written = EncodeBuffer(data.data(), out.data(), static_cast<int>(data.size()), type);
    return std::string(out.data(), static_cast<std::size_t>(written));
}

inline std::string uuSection(const std::string& name, const std::string& data, int type = KODRA_UUENCODE) {
    return "begin 644 " + name + "\r\n" + encodedLines(data, type) + (type == KODRA_UUENCODE ? "`" : "+") +
           "\r\nend\r\n";
}

inline std::string base64Part(const std::string& boundary, const std::string& name, const std::string& data) {
    return "--" + boundary + "\r\nContent-Type: application/octet-stream; name=\"" + name +
           "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; filename=\"" + name +
           "\"\r\n\r\n" + encodedLines(data, KODRA_BASE64);
}

// Text as a decode writes a text section whose lines end in LF: as it stands, or with
// CR LF line ends where the system's text files have them.
inline std::string lfTextAsWritten(const std::string& text) {
    if (!platform::kTextInCrLf) return text;
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

inline std::string mimeMessage(const std::string& boundary, const std::string& parts) {
    return "From: a@example.org\r\nSubject: test\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"" +
           boundary + "\"\r\n\r\nThis is a multi-part message.\r\n\r\n" + parts + "--" + boundary + "--\r\n";
}

}  // namespace kodra::testing
