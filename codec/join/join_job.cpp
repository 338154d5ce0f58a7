// The join job. Inputs are read one at a time twice: once to find the pieces and the
// stretches around them, then again as the outputs need them.
#include "join/join_job.h"

#include "decode/decoder.h"
#include "frame/utf8_text.h"
#include "join/engine_relay.h"
#include "join/join_inputs.h"
#include "join/piece_finder.h"
#include "join/posting_assembly.h"
#include "join/posting_groups.h"

#include <optional>
#include <string>
#include <vector>

namespace kodra {
namespace {

struct Survey {
    std::vector<Piece> pieces;
    std::vector<std::vector<TextRange>> ordinary;  // per input
    std::vector<bool> hasPieces;
};

bool survey(JoinInputs& inputs, Survey& found) {
    found.ordinary.resize(static_cast<std::size_t>(inputs.count()));
    found.hasPieces.resize(static_cast<std::size_t>(inputs.count()));
    for (int i = 0; i < inputs.count(); ++i) {
        const std::optional<std::string_view> text = inputs.bytes(i);
        if (!text) return false;
        const std::size_t before = found.pieces.size();
        findPieces(*text, i, found.pieces, found.ordinary[static_cast<std::size_t>(i)]);
        found.hasPieces[static_cast<std::size_t>(i)] = found.pieces.size() != before;
    }
    return true;
}

bool blank(std::string_view text) noexcept {
    return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

void tell(const KodraPostingReport* report, const PostingGroup& posting, const std::string& path) {
    if (!report || !report->posting) return;
    const std::string name = utf8OrLatin1(posting.name);
    KodraPosting record{};
    record.kind = static_cast<int>(posting.kind);
    record.nameUtf8 = name.c_str();
    record.total = posting.total;
    record.found = static_cast<int>(posting.parts.size());
    record.missing = posting.missing.data();
    record.missingCount = static_cast<int>(posting.missing.size());
    record.duplicates = posting.duplicates.data();
    record.duplicateCount = static_cast<int>(posting.duplicates.size());
    record.overlapping = posting.overlapping.data();
    record.overlappingCount = static_cast<int>(posting.overlapping.size());
    record.status = static_cast<int>(posting.status);
    record.reason = posting.status == PostingStatus::complete ? "" : posting.reason.c_str();
    record.path = path.empty() ? nullptr : path.c_str();
    report->posting(report->context, &record);
}

// Runs the engine over input into the job's folder with its mode and the names left, and
// returns the parts decoded. Every input of the job is refused as an output, not only the one
// being read.
int decodeIntoFolder(const Context& context, DecodeInput input, const JoinInputs& inputs, JoinOutput& output) {
    input.yenc = true;  // a Kodra* export's decode: single yEnc sections too
    DecodeTarget target;
    target.mode = output.mode();
    target.names = output.names();
    target.folder = output.folder();
    target.refused = inputs.protectedFiles();
    const DecodeSummary summary = runDecode(context.ui, std::move(input), target);
    if (summary.namesLeft) output.setNames(summary.namesLeft);
    return summary.partsDecoded;
}

// The engine over the stretches that hold no piece; returns the parts decoded.
int decodeOrdinary(const Context& context, JoinInputs& inputs, const Survey& found, JoinOutput& output) {
    int decoded = 0;
    for (int i = 0; i < inputs.count(); ++i) {
        const auto index = static_cast<std::size_t>(i);
        if (output.toFolder() && !found.hasPieces[index] && inputs.path(i)) {
            // A file without pieces is decoded exactly as a single input is.
            DecodeInput input;
            input.path = inputs.path(i);
            decoded += decodeIntoFolder(context, std::move(input), inputs, output);
            continue;
        }
        for (const TextRange& range : found.ordinary[index]) {
            const std::optional<std::string_view> text = inputs.bytes(i);
            if (!text) break;
            const std::string_view stretch = text->substr(range.begin, range.end - range.begin);
            if (blank(stretch)) continue;
            if (!output.toFolder()) {
                decoded += relayDecode(context.ui, stretch, static_cast<long long>(range.begin), output, true).finished;
                continue;
            }
            DecodeInput input;
            input.data = stretch.data();
            input.size = stretch.size();
            input.inMemory = true;
            decoded += decodeIntoFolder(context, std::move(input), inputs, output);
        }
    }
    return decoded;
}

}  // namespace

int decodeInputs(const Context& context, const KodraInput* inputs, int count, const char* folder,
                 const KodraSink* sink, const KodraPostingReport* report) noexcept {
    if (!inputsWellFormed(inputs, count) || (!folder && !sink)) return -1;
    try {
        JoinInputs joinInputs(inputs, count);
        Survey found;
        if (!survey(joinInputs, found)) return -1;
        std::vector<PostingGroup> postings = groupPieces(found.pieces);
        const std::string names = context.names;
        std::optional<JoinOutput> outputs;
        if (folder) outputs.emplace(folder, context.mode, names.c_str(), joinInputs.protectedFiles());
        else outputs.emplace(*sink);
        JoinOutput& output = *outputs;
        int decoded = decodeOrdinary(context, joinInputs, found, output);
        for (PostingGroup& posting : postings) {
            AssemblyResult result;
            switch (posting.kind) {
                case PostingKind::yenc: result = assembleYenc(joinInputs, posting, output); break;
                case PostingKind::uu: result = assembleUu(context.ui, joinInputs, posting, output); break;
                case PostingKind::partial: result = assemblePartial(context.ui, joinInputs, posting, output); break;
            }
            if (result.finished && posting.status == PostingStatus::complete) ++decoded;
            tell(report, posting, result.path);
        }
        return decoded;
    } catch (...) {
        return -1;
    }
}

int listPostings(const Context& context, const KodraInput* inputs, int count, const KodraPostingReport* report) noexcept {
    (void)context;
    if (!inputsWellFormed(inputs, count)) return -1;
    try {
        JoinInputs joinInputs(inputs, count);
        Survey found;
        if (!survey(joinInputs, found)) return -1;
        const std::vector<PostingGroup> postings = groupPieces(found.pieces);
        for (const PostingGroup& posting : postings) tell(report, posting, std::string());
        return static_cast<int>(postings.size());
    } catch (...) {
        return -1;
    }
}

}  // namespace kodra
