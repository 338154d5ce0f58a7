// Archive runs of the command: extract and list --json, over KodraExtract.
#pragma once

#include <string>
#include <vector>

namespace kodra::cli {

struct ArchiveRunOptions {
    std::vector<std::string> inputs;
    std::string outputFolder;  // empty: nothing written (list --json)
    std::string manifest;      // empty: none
    bool byHash = false;
    bool printRecords = false; // each record on standard output
    int jobs = 0;
};

// Runs the extraction; Ctrl-C stops it after the messages under way. Returns 0 when every
// part was decoded, 1 when something failed (said on standard error; the run went on),
// kInterrupted when stopped.
int runArchive(const ArchiveRunOptions& options);

// The progress line's text; public for its tests.
std::string extractProgressText(long long messages, long long done, long long total, long long failures,
                                double seconds);

}  // namespace kodra::cli
