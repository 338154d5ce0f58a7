// One manifest record: a part of a message (or a message without parts, or one that could
// not be read) as a line of JSON.
#pragma once

#include <optional>
#include <string>

namespace kodra {

enum class RecordStatus {
    decoded,     // every byte of the part written, all checks passed
    failed,      // nothing usable: a check failed, the message or file could not be read
    incomplete,  // the part's data ended early or failed a check: what was decoded is kept
    empty,       // a message without parts
};

struct ManifestRecord {
    std::string input;
    std::optional<long long> offset;
    std::optional<std::string> file;
    std::optional<std::string> messageId, date, from, subject;
    std::optional<int> part;
    std::optional<std::string> rawName, name, encoding, type;
    std::optional<long long> size;
    std::optional<std::string> sha256, path;
    RecordStatus status = RecordStatus::empty;
    std::optional<std::string> reason;
};

// The manifest word of a status ("decoded", ...).
const char* statusWord(RecordStatus status) noexcept;

// The record as one line of JSON (keys in the manifest's order, no line end); text that
// is not UTF-8 is read as Latin-1, so the line is always well-formed UTF-8.
std::string toJsonLine(const ManifestRecord& record);

}  // namespace kodra
