// Every input file of a joining decode is refused as an output: a section named like another
// input never overwrites it, whether its file holds pieces of a posting or not.
#include "join_test_support.h"
#include "yenc/yenc_test_support.h"

#include <gtest/gtest.h>

namespace kodra::testing {
namespace {

// UUencoded "hi\n" under the name of the second input.
const std::string kSectionNamedLikeInput1 = "begin 644 in-1.txt\n#:&D*\n`\nend\n";
// One part of a yEnc posting of two: a piece, so the job joins.
const std::string kYencPiece =
    "=ybegin part=1 total=2 line=128 size=4 name=x.bin\n=ypart begin=1 end=2\nkk\n=yend size=2 part=1\n";

struct ProtectedRow {
    const char* name;
    std::string input0;
    std::string input1;
};

class JoinProtectsInputs : public ::testing::TestWithParam<ProtectedRow> {};

TEST_P(JoinProtectsInputs, NoInputIsOverwritten) {
    const ProtectedRow& row = GetParam();
    TempFolder folder;
    const std::vector<std::string> paths = writeInputs(folder, {row.input0, row.input1});
    const std::vector<KodraInput> inputs = fileInputs(paths);
    ContextHandle context(KodraOpenContext());
    ASSERT_TRUE(context);
    PostingRecorder recorder;
    const KodraPostingReport report = recorder.report();
    KodraDecodeInputs(context.get(), inputs.data(), static_cast<int>(inputs.size()), folder.path().string().c_str(),
                      nullptr, &report);
    EXPECT_EQ(readFile(paths[1]), row.input1) << row.name << ": the second input was overwritten";
    EXPECT_EQ(readFile(paths[0]), row.input0) << row.name << ": the first input was changed";
}

INSTANTIATE_TEST_SUITE_P(
    Rows, JoinProtectsInputs,
    ::testing::Values(ProtectedRow{"section in a file without pieces", kSectionNamedLikeInput1, kYencPiece},
                      ProtectedRow{"section beside a piece", kYencPiece + "\n" + kSectionNamedLikeInput1,
                                   "just text\n"}),
    [](const ::testing::TestParamInfo<ProtectedRow>& row) {
        std::string name = row.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

// A single-part yEnc section beside the pieces of a posting is an ordinary section: the joining
// call decodes it like the other Kodra* decodes do, to a sink and into a folder.
TEST(JoinOrdinaryStretches, DecodeSinglePartYenc) {
    const char raw[] = "single part \x00\x0A\x0D= bytes";
    const std::string data(raw, sizeof raw - 1);
    const std::string single = "=ybegin line=128 size=" + std::to_string(data.size()) + " name=single.bin\r\n" +
                               yencEncode(data) + "=yend size=" + std::to_string(data.size()) + "\r\n";
    const std::vector<std::string> blocks = {kYencPiece + "\n" + single};
    const std::vector<KodraInput> inputs = memoryInputs(blocks);
    ContextHandle context(KodraOpenContext());
    ASSERT_TRUE(context);
    RecordingSink recorder;
    const KodraSink sink = recorder.sink();
    KodraDecodeInputs(context.get(), inputs.data(), 1, nullptr, &sink, nullptr);
    bool found = false;
    for (const RecordedPart& part : recorder.parts) {
        if (part.nameUtf8 != "single.bin") continue;
        found = true;
        EXPECT_EQ(part.encoding, KODRA_ENCODING_YENC);
        EXPECT_EQ(part.status, KODRA_PART_DECODED);
        EXPECT_EQ(part.data, data) << "got " << part.data.size() << " bytes";
    }
    EXPECT_TRUE(found) << "the single-part section was not decoded; got " << recorder.parts.size() << " parts";

    TempFolder folder;
    KodraDecodeInputs(context.get(), inputs.data(), 1, folder.path().string().c_str(), nullptr, nullptr);
    EXPECT_EQ(readFile(folder.file("single.bin")), data);
}

}  // namespace
}  // namespace kodra::testing
