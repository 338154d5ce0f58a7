// An extraction run: every message of every input decoded on a pool of workers, its
// records emitted strictly in input order, the manifest appended unit by unit.
#pragma once

#include "archive/manifest_record.h"
#include "archive/message_extractor.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kodra {

inline constexpr std::size_t kDefaultChunkSize = std::size_t{16} << 20;

struct ExtractProgress {
    long long messages = 0;
    long long bytesDone = 0;
    long long bytesTotal = 0;
    long long failures = 0;
};

struct ExtractSettings {
    std::vector<std::string> inputs;
    std::string outputFolder;  // empty: nothing written
    bool byHash = false;
    std::string manifestPath;  // empty: no manifest
    bool resume = false;
    int jobs = 0;              // 0 or less: one per core
    std::size_t chunkSize = kDefaultChunkSize;  // mbox bytes per unit of work
    std::function<void(const std::string& json)> record;          // every record, in order
    std::function<bool(const ExtractProgress& progress)> progress; // false: stop
};

enum class ExtractResult {
    allDecoded,   // every record "decoded" (or "empty")
    someFailed,   // a record failed or is incomplete
    stopped,      // the progress callback stopped the run
    cannotStart,  // no inputs, or the output folder or manifest cannot be made
};

ExtractResult runExtract(const ExtractSettings& settings) noexcept;

}  // namespace kodra
