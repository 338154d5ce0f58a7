// Split postings for the join tests, built here from known bytes: yEnc parts, UUencoded
// articles with "(n/m)" subjects and message/partial messages.
#pragma once

#include "yenc/crc32.h"

#include <cstdio>
#include <string>
#include <vector>

namespace kodra::testing::join {

struct SplitPosting {
    std::string name;                   // the file name the posting carries
    std::string content;                // its decoded bytes
    std::vector<std::string> articles;  // article i holds part i + 1
};

inline std::string hex8(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

inline std::string newsHeader(const std::string& subject) {
    return "From: poster@example.org\nNewsgroups: alt.binaries.test\nSubject: " + subject +
           "\nMessage-ID: <" + std::to_string(std::hash<std::string>{}(subject)) + "@example.org>\n\n";
}

// yEnc data lines of at most 128 characters.
inline std::string yencLines(const std::string& data) {
    std::string out, line;
    for (char byte : data) {
        const auto c = static_cast<unsigned char>(static_cast<unsigned char>(byte) + 42);
        if (c == 0 || c == '\n' || c == '\r' || c == '=' || (line.empty() && (c == '.' || c == ' ' || c == '\t'))) {
            line += '=';
            line += static_cast<char>(c + 64);
        } else {
            line += static_cast<char>(c);
        }
        if (line.size() >= 128) {
            out += line + "\n";
            line.clear();
        }
    }
    if (!line.empty()) out += line + "\n";
    return out;
}

// A yEnc posting in parts of equal size (the last takes the rest).
inline SplitPosting yencPosting(const std::string& name, const std::string& content, int parts) {
    SplitPosting posting{name, content, {}};
    const std::size_t step = content.size() / static_cast<std::size_t>(parts);
    const std::uint32_t crc = crc32Update(0, content.data(), content.size());
    for (int part = 1; part <= parts; ++part) {
        const std::size_t begin = step * static_cast<std::size_t>(part - 1);
        const std::size_t end = part == parts ? content.size() : begin + step;
        const std::string piece = content.substr(begin, end - begin);
        std::string article = newsHeader("\"" + name + "\" yEnc (" + std::to_string(part) + "/" + std::to_string(parts) + ")");
        article += "=ybegin part=" + std::to_string(part) + " total=" + std::to_string(parts) +
                   " line=128 size=" + std::to_string(content.size()) + " name=" + name + "\n";
        article += "=ypart begin=" + std::to_string(begin + 1) + " end=" + std::to_string(end) + "\n";
        article += yencLines(piece);
        article += "=yend size=" + std::to_string(piece.size()) + " part=" + std::to_string(part) +
                   " pcrc32=" + hex8(crc32Update(0, piece.data(), piece.size())) + " crc32=" + hex8(crc) + "\n";
        posting.articles.push_back(article);
    }
    return posting;
}

inline char uuChar(unsigned value) { return value == 0 ? '`' : static_cast<char>(value + 32); }

inline std::string uuLines(const std::string& data) {
    std::string out;
    for (std::size_t at = 0; at < data.size(); at += 45) {
        const std::size_t count = std::min<std::size_t>(45, data.size() - at);
        out += uuChar(static_cast<unsigned>(count));
        for (std::size_t i = 0; i < count; i += 3) {
            unsigned char b[3] = {0, 0, 0};
            for (std::size_t k = 0; k < 3 && i + k < count; ++k) b[k] = static_cast<unsigned char>(data[at + i + k]);
            out += uuChar(b[0] >> 2u);
            out += uuChar(((b[0] & 3u) << 4u) | (b[1] >> 4u));
            out += uuChar(((b[1] & 15u) << 2u) | (b[2] >> 6u));
            out += uuChar(b[2] & 63u);
        }
        out += '\n';
    }
    return out + "`\n";
}

// A UUencoded posting cut into articles between its lines, subjects "name (n/m)".
inline SplitPosting uuPosting(const std::string& name, const std::string& content, int parts) {
    SplitPosting posting{name, content, {}};
    std::vector<std::string> lines;
    const std::string body = "begin 644 " + name + "\n" + uuLines(content) + "end\n";
    for (std::size_t at = 0; at < body.size();) {
        const std::size_t next = body.find('\n', at) + 1;
        lines.push_back(body.substr(at, next - at));
        at = next;
    }
    const std::size_t per = (lines.size() + static_cast<std::size_t>(parts) - 1) / static_cast<std::size_t>(parts);
    for (int part = 1; part <= parts; ++part) {
        std::string article = newsHeader(name + " [" + std::to_string(part) + "/" + std::to_string(parts) + "]");
        for (std::size_t i = per * static_cast<std::size_t>(part - 1); i < std::min(lines.size(), per * static_cast<std::size_t>(part)); ++i)
            article += lines[i];
        posting.articles.push_back(article);
    }
    return posting;
}

inline std::string base64Lines(const std::string& data) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out, line;
    for (std::size_t i = 0; i < data.size(); i += 3) {
        auto byte = [&data](std::size_t at) { return static_cast<unsigned>(static_cast<unsigned char>(data[at])); };
        unsigned value = byte(i) << 16u;
        if (i + 1 < data.size()) value |= byte(i + 1) << 8u;
        if (i + 2 < data.size()) value |= byte(i + 2);
        line += alphabet[(value >> 18u) & 63u];
        line += alphabet[(value >> 12u) & 63u];
        line += i + 1 < data.size() ? alphabet[(value >> 6u) & 63u] : '=';
        line += i + 2 < data.size() ? alphabet[value & 63u] : '=';
        if (line.size() >= 76) {
            out += line + "\n";
            line.clear();
        }
    }
    if (!line.empty()) out += line + "\n";
    return out;
}

// A message with one Base64 attachment, name and content given.
inline std::string mimeMessage(const std::string& name, const std::string& content) {
    return "Message-ID: <inner-" + name + "@example.org>\nMIME-Version: 1.0\nSubject: " + name +
           "\nContent-Type: multipart/mixed; boundary=\"outer\"\n\n--outer\nContent-Type: text/plain\n\nhello\n"
           "--outer\nContent-Type: application/octet-stream; name=\"" + name +
           "\"\nContent-Transfer-Encoding: base64\n\n" + base64Lines(content) + "--outer--\n";
}

// message/partial articles carrying a message with one attachment; only the last says total=.
inline SplitPosting partialPosting(const std::string& name, const std::string& content, int parts) {
    SplitPosting posting{name, content, {}};
    const std::string message = mimeMessage(name, content);
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < message.size();) {
        const std::size_t next = message.find('\n', at) + 1;
        lines.push_back(message.substr(at, next - at));
        at = next;
    }
    const std::size_t per = (lines.size() + static_cast<std::size_t>(parts) - 1) / static_cast<std::size_t>(parts);
    for (int part = 1; part <= parts; ++part) {
        std::string article = "From: sender@example.org\nSubject: " + name + " (" + std::to_string(part) + "/" +
                              std::to_string(parts) + ")\nMessage-ID: <p" + std::to_string(part) + "-" + name +
                              "@example.org>\nMIME-Version: 1.0\nContent-Type: message/partial; id=\"" + name +
                              "@example.org\"; number=" + std::to_string(part) +
                              (part == parts ? "; total=" + std::to_string(parts) : std::string()) + "\n\n";
        for (std::size_t i = per * static_cast<std::size_t>(part - 1); i < std::min(lines.size(), per * static_cast<std::size_t>(part)); ++i)
            article += lines[i];
        posting.articles.push_back(article);
    }
    return posting;
}

}  // namespace kodra::testing::join
