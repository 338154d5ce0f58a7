// Postings split by peer tools join bit-exact whatever the order of their files: uuenview's
// yEnc parts, uuenview's UUencoded parts posted as articles with "(n/m)" subjects, and
// mpack's message/partial sets.
#include "join/join_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

namespace kodra::testing {
namespace {

bool havePeer(const char* program) {
    return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0;
}

// The files in folder whose names begin with prefix, in name order.
std::vector<std::string> filesStartingWith(const TempFolder& folder, const std::string& prefix) {
    std::vector<std::string> paths;
    for (const std::string& name : folder.names())
        if (name.compare(0, prefix.size(), prefix) == 0) paths.push_back(folder.file(name));
    return paths;
}

struct PeerRow {
    const char* name;
    const char* program;
    // The shell command run in the folder that holds "payload.bin"; it writes the parts.
    const char* command;
    const char* partPrefix;
    bool wrapAsArticles;  // each part file becomes an article whose subject carries "(n/m)"
    int postingKind;
    const char* joinedName;
};

class PeerPostings : public ::testing::TestWithParam<PeerRow> {};

TEST_P(PeerPostings, JoinBitExactInShuffledOrder) {
    const PeerRow& row = GetParam();
    if (!havePeer(row.program)) GTEST_SKIP() << row.program << " is not installed";
    TempFolder work, out;
    const std::string payload = binaryPayload(70000, 11);
    writeFile(work.file("payload.bin"), payload);
    const std::string command = "cd '" + work.path().string() + "' && " + row.command + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<std::string> parts = filesStartingWith(work, row.partPrefix);
    ASSERT_GE(parts.size(), 3u) << "the peer wrote " << parts.size() << " parts";
    if (row.wrapAsArticles) {
        for (std::size_t i = 0; i < parts.size(); ++i)
            writeFile(parts[i], "From: poster@example.org\nNewsgroups: alt.binaries.test\nSubject: payload.bin (" +
                                    std::to_string(i + 1) + "/" + std::to_string(parts.size()) + ")\n\n" +
                                    readFile(parts[i]));
    }
    std::mt19937 shuffle(5);
    std::shuffle(parts.begin(), parts.end(), shuffle);
    const std::vector<KodraInput> inputs = fileInputs(parts);
    ContextHandle context(KodraOpenContext());
    PostingRecorder recorder;
    const KodraPostingReport report = recorder.report();
    KodraDecodeInputs(context.get(), inputs.data(), static_cast<int>(inputs.size()), out.path().string().c_str(),
                      nullptr, &report);
    ASSERT_EQ(recorder.postings.size(), 1u);
    const RecordedPosting& got = recorder.postings[0];
    EXPECT_EQ(got.kind, row.postingKind);
    EXPECT_EQ(got.status, KODRA_POSTING_COMPLETE) << got.reason;
    EXPECT_EQ(got.found, static_cast<int>(parts.size()));
    EXPECT_TRUE(sameBytes(readFile(out.file(row.joinedName)), payload));
}

INSTANTIATE_TEST_SUITE_P(
    Peers, PeerPostings,
    ::testing::Values(
        PeerRow{"uuenview_yenc", "uuenview", "uuenview -y -200 -o payload.bin", "payload.0", false, KODRA_POSTING_YENC,
                "payload.bin"},
        PeerRow{"uuenview_uu_articles", "uuenview", "uuenview -u -200 -o payload.bin", "payload.0", true,
                KODRA_POSTING_UU, "payload.bin"},
        PeerRow{"mpack_partial", "mpack", "mpack -s payload -m 20000 -o part payload.bin", "part.", false,
                KODRA_POSTING_PARTIAL, "payload.bin"}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kodra::testing
