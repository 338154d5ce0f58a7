// The header facts of a message that its manifest records carry.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kodra {

struct MessageFacts {
    std::optional<std::string> messageId;  // the field body, trimmed
    std::optional<std::string> date;       // ISO 8601 UTC ("2024-03-01T10:00:00Z")
    std::optional<std::string> from;       // UTF-8, encoded words decoded
    std::optional<std::string> subject;
};

// Reads the facts from the header of the message text. May throw std::bad_alloc.
MessageFacts readMessageFacts(std::string_view message);

// A date field's body as ISO 8601 UTC; nothing when it forms no date.
std::optional<std::string> isoDate(const std::string& field);

}  // namespace kodra
