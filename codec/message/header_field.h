// One header field of a stored message, looked up by name.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kodra {

class LineSource;

// The most of a field's raw text a lookup keeps; the rest is read and dropped.
inline constexpr std::size_t kMaxFieldText = std::size_t{1} << 20;

// True when name can name a header field (RFC 5322, 3.6.8: printable ASCII but ":").
bool isFieldName(std::string_view name) noexcept;

// The body of the first field called name (any case) in the header section of source,
// unfolded (RFC 5322, 2.2.3: each line end before a blank removed), blanks around it
// trimmed and cut to kMaxFieldText bytes; nullopt when the header has no such field.
// Lines before the first field (a mailbox "From " line) are passed over. May throw
// std::bad_alloc.
std::optional<std::string> readHeaderField(LineSource& source, std::string_view name);

// The same field as UTF-8, its encoded words of every charset decoded.
std::optional<std::string> readHeaderFieldUtf8(LineSource& source, std::string_view name);

}  // namespace kodra
