// Joining split postings: every order of the parts joins to the same bytes; missing,
// duplicate and overlapping parts and failed checks are reported by number and never
// produce the final name.
#include "join/join_test_postings.h"
#include "join/join_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <numeric>

namespace kodra::testing {
namespace {

using namespace kodra::testing::join;

enum class Kind { yenc, uu, partial };

SplitPosting build(Kind kind, const std::string& name, const std::string& content, int parts) {
    switch (kind) {
        case Kind::yenc: return yencPosting(name, content, parts);
        case Kind::uu: return uuPosting(name, content, parts);
        case Kind::partial: return partialPosting(name, content, parts);
    }
    return {};
}

int postingKind(Kind kind) {
    return kind == Kind::yenc ? KODRA_POSTING_YENC : kind == Kind::uu ? KODRA_POSTING_UU : KODRA_POSTING_PARTIAL;
}

// A joining decode of inputs into a recording sink, and the postings it reported.
struct SinkJoin {
    RecordingSink sink;
    PostingRecorder recorder;
    int decoded = 0;
};

SinkJoin joinToSink(KodraContext* context, const std::vector<KodraInput>& inputs) {
    SinkJoin join;
    const KodraSink callbacks = join.sink.sink();
    const KodraPostingReport report = join.recorder.report();
    join.decoded = KodraDecodeInputs(context, inputs.data(), static_cast<int>(inputs.size()), nullptr, &callbacks, &report);
    return join;
}

struct PermutationRow {
    const char* name;
    Kind kind;
    int parts;
    std::size_t size;
};

class JoinEveryOrder : public ::testing::TestWithParam<PermutationRow> {};

TEST_P(JoinEveryOrder, JoinsBitExactToASink) {
    const PermutationRow& row = GetParam();
    const SplitPosting posting = build(row.kind, "data.bin", binaryPayload(row.size, 7), row.parts);
    std::vector<int> order(static_cast<std::size_t>(row.parts));
    std::iota(order.begin(), order.end(), 0);
    ContextHandle context(KodraOpenContext());
    int permutations = 0;
    do {
        std::vector<std::string> blocks;
        for (int index : order) blocks.push_back(posting.articles[static_cast<std::size_t>(index)]);
        const std::vector<KodraInput> inputs = memoryInputs(blocks);
        const SinkJoin join = joinToSink(context.get(), inputs);
        const RecordingSink& sink = join.sink;
        const PostingRecorder& recorder = join.recorder;
        const int decoded = join.decoded;
        const std::string which = "order " + std::to_string(permutations);
        EXPECT_EQ(decoded, 1) << which;
        EXPECT_TRUE(sink.errors.empty()) << which << ": " << (sink.errors.empty() ? "" : sink.errors.front());
        ASSERT_EQ(sink.parts.size(), 1u) << which;
        EXPECT_EQ(sink.parts[0].status, KODRA_PART_DECODED) << which;
        EXPECT_EQ(sink.parts[0].name, "data.bin") << which;
        EXPECT_TRUE(sameBytes(sink.parts[0].data, posting.content)) << which;
        ASSERT_EQ(recorder.postings.size(), 1u) << which;
        const RecordedPosting& got = recorder.postings[0];
        EXPECT_EQ(got.kind, postingKind(row.kind)) << which;
        EXPECT_EQ(got.status, KODRA_POSTING_COMPLETE) << which << ": " << got.reason;
        EXPECT_EQ(got.found, row.parts) << which;
        EXPECT_EQ(got.total, row.parts) << which;
        ++permutations;
    } while (std::next_permutation(order.begin(), order.end()));
}

TEST_P(JoinEveryOrder, JoinsBitExactFromFilesIntoAFolder) {
    const PermutationRow& row = GetParam();
    const SplitPosting posting = build(row.kind, "data.bin", binaryPayload(row.size, 3), row.parts);
    std::vector<std::string> blocks(posting.articles.rbegin(), posting.articles.rend());
    TempFolder in, out;
    const std::vector<std::string> paths = writeInputs(in, blocks);
    const std::vector<KodraInput> inputs = fileInputs(paths);
    ContextHandle context(KodraOpenContext());
    PostingRecorder recorder;
    const KodraPostingReport report = recorder.report();
    const int decoded = KodraDecodeInputs(context.get(), inputs.data(), static_cast<int>(inputs.size()),
                                          out.path().string().c_str(), nullptr, &report);
    EXPECT_EQ(decoded, 1);
    EXPECT_EQ(out.names(), std::set<std::string>{"data.bin"});
    EXPECT_TRUE(sameBytes(readFile(out.file("data.bin")), posting.content));
    ASSERT_EQ(recorder.postings.size(), 1u);
    EXPECT_EQ(samePlace(recorder.postings[0].path), samePlace(out.file("data.bin")));
}

INSTANTIATE_TEST_SUITE_P(Postings, JoinEveryOrder,
                         ::testing::Values(PermutationRow{"yenc_3_parts", Kind::yenc, 3, 5000},
                                           PermutationRow{"yenc_4_parts", Kind::yenc, 4, 9001},
                                           PermutationRow{"uu_3_parts", Kind::uu, 3, 6000},
                                           PermutationRow{"uu_4_parts", Kind::uu, 4, 8000},
                                           PermutationRow{"partial_3_parts", Kind::partial, 3, 7000},
                                           PermutationRow{"partial_4_parts", Kind::partial, 4, 9000}),
                         [](const auto& row) { return std::string(row.param.name); });

// Replaces the first text in article with another.
std::string replaced(std::string article, const std::string& text, const std::string& with) {
    const std::size_t at = article.find(text);
    if (at != std::string::npos) article.replace(at, text.size(), with);
    return article;
}

struct FaultRow {
    const char* name;
    Kind kind;
    // Turns the posting's four articles into the inputs.
    std::function<std::vector<std::string>(const SplitPosting&)> inputs;
    int status;
    std::vector<int> missing, duplicates, overlapping;
};

std::vector<std::string> without(const SplitPosting& posting, std::size_t index) {
    std::vector<std::string> blocks = posting.articles;
    blocks.erase(blocks.begin() + static_cast<std::ptrdiff_t>(index));
    return blocks;
}

std::vector<std::string> withCopy(const SplitPosting& posting, std::size_t index, bool changed) {
    std::vector<std::string> blocks = posting.articles;
    std::string copy = blocks[index];
    // A changed copy: one data character differs (not a control line's).
    if (changed) copy[copy.size() - 200] = copy[copy.size() - 200] == 'A' ? 'B' : 'A';
    blocks.insert(blocks.begin() + 1, copy);
    return blocks;
}

std::string yencField(const std::string& article, const std::string& field) {
    const std::size_t at = article.find(field);
    return article.substr(at, article.find_first_of(" \n", at + 1) - at);
}

class JoinFaults : public ::testing::TestWithParam<FaultRow> {};

TEST_P(JoinFaults, ReportedByNumberAndNeverUnderTheFinalName) {
    const FaultRow& row = GetParam();
    const SplitPosting posting = build(row.kind, "data.bin", binaryPayload(12000, 5), 4);
    const std::vector<std::string> blocks = row.inputs(posting);
    const std::vector<KodraInput> inputs = memoryInputs(blocks);
    ContextHandle context(KodraOpenContext());

    const SinkJoin join = joinToSink(context.get(), inputs);
    const RecordingSink& sink = join.sink;
    const PostingRecorder& recorder = join.recorder;
    const int decoded = join.decoded;
    ASSERT_EQ(recorder.postings.size(), 1u);
    const RecordedPosting& got = recorder.postings[0];
    EXPECT_EQ(got.status, row.status) << "reason: " << got.reason;
    EXPECT_EQ(joinedNumbers(got.missing), joinedNumbers(row.missing));
    EXPECT_EQ(joinedNumbers(got.duplicates), joinedNumbers(row.duplicates));
    EXPECT_EQ(joinedNumbers(got.overlapping), joinedNumbers(row.overlapping));
    EXPECT_TRUE(sink.errors.empty());
    const bool complete = row.status == KODRA_POSTING_COMPLETE;
    EXPECT_EQ(decoded, complete ? 1 : 0);
    EXPECT_EQ(got.reason.empty(), complete) << "got reason \"" << got.reason << "\"";
    for (const RecordedPart& part : sink.parts)
        EXPECT_EQ(part.status, complete ? KODRA_PART_DECODED : KODRA_PART_FAILED) << part;

    // Listing sees the same numbers without decoding.
    PostingRecorder listed;
    const KodraPostingReport listReport = listed.report();
    EXPECT_EQ(KodraListPostings(context.get(), inputs.data(), static_cast<int>(inputs.size()), &listReport), 1);
    ASSERT_EQ(listed.postings.size(), 1u);
    EXPECT_EQ(joinedNumbers(listed.postings[0].missing), joinedNumbers(row.missing));
    EXPECT_EQ(joinedNumbers(listed.postings[0].duplicates), joinedNumbers(row.duplicates));

    TempFolder out;
    PostingRecorder written;
    const KodraPostingReport writtenReport = written.report();
    KodraDecodeInputs(context.get(), inputs.data(), static_cast<int>(inputs.size()), out.path().string().c_str(),
                      nullptr, &writtenReport);
    const std::set<std::string> names = out.names();
    if (complete) {
        EXPECT_EQ(names, std::set<std::string>{"data.bin"});
        EXPECT_TRUE(sameBytes(readFile(out.file("data.bin")), posting.content));
    } else {
        EXPECT_EQ(names.count("data.bin"), 0u) << "the final name was written";
        EXPECT_EQ(names.count("data.bin.incomplete"), 1u) << "got " << names.size() << " names";
        ASSERT_EQ(written.postings.size(), 1u);
        EXPECT_EQ(samePlace(written.postings[0].path), samePlace(out.file("data.bin.incomplete")));
    }
    for (const std::string& name : names) EXPECT_EQ(name.find(".kodra-join"), std::string::npos) << name;
}

const FaultRow kFaults[] = {
    {"yenc_missing_part", Kind::yenc, [](const SplitPosting& p) { return without(p, 1); }, KODRA_POSTING_INCOMPLETE, {2}, {}, {}},
    {"yenc_identical_duplicate", Kind::yenc, [](const SplitPosting& p) { return withCopy(p, 2, false); }, KODRA_POSTING_COMPLETE, {}, {3}, {}},
    {"yenc_different_duplicate", Kind::yenc, [](const SplitPosting& p) { return withCopy(p, 2, true); }, KODRA_POSTING_FAILED, {}, {3}, {}},
    {"yenc_overlapping_ranges", Kind::yenc,
     [](const SplitPosting& p) {
         std::vector<std::string> blocks = p.articles;
         blocks[1] = replaced(blocks[1], yencField(blocks[1], "begin="), "begin=2000");
         return blocks;
     },
     KODRA_POSTING_FAILED, {}, {}, {1, 2}},
    {"yenc_bad_pcrc32", Kind::yenc,
     [](const SplitPosting& p) {
         std::vector<std::string> blocks = p.articles;
         blocks[2] = replaced(blocks[2], yencField(blocks[2], "pcrc32="), "pcrc32=01234567");
         return blocks;
     },
     KODRA_POSTING_FAILED, {}, {}, {}},
    {"yenc_bad_total_crc32", Kind::yenc,
     [](const SplitPosting& p) {
         std::vector<std::string> blocks = p.articles;
         blocks[3] = replaced(blocks[3], yencField(blocks[3], " crc32="), " crc32=89abcdef");
         return blocks;
     },
     KODRA_POSTING_FAILED, {}, {}, {}},
    {"yenc_part_numbered_zero", Kind::yenc,
     [](const SplitPosting& p) {
         std::vector<std::string> blocks = p.articles;
         blocks[0] = replaced(blocks[0], yencField(blocks[0], " part="), " part=0");
         return blocks;
     },
     KODRA_POSTING_FAILED, {1}, {}, {}},
    {"uu_missing_first_part", Kind::uu, [](const SplitPosting& p) { return without(p, 0); }, KODRA_POSTING_INCOMPLETE, {1}, {}, {}},
    {"uu_missing_last_part", Kind::uu, [](const SplitPosting& p) { return without(p, 3); }, KODRA_POSTING_INCOMPLETE, {4}, {}, {}},
    {"uu_identical_duplicate", Kind::uu, [](const SplitPosting& p) { return withCopy(p, 1, false); }, KODRA_POSTING_COMPLETE, {}, {2}, {}},
    {"uu_different_duplicate", Kind::uu, [](const SplitPosting& p) { return withCopy(p, 1, true); }, KODRA_POSTING_FAILED, {}, {2}, {}},
    {"partial_missing_middle_part", Kind::partial, [](const SplitPosting& p) { return without(p, 2); }, KODRA_POSTING_INCOMPLETE, {3}, {}, {}},
    {"partial_different_duplicate", Kind::partial, [](const SplitPosting& p) { return withCopy(p, 1, true); }, KODRA_POSTING_FAILED, {}, {2}, {}},
};

INSTANTIATE_TEST_SUITE_P(Postings, JoinFaults, ::testing::ValuesIn(kFaults),
                         [](const auto& row) { return std::string(row.param.name); });

// What an incomplete yEnc posting keeps: the parts found at their offsets, zeros where a part
// is missing, and never more zeros than its ranges can honestly ask for.
struct KeptRow {
    const char* name;
    std::size_t dropped;          // the article left out
    const char* lastBegin;        // replaces the last part's "=ypart begin=" value (null: kept)
    std::size_t keptParts;        // the kept file ends after this many quarters of the content
    bool zeroedGap;               // the dropped part's quarter is zeros in the kept file
    const char* reasonHas;
};

class JoinKeptIncomplete : public ::testing::TestWithParam<KeptRow> {};

TEST_P(JoinKeptIncomplete, KeepsFoundPartsAtTheirOffsets) {
    const KeptRow& row = GetParam();
    const std::string content = binaryPayload(12000, 9);
    const SplitPosting posting = yencPosting("data.bin", content, 4);
    std::vector<std::string> blocks = without(posting, row.dropped);
    if (row.lastBegin)
        blocks.back() = replaced(blocks.back(), yencField(blocks.back(), "begin="), std::string("begin=") + row.lastBegin);
    const std::vector<KodraInput> inputs = memoryInputs(blocks);
    ContextHandle context(KodraOpenContext());
    const SinkJoin join = joinToSink(context.get(), inputs);
    const RecordingSink& sink = join.sink;
    const PostingRecorder& recorder = join.recorder;
    EXPECT_EQ(join.decoded, 0);
    ASSERT_EQ(recorder.postings.size(), 1u);
    EXPECT_NE(recorder.postings[0].status, KODRA_POSTING_COMPLETE);
    EXPECT_NE(recorder.postings[0].reason.find(row.reasonHas), std::string::npos)
        << "got reason \"" << recorder.postings[0].reason << "\", want it to hold \"" << row.reasonHas << "\"";
    ASSERT_EQ(sink.parts.size(), 1u);
    std::string want = content.substr(0, 3000 * row.keptParts);
    if (row.zeroedGap) want.replace(3000 * row.dropped, 3000, std::string(3000, '\0'));
    EXPECT_EQ(sink.parts[0].data.size(), want.size());
    EXPECT_TRUE(sink.parts[0].data == want) << "the kept bytes differ";
    EXPECT_EQ(sink.parts[0].status, KODRA_PART_FAILED);
}

const KeptRow kKept[] = {
    {"missing_middle_part_zero_filled", 1, nullptr, 4, true, "missing part 2"},
    {"missing_first_part_zero_filled", 0, nullptr, 4, true, "missing part 1"},
    {"missing_last_part_ends_early", 3, nullptr, 3, false, "missing part 4"},
    {"range_too_far_to_fill", 2, "1000000000000000", 2, false, "ends before part 4"},
    {"range_at_the_limit_of_a_long_long", 2, "9223372036854775807", 2, false, "ends before part 4"},
};

INSTANTIATE_TEST_SUITE_P(Postings, JoinKeptIncomplete, ::testing::ValuesIn(kKept),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kodra::testing

namespace kodra::testing {
namespace {

using namespace kodra::testing::join;

// An ordinary article: one UUencoded file, not split.
std::string ordinaryArticle(const std::string& name, const std::string& content) {
    return "From: other@example.org\nNewsgroups: alt.test\nSubject: a whole file\nMessage-ID: <whole@example.org>\n\n"
           "begin 644 " + name + "\n" + uuLines(content) + "end\n";
}

struct MixedRow {
    const char* name;
    bool mbox;       // one mbox; else one plain concatenation
    bool shuffled;   // the articles of the postings interleaved
};

class JoinMixedInput : public ::testing::TestWithParam<MixedRow> {};

TEST_P(JoinMixedInput, OneInputHoldsEveryPostingAndOrdinaryFilesDecodeOnce) {
    const MixedRow& row = GetParam();
    const SplitPosting yenc = yencPosting("y.bin", binaryPayload(9000, 1), 3);
    const SplitPosting uu = uuPosting("u.bin", binaryPayload(7000, 2), 3);
    const SplitPosting partial = partialPosting("p.bin", binaryPayload(6000, 3), 3);
    const std::string whole = binaryPayload(3000, 4);
    std::vector<std::string> articles;
    for (int i = 0; i < 3; ++i) {
        const auto index = static_cast<std::size_t>(row.shuffled ? 2 - i : i);
        articles.push_back(yenc.articles[index]);
        articles.push_back(uu.articles[static_cast<std::size_t>(row.shuffled ? (i + 1) % 3 : i)]);
        articles.push_back(partial.articles[index]);
        if (i == 1) articles.push_back(ordinaryArticle("whole.bin", whole));
    }
    std::string input;
    if (row.mbox) {
        input = asMbox(articles);
    } else {
        for (const std::string& article : articles) input += article + "\n";
    }
    const std::vector<KodraInput> inputs{KodraInput{nullptr, input.data(), input.size()}};
    ContextHandle context(KodraOpenContext());
    const SinkJoin join = joinToSink(context.get(), inputs);
    const RecordingSink& sink = join.sink;
    const PostingRecorder& recorder = join.recorder;
    EXPECT_EQ(join.decoded, 4);
    EXPECT_TRUE(sink.errors.empty());
    std::map<std::string, std::string> got;
    for (const RecordedPart& part : sink.parts) {
        EXPECT_EQ(part.status, KODRA_PART_DECODED) << part;
        EXPECT_EQ(got.count(part.name), 0u) << part.name << " came twice";
        got[part.name] = part.data;
    }
    ASSERT_EQ(got.size(), 4u) << "got " << sink.parts.size() << " parts";
    EXPECT_TRUE(sameBytes(got["y.bin"], yenc.content));
    EXPECT_TRUE(sameBytes(got["u.bin"], uu.content));
    EXPECT_TRUE(sameBytes(got["p.bin"], partial.content));
    EXPECT_TRUE(sameBytes(got["whole.bin"], whole));
    ASSERT_EQ(recorder.postings.size(), 3u);
    for (const RecordedPosting& posting : recorder.postings)
        EXPECT_EQ(posting.status, KODRA_POSTING_COMPLETE) << posting.name << ": " << posting.reason;
}

INSTANTIATE_TEST_SUITE_P(Postings, JoinMixedInput,
                         ::testing::Values(MixedRow{"mbox_in_order", true, false}, MixedRow{"mbox_shuffled", true, true},
                                           MixedRow{"concatenation_in_order", false, false},
                                           MixedRow{"concatenation_shuffled", false, true}),
                         [](const auto& row) { return std::string(row.param.name); });

struct BadArgumentRow {
    const char* name;
    bool context, inputs, folder, sink;
    int count;
};

class JoinBadArguments : public ::testing::TestWithParam<BadArgumentRow> {};

TEST_P(JoinBadArguments, ReturnMinusOne) {
    const BadArgumentRow& row = GetParam();
    const std::string text = "nothing here\n";
    const KodraInput input{nullptr, text.data(), text.size()};
    ContextHandle context(KodraOpenContext());
    RecordingSink sink;
    const KodraSink callbacks = sink.sink();
    TempFolder out;
    const std::string folder = out.path().string();
    EXPECT_EQ(KodraDecodeInputs(row.context ? context.get() : nullptr, row.inputs ? &input : nullptr, row.count,
                                row.folder ? folder.c_str() : nullptr, row.sink ? &callbacks : nullptr, nullptr),
              -1);
    if (row.context && row.inputs && row.count > 0) return;  // a listing needs no folder or sink
    EXPECT_EQ(KodraListPostings(row.context ? context.get() : nullptr, row.inputs ? &input : nullptr, row.count, nullptr),
              -1);
}

INSTANTIATE_TEST_SUITE_P(Postings, JoinBadArguments,
                         ::testing::Values(BadArgumentRow{"null_context", false, true, true, false, 1},
                                           BadArgumentRow{"null_inputs", true, false, true, false, 1},
                                           BadArgumentRow{"no_inputs", true, true, true, false, 0},
                                           BadArgumentRow{"neither_folder_nor_sink", true, true, false, false, 1}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(JoinInputsFromFiles, AnUnreadableFileFailsTheCall) {
    TempFolder folder;
    const std::string missing = folder.file("missing.txt");
    const KodraInput input{missing.c_str(), nullptr, 0};
    ContextHandle context(KodraOpenContext());
    const std::string out = folder.path().string();
    EXPECT_EQ(KodraDecodeInputs(context.get(), &input, 1, out.c_str(), nullptr, nullptr), -1);
    EXPECT_EQ(KodraListPostings(context.get(), &input, 1, nullptr), -1);
}

}  // namespace
}  // namespace kodra::testing
