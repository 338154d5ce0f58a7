// Decodes one message's parts through the engine and describes each in a manifest record,
// writing the parts where the layout says.
#pragma once

#include "archive/manifest_record.h"
#include "platform/platform.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kodra {

enum class PartLayout {
    none,          // nothing written: records only ("path" null)
    folders,       // a folder per message: "<input>/<position>-<Message-ID>/<name>"
    byHash,        // one file per distinct content: "ab/<sha256>"
    memoryByHash,  // nothing written: records with by-hash paths and bytes handed on
};

// Receives a part's record and its decoded bytes (memoryByHash).
using PartBytes = std::function<void(const ManifestRecord& record, std::string_view bytes)>;

struct ExtractTarget {
    PartLayout layout = PartLayout::none;
    std::string outputFolder;  // folders, byHash: where parts go (exists)
    PartBytes partBytes;       // memoryByHash
};

// Where the message stands.
struct MessagePlace {
    std::string input;
    std::string inputFolder;  // folders: the input's folder name under the output folder
    std::optional<long long> offset;
    std::optional<std::string> file;
};

// Decodes message and appends its records to records (one per part, or one "empty" or
// "failed" record); they are "failed" records when memory runs short.
void extractMessage(const platform::UserInterface& ui, const ExtractTarget& target, const MessagePlace& place,
                    std::string_view message, std::vector<ManifestRecord>& records) noexcept;

// The one record of a message or file that could not be read, saying why.
ManifestRecord failedMessageRecord(const MessagePlace& place, const std::string& reason);

}  // namespace kodra
