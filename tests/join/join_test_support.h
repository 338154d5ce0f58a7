// Running KodraDecodeInputs and KodraListPostings over articles in memory or in files, with
// every posting report recorded.
#pragma once

#include "decode/recording_sink.h"
#include "kodra32.h"
#include "support/temp_folder.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace kodra::testing {

struct RecordedPosting {
    int kind = 0;
    std::string name;
    int total = 0;
    int found = 0;
    std::vector<int> missing, duplicates, overlapping;
    int status = -1;
    std::string reason;
    std::string path;
};

class PostingRecorder {
public:
    std::vector<RecordedPosting> postings;
    KodraPostingReport report() { return KodraPostingReport{this, &posting}; }

private:
    static void KODRA_CALL posting(void* context, const KodraPosting* posting) {
        RecordedPosting recorded;
        recorded.kind = posting->kind;
        recorded.name = posting->nameUtf8;
        recorded.total = posting->total;
        recorded.found = posting->found;
        recorded.missing.assign(posting->missing, posting->missing + posting->missingCount);
        recorded.duplicates.assign(posting->duplicates, posting->duplicates + posting->duplicateCount);
        recorded.overlapping.assign(posting->overlapping, posting->overlapping + posting->overlappingCount);
        recorded.status = posting->status;
        recorded.reason = posting->reason ? posting->reason : "(null)";
        recorded.path = posting->path ? posting->path : "";
        static_cast<PostingRecorder*>(context)->postings.push_back(recorded);
    }
};

// A path as the system reads it, so that "/" and "\\" compare equal where both separate.
inline std::string samePlace(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};
using ContextHandle = std::unique_ptr<KodraContext, ContextCloser>;

inline std::vector<KodraInput> memoryInputs(const std::vector<std::string>& blocks) {
    std::vector<KodraInput> inputs;
    for (const std::string& block : blocks) inputs.push_back(KodraInput{nullptr, block.data(), block.size()});
    return inputs;
}

// Writes each block to its own file in folder ("in-0.txt", ...) and returns the paths.
inline std::vector<std::string> writeInputs(const TempFolder& folder, const std::vector<std::string>& blocks) {
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        paths.push_back(folder.file("in-" + std::to_string(i) + ".txt"));
        writeFile(paths.back(), blocks[i]);
    }
    return paths;
}

inline std::vector<KodraInput> fileInputs(const std::vector<std::string>& paths) {
    std::vector<KodraInput> inputs;
    for (const std::string& path : paths) inputs.push_back(KodraInput{path.c_str(), nullptr, 0});
    return inputs;
}

// The blocks as one mbox.
inline std::string asMbox(const std::vector<std::string>& articles) {
    std::string mbox;
    for (const std::string& article : articles) mbox += "From poster@example.org Mon Dec  7 10:00:00 2026\n" + article + "\n";
    return mbox;
}

inline std::string joinedNumbers(const std::vector<int>& numbers) {
    std::string text;
    for (int number : numbers) text += (text.empty() ? "" : ",") + std::to_string(number);
    return "{" + text + "}";
}

}  // namespace kodra::testing
