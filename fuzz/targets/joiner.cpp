// Joining postings over arbitrary articles: the input is cut into articles by a seed taken
// from its first bytes, and they are given shuffled, with duplicates and gaps, to the memory
// form of KodraDecodeInputs with a sink and to KodraListPostings. Checks: no crash, begin and
// end pair up with consistent statuses, a complete posting has every part and none missing,
// and the listing reports the same postings as the decode.
#include "fuzz_support.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace {

using kodra::fuzz::check;

struct Pairing {
    bool open = false;
    int nextIndex = 0;
    int decoded = 0;
};

int KODRA_CALL onBegin(void* context, const KodraPart* part) {
    auto& pairing = *static_cast<Pairing*>(context);
    check(part != nullptr && !pairing.open, "begin before the last part's end");
    check(part->index == pairing.nextIndex++, "part indexes out of order");
    check(part->encoding >= KODRA_ENCODING_UU && part->encoding <= KODRA_ENCODING_YENC, "part encoding out of range");
    check(part->name != nullptr && part->nameUtf8 != nullptr, "part without a name");
    pairing.open = true;
    return part->index % 5 == 4 ? 0 : 1;
}

int KODRA_CALL onData(void* context, const void* bytes, size_t size) {
    check(static_cast<Pairing*>(context)->open, "data outside a part");
    check(bytes != nullptr && size > 0, "an empty data call");
    return 1;
}

void KODRA_CALL onEnd(void* context, const KodraPart* part, int status) {
    auto& pairing = *static_cast<Pairing*>(context);
    check(pairing.open && part != nullptr, "end outside a part");
    check(part->index == pairing.nextIndex - 1, "end describes another part than begin");
    check(status == KODRA_PART_DECODED || status == KODRA_PART_FAILED || status == KODRA_PART_SKIPPED,
          "status out of range");
    if (part->index % 5 == 4) check(status == KODRA_PART_SKIPPED, "a declined part did not end skipped");
    pairing.decoded += status == KODRA_PART_DECODED;
    pairing.open = false;
}

struct Postings {
    std::vector<std::string> seen;  // name, kind and found of every posting, in order
    int complete = 0;
};

void KODRA_CALL onPosting(void* context, const KodraPosting* posting) {
    auto& postings = *static_cast<Postings*>(context);
    check(posting != nullptr && posting->nameUtf8 != nullptr && posting->reason != nullptr, "posting without text");
    check(posting->kind >= KODRA_POSTING_YENC && posting->kind <= KODRA_POSTING_PARTIAL, "posting kind out of range");
    check(posting->status >= KODRA_POSTING_COMPLETE && posting->status <= KODRA_POSTING_FAILED, "status out of range");
    check(posting->missingCount >= 0 && posting->duplicateCount >= 0 && posting->overlappingCount >= 0, "negative count");
    for (int i = 1; i < posting->missingCount; ++i)
        check(posting->missing[i - 1] < posting->missing[i], "missing parts not ascending");
    if (posting->status == KODRA_POSTING_COMPLETE) {
        check(posting->missingCount == 0 && posting->found == posting->total && posting->total > 0,
              "a complete posting with parts missing", std::to_string(posting->found) + " of " + std::to_string(posting->total));
        check(posting->reason[0] == '\0', "a complete posting with a reason");
        ++postings.complete;
    } else {
        check(posting->reason[0] != '\0', "an incomplete posting without a reason");
    }
    postings.seen.push_back(std::string(posting->nameUtf8) + "/" + std::to_string(posting->kind) + "/" +
                            std::to_string(posting->found));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::uint32_t seed = static_cast<std::uint32_t>(data[0]) | (static_cast<std::uint32_t>(data[1]) << 8u) |
                               (static_cast<std::uint32_t>(data[2]) << 16u) | (static_cast<std::uint32_t>(data[3]) << 24u);
    const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);
    std::mt19937 random(seed);
    // Articles: cut at line starts, a few per input.
    std::vector<std::string> articles;
    std::size_t start = 0;
    while (start < text.size() && articles.size() < 16) {
        std::size_t cut = start + 1 + random() % 4096;
        const std::size_t lf = text.find('\n', std::min(cut, text.size()));
        cut = lf == std::string::npos ? text.size() : lf + 1;
        articles.push_back(text.substr(start, cut - start));
        start = cut;
    }
    std::vector<std::string> blocks;
    for (const std::string& article : articles) {
        const unsigned roll = random() % 8;
        if (roll == 0) continue;  // a gap
        blocks.push_back(article);
        if (roll == 1) blocks.push_back(article);  // a duplicate
    }
    if (blocks.empty()) return 0;
    std::shuffle(blocks.begin(), blocks.end(), random);
    std::vector<KodraInput> inputs;
    for (const std::string& block : blocks) inputs.push_back(KodraInput{nullptr, block.data(), block.size()});

    KodraContext* context = KodraOpenContext();
    check(context != nullptr, "KodraOpenContext failed");
    Pairing pairing;
    const KodraSink sink{&pairing, onBegin, onData, onEnd};
    Postings decoded;
    const KodraPostingReport decodeReport{&decoded, onPosting};
    const int result = KodraDecodeInputs(context, inputs.data(), static_cast<int>(inputs.size()), nullptr, &sink, &decodeReport);
    check(result >= 0, "a memory decode failed");
    check(!pairing.open, "a part began and never ended");
    check(result <= pairing.decoded + decoded.complete, "the result counts more than was decoded");

    Postings listed;
    const KodraPostingReport listReport{&listed, onPosting};
    const int count = KodraListPostings(context, inputs.data(), static_cast<int>(inputs.size()), &listReport);
    check(count == static_cast<int>(listed.seen.size()), "the listing's result is not its count of postings");
    check(listed.seen == decoded.seen, "the listing and the decode found different postings");
    KodraCloseContext(context);
    return 0;
}
