#include "message_header.h"

#include <kodra32.h>

#include <cstdio>
#include <ctime>
#include <random>

#include <pwd.h>
#include <unistd.h>

namespace kodra::cli {

std::string makeBoundary() {
    std::random_device device;
    char text[48];
    std::snprintf(text, sizeof text, "=_kodra_%08x%08x", device(), device());
    return text;
}

std::string headerText(const std::string& text) {
    bool plain = true;
    for (const char c : text) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 32 || code > 126) plain = false;
    }
    if (plain) return text;
    // Base64 of the UTF-8 text through the library's own buffer codec, lines joined.
    std::string room(text.size() / 57 * 78 + 80, '\0');
    const int length = EncodeBuffer(text.data(), room.data(), static_cast<int>(text.size()), KODRA_BASE64);
    std::string encoded;
    for (int i = 0; i < length; ++i)
        if (room[static_cast<std::size_t>(i)] != '\r' && room[static_cast<std::size_t>(i)] != '\n')
            encoded += room[static_cast<std::size_t>(i)];
    return "=?utf-8?b?" + encoded + "?=";
}

std::string defaultSender() {
    std::string user = "kodra";
    if (const passwd* entry = getpwuid(geteuid())) user = entry->pw_name;
    char host[256] = "localhost";
    if (gethostname(host, sizeof host - 1) != 0) std::snprintf(host, sizeof host, "localhost");
    return user + "@" + host;
}

std::string messageHeader(const std::string& from, const std::string& subject,
                          const std::string& boundary) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[64];
    std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S %z", &local);
    return "From: " + headerText(from) + "\r\n" +
           "Date: " + date + "\r\n" +
           "Subject: " + headerText(subject) + "\r\n" +
           "MIME-Version: 1.0\r\n"
           "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n"
           "X-Mailer: kodra " KODRA_VERSION "\r\n"
           "\r\n"
           "This is a multi-part message in MIME format.\r\n"
           "\r\n"
           "--" + boundary;
}

}  // namespace kodra::cli
