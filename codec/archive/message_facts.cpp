#include "archive/message_facts.h"

#include "frame/line_source.h"
#include "message/header_field.h"
#include "message/mime_time.h"

#include <cstdio>

namespace kodra {
namespace {

std::optional<std::string> field(std::string_view message, std::string_view name, bool utf8) {
    LineSource source(message.data(), message.size());
    return utf8 ? readHeaderFieldUtf8(source, name) : readHeaderField(source, name);
}

}  // namespace

std::optional<std::string> isoDate(const std::string& field) {
    platform::CivilTime time{};
    if (!decodeMimeTime(field.c_str(), time, false)) return std::nullopt;
    char text[64];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", unsigned{time.year}, unsigned{time.month},
                  unsigned{time.day}, unsigned{time.hour}, unsigned{time.minute}, unsigned{time.second});
    return std::string(text);
}

MessageFacts readMessageFacts(std::string_view message) {
    MessageFacts facts;
    facts.messageId = field(message, "Message-ID", false);
    if (std::optional<std::string> date = field(message, "Date", false)) facts.date = isoDate(*date);
    facts.from = field(message, "From", true);
    facts.subject = field(message, "Subject", true);
    return facts;
}

}  // namespace kodra
