// Safe names of what an extraction writes: a folder per input and per message, and the
// parts inside a message's folder. None holds a separator, "." or "..", or a control.
#pragma once

#include <optional>
#include <set>
#include <string>

namespace kodra {

// Longest Message-ID kept in a message folder's name, in bytes.
inline constexpr std::size_t kMaxMessageIdInName = 64;

// The folder of an input: its base name made safe ("stdin" for "-").
std::string inputFolderName(const std::string& input);

// The folder of a message: its position (the mbox offset zero-padded to 12 digits, or
// the file's path relative to its input made safe) and its Message-ID made safe and cut,
// joined by "-".
std::string messageFolderName(std::optional<long long> offset, const std::optional<std::string>& file,
                              const std::optional<std::string>& messageId);

// name (a decoded part name) reduced as the engine's folder decodes reduce it, made unique
// among used ("report-2.pdf" after "report.pdf"), and added to used.
std::string uniquePartName(const std::string& name, std::set<std::string>& used);

}  // namespace kodra
