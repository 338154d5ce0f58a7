// The value and parameters of a structured MIME header field (Content-Type,
// Content-Disposition), read with the RFC 2045, 5.1 grammar as real mail writes it, and
// the RFC 2231 extended parameters.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kodra {

// Bounds on what one field may make the parser keep, whatever the input: the work stays
// linear in the field's length and the memory within these caps.
inline constexpr std::size_t kMaxHeaderParameters = 256;     // parameters kept, in order
inline constexpr std::size_t kMaxParameterName = 128;        // longer attributes are skipped
inline constexpr std::size_t kMaxParameterValue = 64 * 1024; // bytes kept of one value
inline constexpr std::size_t kMaxFieldValue = 256;           // bytes kept of the media type

// One parameter as it stands in the field.
struct HeaderParameter {
    std::string name;        // lower case, without its RFC 2231 section number and "*"
    int section = -1;        // RFC 2231, 3 section number; -1 when the name has none
    bool extended = false;   // the name ended in "*": the value is charset'language'%XX (RFC 2231, 4)
    std::string value;       // unquoted, escapes resolved, raw bytes
};

class HeaderParameters {
public:
    // The media type ("multipart/mixed") or disposition type ("attachment"), lower case,
    // blanks and comments dropped, as UTF-8 (at most kMaxFieldValue bytes read); empty
    // when the field has none.
    const std::string& value() const noexcept { return value_; }

    // Every parameter kept, in the order of the field (duplicates included).
    const std::vector<HeaderParameter>& parameters() const noexcept { return parameters_; }

    // The raw bytes of the first plain parameter called name (lower case), or null.
    const std::string* plain(std::string_view name) const noexcept;

    // The parameter called name (lower case) as UTF-8: its RFC 2231 form (name*=, or the
    // sections name*0, name*1... joined up to the first missing one) before the plain
    // one; a plain value's RFC 2047 encoded words decoded. Nothing when neither is there.
    std::optional<std::string> text(std::string_view name) const;

    // Parses value and parameters of an unfolded field body (what follows the colon).
    friend HeaderParameters parseHeaderParameters(std::string_view field);
    // Parses text as parameters only, as on a folded line of a field: value() stays empty.
    friend HeaderParameters parseParameterList(std::string_view text);

private:
    std::string value_;
    std::vector<HeaderParameter> parameters_;
};

HeaderParameters parseHeaderParameters(std::string_view field);
HeaderParameters parseParameterList(std::string_view text);

// Splits a header line "Name: body" (RFC 5322, 2.2; blanks before the colon tolerated)
// into the field name and its body; false when the line does not begin a field.
bool splitHeaderField(std::string_view line, std::string_view& name, std::string_view& body) noexcept;

// True when name is word, ignoring the case of ASCII letters (word is lower case).
bool equalsLowerCase(std::string_view name, std::string_view word) noexcept;

}  // namespace kodra
