// Reading back a manifest for a resumed run: which messages it records already.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace kodra {

// Where a message stands: its input as given, its mbox offset or its file in a folder.
struct MessageKey {
    std::string input;
    std::optional<long long> offset;
    std::optional<std::string> file;

    bool operator<(const MessageKey& other) const {
        if (input != other.input) return input < other.input;
        if (offset != other.offset) return offset < other.offset;
        return file < other.file;
    }
};

// The key of one manifest line; nothing when the line is not a record (a line cut short
// by an interrupted run, or not JSON).
std::optional<MessageKey> readRecordKey(std::string_view line);

// The keys of every record in the manifest at path (none when it cannot be read).
std::set<MessageKey> readManifestKeys(const char* path);

}  // namespace kodra
