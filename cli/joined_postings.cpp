// Joined postings for decode and list: one library call over all the files.
#include "joined_postings.h"

#include <kodra32.h>

#include <cstdio>
#include <memory>

#include "exit_codes.h"
#include "file_checks.h"
#include "printable_text.h"
#include "written_files.h"

namespace kodra::cli {
namespace {

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};

std::vector<KodraInput> inputsOf(const std::vector<std::string>& paths) {
    std::vector<KodraInput> inputs;
    for (const std::string& path : paths) inputs.push_back(KodraInput{path.c_str(), nullptr, 0});
    return inputs;
}

const char* kindName(int kind) {
    switch (kind) {
        case KODRA_POSTING_YENC: return "yEnc";
        case KODRA_POSTING_UU: return "UU";
        default: return "message/partial";
    }
}

std::string numbers(const int* values, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += (i ? "," : "") + std::to_string(values[i]);
    return text;
}

// What a report says about one posting, and whether any was not complete.
struct Reports {
    bool listing = false;
    bool anyIncomplete = false;
    std::vector<std::string> written;
};

void KODRA_CALL onPosting(void* context, const KodraPosting* posting) {
    Reports& reports = *static_cast<Reports*>(context);
    if (reports.listing) {
        std::string line = std::string(kindName(posting->kind)) + " posting " + posting->nameUtf8 + ": " +
                           std::to_string(posting->found) + " of " +
                           (posting->total > 0 ? std::to_string(posting->total) : std::string("?")) + " parts";
        if (posting->missingCount > 0) line += ", missing " + numbers(posting->missing, posting->missingCount);
        if (posting->duplicateCount > 0) line += ", duplicate " + numbers(posting->duplicates, posting->duplicateCount);
        if (posting->overlappingCount > 0)
            line += ", overlapping " + numbers(posting->overlapping, posting->overlappingCount);
        std::printf("%s\n", printable(line).c_str());
    }
    if (posting->status == KODRA_POSTING_COMPLETE) return;
    reports.anyIncomplete = true;
    std::string cause = posting->status == KODRA_POSTING_INCOMPLETE ? "incomplete" : "failed";
    cause += std::string(" (") + posting->reason + ")";
    if (posting->path) cause += std::string("; kept as ") + posting->path;
    reportError(posting->nameUtf8, cause);
}

int KODRA_CALL onListedPart(void* context, const KodraPart* part) {
    if (part->encoding == KODRA_ENCODING_YENC) static_cast<std::vector<std::string>*>(context)->push_back(part->nameUtf8);
    return 1;
}

}  // namespace

std::vector<std::string> yencSectionNames(const std::string& path) {
    std::vector<std::string> names;
    std::unique_ptr<KodraContext, ContextCloser> context(KodraOpenContext());
    if (!context) return names;
    const KodraSink sink{&names, onListedPart, nullptr, nullptr};
    KodraListFileParts(context.get(), path.c_str(), &sink);
    return names;
}

bool holdPostings(const std::vector<std::string>& paths) {
    std::unique_ptr<KodraContext, ContextCloser> context(KodraOpenContext());
    if (!context) return false;
    const std::vector<KodraInput> inputs = inputsOf(paths);
    return KodraListPostings(context.get(), inputs.data(), static_cast<int>(inputs.size()), nullptr) > 0;
}

int decodeJoined(const std::vector<std::string>& paths, const std::string& folder) {
    std::unique_ptr<KodraContext, ContextCloser> context(KodraOpenContext());
    if (!context) return kFailure;
    const std::vector<KodraInput> inputs = inputsOf(paths);
    Reports reports;
    const KodraPostingReport report{&reports, onPosting};
    WrittenFiles written;
    written.watchFolder(folder);
    const int decoded =
        KodraDecodeInputs(context.get(), inputs.data(), static_cast<int>(inputs.size()), folder.c_str(), nullptr, &report);
    for (const std::string& output : written.changed()) std::printf("%s\n", printable(output).c_str());
    std::fflush(stdout);
    if (decoded < 0) {
        reportError(paths.front(), "the files could not be read");
        return kFailure;
    }
    return reports.anyIncomplete ? kFailure : kSuccess;
}

int listJoined(const std::vector<std::string>& paths) {
    std::unique_ptr<KodraContext, ContextCloser> context(KodraOpenContext());
    if (!context) return kFailure;
    const std::vector<KodraInput> inputs = inputsOf(paths);
    Reports reports;
    reports.listing = true;
    const KodraPostingReport report{&reports, onPosting};
    const int count = KodraListPostings(context.get(), inputs.data(), static_cast<int>(inputs.size()), &report);
    std::fflush(stdout);
    if (count < 0) return kFailure;
    return reports.anyIncomplete ? kFailure : kSuccess;
}

}  // namespace kodra::cli
