// The header that puts a message in front of the parts the library encodes.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

// A boundary that no encoder's output can contain: "=_" occurs in no Base64, XX or
// BinHex line and starts no quoted-printable escape, and UU lines hold no lower-case
// letters.
std::string makeBoundary();

// The message header (From, Date, Subject, MIME-Version, Content-Type), the preamble and
// the first delimiter without its line end, as the library's parts expect them (CR LF).
std::string messageHeader(const std::string& from, const std::string& subject,
                          const std::string& boundary);

// A header value: ASCII text stays, anything else becomes one RFC 2047 encoded word.
std::string headerText(const std::string& text);

// "user@host" of whoever runs the command.
std::string defaultSender();

}  // namespace kodra::cli
