// The reentrant decoding exports: sinks, listings and folder decodes of memory and files
// agree with each other and with DecodeFile; sinks can decline and stop parts; argument
// checks; a context's user interface is its own.
#include "frame/utf8_text.h"
#include "kodra32.h"
#include "recording_sink.h"
#include "reentrant_messages.h"
#include "support/scripted_user_interface.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <tuple>

namespace kodra::testing {
namespace {

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};
using ContextHandle = std::unique_ptr<KodraContext, ContextCloser>;

ContextHandle openContext() {
    ContextHandle context(KodraOpenContext());
    EXPECT_NE(context, nullptr);
    return context;
}

// Every file directly in folder, name (UTF-8) to bytes, read through the Unicode name.
std::map<std::string, std::string> filesIn(const TempFolder& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : folder.names()) {
        std::ifstream in(std::filesystem::u8path(folder.file(name)), std::ios::binary);
        files[name] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

struct SinkRun {
    int result = 0;
    RecordingSink recorder;
};

SinkRun decodeMemory(KodraContext* context, const std::string& message, std::set<int> decline = {},
                     std::set<int> stop = {}) {
    SinkRun run;
    run.recorder.decline = std::move(decline);
    run.recorder.stop = std::move(stop);
    const KodraSink sink = run.recorder.sink();
    run.result = KodraDecodeMemoryToSink(context, message.data(), message.size(), &sink);
    return run;
}

using Row = std::tuple<MessageCase, bool>;  // the message, LF line ends

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    return std::get<0>(info.param).name + (std::get<1>(info.param) ? "_Lf" : "_CrLf");
}

class ReentrantDecodeTest : public ::testing::TestWithParam<Row> {
protected:
    std::string message() const {
        const std::string& crlf = std::get<0>(GetParam()).message;
        return std::get<1>(GetParam()) ? withLf(crlf) : crlf;
    }
    const std::vector<WantPart>& want() const { return std::get<0>(GetParam()).want; }
    // A text part keeps the message's line ends.
    std::string wantData(const WantPart& part) const {
        const bool text = part.encoding == KODRA_ENCODING_TEXT || part.encoding == KODRA_ENCODING_QUOTED_PRINTABLE;
        return text && std::get<1>(GetParam()) ? lfTextAsWritten(withLf(part.data)) : part.data;
    }
};

TEST_P(ReentrantDecodeTest, SinkGetsTheExpectedParts) {
    ASSERT_FALSE(message().empty()) << "the row's message could not be built";
    ContextHandle context = openContext();
    const SinkRun run = decodeMemory(context.get(), message());
    EXPECT_EQ(run.recorder.errors, std::vector<std::string>{});
    ASSERT_EQ(run.recorder.parts.size(), want().size()) << "got parts " << ::testing::PrintToString(run.recorder.parts);
    for (std::size_t i = 0; i < want().size(); ++i) {
        const RecordedPart& got = run.recorder.parts[i];
        const WantPart& wanted = want()[i];
        EXPECT_EQ(got.encoding, wanted.encoding) << "part " << i;
        if (!wanted.name.empty()) {
            EXPECT_EQ(got.name, wanted.name) << "part " << i;
        }
        if (wanted.checkData) {
            EXPECT_TRUE(sameBytes(got.data, wantData(wanted))) << "part " << i;
        }
        EXPECT_EQ(got.status, KODRA_PART_DECODED) << "part " << i;
        EXPECT_LE(got.offset, static_cast<long long>(message().size())) << "part " << i;
        if (i > 0) {
            EXPECT_GT(got.offset, run.recorder.parts[i - 1].offset) << "part " << i;
        }
        // The UTF-8 name is the name itself when that is UTF-8 already.
        if (wanted.name.find('\xEF') == std::string::npos) {
            EXPECT_EQ(got.nameUtf8, got.name) << "part " << i;
        }
    }
    EXPECT_EQ(run.result, static_cast<int>(want().size()));
}

TEST_P(ReentrantDecodeTest, Latin1NameIsGivenAsUtf8) {
    ContextHandle context = openContext();
    const SinkRun run = decodeMemory(context.get(), message());
    for (const RecordedPart& part : run.recorder.parts) {
        const std::size_t at = part.name.find('\xEF');
        if (at == std::string::npos) continue;
        std::string want = part.name;
        want.replace(at, 1, "\xC3\xAF");
        EXPECT_EQ(part.nameUtf8, want) << "part " << part.index;
    }
}

TEST_P(ReentrantDecodeTest, MemoryFileAndListingAgree) {
    ContextHandle context = openContext();
    TempFolder folder;
    const std::string path = folder.file("msg.txt");
    writeFile(path, message());
    const SinkRun memory = decodeMemory(context.get(), message());

    RecordingSink fromFile;
    const KodraSink fileSink = fromFile.sink();
    EXPECT_EQ(KodraDecodeFileToSink(context.get(), path.c_str(), &fileSink), memory.result);
    EXPECT_EQ(fromFile.parts, memory.recorder.parts);
    EXPECT_EQ(fromFile.errors, std::vector<std::string>{});

    for (const bool fromMemory : {true, false}) {
        RecordingSink listed;
        listed.decline = {0, 1, 2, 3};  // a listing ignores begin's answer
        const KodraSink sink = listed.sink();
        const int count = fromMemory ? KodraListMemoryParts(context.get(), message().data(), message().size(), &sink)
                                     : KodraListFileParts(context.get(), path.c_str(), &sink);
        EXPECT_EQ(count, static_cast<int>(memory.recorder.parts.size())) << (fromMemory ? "memory" : "file");
        ASSERT_EQ(listed.parts.size(), memory.recorder.parts.size()) << (fromMemory ? "memory" : "file");
        for (std::size_t i = 0; i < listed.parts.size(); ++i) {
            RecordedPart want = memory.recorder.parts[i];
            want.data.clear();
            want.status = -1;  // no end call
            EXPECT_EQ(listed.parts[i], want) << (fromMemory ? "memory" : "file") << " part " << i;
            EXPECT_EQ(listed.parts[i].dataCalls, 0) << "part " << i;
        }
    }
}

TEST_P(ReentrantDecodeTest, SinkMatchesDecodeFileGivenNames) {
    // Mode 1 takes one given name per part in order, so file i holds what the sink got as part i.
    ContextHandle context = openContext();
    const SinkRun memory = decodeMemory(context.get(), message());
    TempFolder folder;
    const std::string path = folder.file("msg.txt");
    writeFile(path, message());
    std::string names;
    for (std::size_t i = 0; i <= memory.recorder.parts.size(); ++i)
        names += (i ? ";" : "") + folder.file("given" + std::to_string(i));
    DecodeFile(path.c_str(), names.c_str(), 1);
    std::map<std::string, std::string> files = filesIn(folder);
    files.erase("msg.txt");
    std::map<std::string, std::string> want;
    for (const RecordedPart& part : memory.recorder.parts) want["given" + std::to_string(part.index)] = part.data;
    EXPECT_EQ(files, want);

    // The same through the context's names, from memory into the folder.
    TempFolder other;
    std::string otherNames;
    for (std::size_t i = 0; i <= memory.recorder.parts.size(); ++i)
        otherNames += (i ? ";" : "") + other.file("given" + std::to_string(i));
    ASSERT_EQ(KodraSetContextOption(context.get(), KODRA_OPTION_MODE, 1), 1);
    ASSERT_EQ(KodraSetContextNames(context.get(), otherNames.c_str()), 1);
    KodraDecodeMemoryTo(context.get(), message().data(), message().size(), other.path().string().c_str());
    EXPECT_EQ(filesIn(other), want);
}

TEST_P(ReentrantDecodeTest, FolderDecodesWriteWhatDecodeFileWrites) {
    TempFolder classic, fromMemory, inputs, outputs;
    writeFile(classic.file("msg.txt"), message());
    const int classicResult = DecodeFile(classic.file("msg.txt").c_str(), "", 3);
    std::map<std::string, std::string> want = filesIn(classic);
    want.erase("msg.txt");
    EXPECT_FALSE(want.empty());

    ContextHandle context = openContext();
    EXPECT_EQ(KodraDecodeMemoryTo(context.get(), message().data(), message().size(), fromMemory.path().string().c_str()),
              classicResult);
    EXPECT_EQ(filesIn(fromMemory), want);

    // With a folder the outputs go there, and nothing lands beside the input.
    writeFile(inputs.file("msg.txt"), message());
    EXPECT_EQ(KodraDecodeFileTo(context.get(), inputs.file("msg.txt").c_str(), outputs.path().string().c_str()),
              classicResult);
    EXPECT_EQ(filesIn(outputs), want);
    EXPECT_EQ(inputs.names(), std::set<std::string>{"msg.txt"});

    // Without one they go beside the input, as DecodeFile's do.
    TempFolder beside;
    writeFile(beside.file("msg.txt"), message());
    EXPECT_EQ(KodraDecodeFileTo(context.get(), beside.file("msg.txt").c_str(), nullptr), classicResult);
    std::map<std::string, std::string> got = filesIn(beside);
    got.erase("msg.txt");
    EXPECT_EQ(got, want);

    // Each part the sink decoded with a name of its own is a file of those bytes.
    const SinkRun sink = decodeMemory(context.get(), message());
    std::map<std::string, int> uses;
    for (const RecordedPart& part : sink.recorder.parts) ++uses[part.name];
    for (const RecordedPart& part : sink.recorder.parts) {
        if (uses[part.name] != 1 || part.status != KODRA_PART_DECODED) continue;
#ifdef _WIN32
        // Windows file names are Unicode, reached from UTF-8 paths: bytes that are not UTF-8
        // name no file there.
        if (!isUtf8(part.name)) continue;
#endif
        const auto file = want.find(part.name);
        ASSERT_NE(file, want.end()) << "no file for part " << part;
        EXPECT_TRUE(sameBytes(file->second, part.data)) << "part " << part;
    }
}

TEST_P(ReentrantDecodeTest, DeclinedPartIsSkipped) {
    ContextHandle context = openContext();
    const SinkRun all = decodeMemory(context.get(), message());
    for (std::size_t k = 0; k < all.recorder.parts.size(); ++k) {
        const SinkRun run = decodeMemory(context.get(), message(), {static_cast<int>(k)});
        EXPECT_EQ(run.recorder.errors, std::vector<std::string>{}) << "declining part " << k;
        ASSERT_EQ(run.recorder.parts.size(), all.recorder.parts.size()) << "declining part " << k;
        std::vector<RecordedPart> want = all.recorder.parts;
        want[k].data.clear();
        want[k].status = KODRA_PART_SKIPPED;
        EXPECT_EQ(run.recorder.parts, want) << "declining part " << k;
        EXPECT_EQ(run.recorder.parts[k].dataCalls, 0) << "declining part " << k;
        EXPECT_EQ(run.result, all.result - (all.recorder.parts[k].status == KODRA_PART_DECODED))
            << "declining part " << k;
    }
}

TEST_P(ReentrantDecodeTest, StoppedPartFails) {
    ContextHandle context = openContext();
    const SinkRun all = decodeMemory(context.get(), message());
    for (std::size_t k = 0; k < all.recorder.parts.size(); ++k) {
        if (all.recorder.parts[k].data.empty()) continue;
        const SinkRun run = decodeMemory(context.get(), message(), {}, {static_cast<int>(k)});
        EXPECT_EQ(run.recorder.errors, std::vector<std::string>{}) << "stopping part " << k;
        ASSERT_EQ(run.recorder.parts.size(), all.recorder.parts.size()) << "stopping part " << k;
        const RecordedPart& stopped = run.recorder.parts[k];
        EXPECT_EQ(stopped.status, KODRA_PART_FAILED) << "stopping part " << k;
        EXPECT_EQ(stopped.dataCalls, 1) << "stopping part " << k;
        EXPECT_EQ(all.recorder.parts[k].data.compare(0, stopped.data.size(), stopped.data), 0)
            << "stopping part " << k << ": got bytes that are not a prefix of the part";
        for (std::size_t i = 0; i < all.recorder.parts.size(); ++i)
            if (i != k) {
                EXPECT_EQ(run.recorder.parts[i], all.recorder.parts[i]) << "stopping part " << k;
            }
        EXPECT_EQ(run.result, all.result - 1) << "stopping part " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(Messages, ReentrantDecodeTest,
                         ::testing::Combine(::testing::ValuesIn(reentrantMessages()), ::testing::Bool()), rowName);
INSTANTIATE_TEST_SUITE_P(BinHex, ReentrantDecodeTest,
                         ::testing::Combine(::testing::ValuesIn(binHexMessages()), ::testing::Bool()), rowName);

// A sink without begin and end takes every part; one without data takes none.
TEST(ReentrantSink, NullMembers) {
    ContextHandle context = openContext();
    const MessageCase row = reentrantMessages()[0];
    std::string collected;
    KodraSink dataOnly{&collected, nullptr,
                       [](void* self, const void* bytes, size_t size) {
                           static_cast<std::string*>(self)->append(static_cast<const char*>(bytes), size);
                           return 1;
                       },
                       nullptr};
    EXPECT_EQ(KodraDecodeMemoryToSink(context.get(), row.message.data(), row.message.size(), &dataOnly),
              static_cast<int>(row.want.size()));
    std::string want;
    for (const WantPart& part : row.want) want += part.data;
    EXPECT_TRUE(sameBytes(collected, want));

    RecordingSink recorder;
    KodraSink noData = recorder.sink();
    noData.data = nullptr;
    EXPECT_EQ(KodraDecodeMemoryToSink(context.get(), row.message.data(), row.message.size(), &noData), 0);
    ASSERT_EQ(recorder.parts.size(), row.want.size());
    for (const RecordedPart& part : recorder.parts) EXPECT_EQ(part.status, KODRA_PART_SKIPPED) << part;
}

// ---- Arguments ---------------------------------------------------------------------

struct NullCase {
    const char* name;
    int (*call)(KodraContext* context, const KodraSink* sink, const char* path, const char* folder);
    int want;
};

class ReentrantNullArgumentTest : public ::testing::TestWithParam<NullCase> {};

TEST_P(ReentrantNullArgumentTest, GivesTheFailureValue) {
    TempFolder folder;
    const std::string path = folder.file("msg.txt");
    writeFile(path, reentrantMessages()[0].message);
    ContextHandle context = openContext();
    RecordingSink recorder;
    const KodraSink sink = recorder.sink();
    const NullCase& c = GetParam();
    EXPECT_EQ(c.call(context.get(), &sink, path.c_str(), folder.path().string().c_str()), c.want);
    EXPECT_TRUE(recorder.parts.empty()) << "got " << recorder.parts.size() << " parts, want none";
    EXPECT_EQ(folder.names(), std::set<std::string>{"msg.txt"});
}

const char kBytes[] = "begin 644 x.bin\r\n#86)C\r\n`\r\nend\r\n";

INSTANTIATE_TEST_SUITE_P(
    Exports, ReentrantNullArgumentTest,
    ::testing::Values(
        NullCase{"FileToSinkNullContext", [](KodraContext*, const KodraSink* s, const char* p, const char*) { return KodraDecodeFileToSink(nullptr, p, s); }, -1},
        NullCase{"FileToSinkNullPath", [](KodraContext* c, const KodraSink* s, const char*, const char*) { return KodraDecodeFileToSink(c, nullptr, s); }, -1},
        NullCase{"FileToSinkNullSink", [](KodraContext* c, const KodraSink*, const char* p, const char*) { return KodraDecodeFileToSink(c, p, nullptr); }, -1},
        NullCase{"FileToSinkMissingFile", [](KodraContext* c, const KodraSink* s, const char*, const char* f) { return KodraDecodeFileToSink(c, (std::string(f) + "/none").c_str(), s); }, -1},
        NullCase{"MemoryToSinkNullContext", [](KodraContext*, const KodraSink* s, const char*, const char*) { return KodraDecodeMemoryToSink(nullptr, kBytes, sizeof kBytes - 1, s); }, -1},
        NullCase{"MemoryToSinkNullData", [](KodraContext* c, const KodraSink* s, const char*, const char*) { return KodraDecodeMemoryToSink(c, nullptr, 10, s); }, -1},
        NullCase{"MemoryToSinkNullSink", [](KodraContext* c, const KodraSink*, const char*, const char*) { return KodraDecodeMemoryToSink(c, kBytes, sizeof kBytes - 1, nullptr); }, -1},
        NullCase{"MemoryToSinkEmpty", [](KodraContext* c, const KodraSink* s, const char*, const char*) { return KodraDecodeMemoryToSink(c, nullptr, 0, s); }, 0},
        NullCase{"ListFileNullContext", [](KodraContext*, const KodraSink* s, const char* p, const char*) { return KodraListFileParts(nullptr, p, s); }, -1},
        NullCase{"ListFileNullPath", [](KodraContext* c, const KodraSink* s, const char*, const char*) { return KodraListFileParts(c, nullptr, s); }, -1},
        NullCase{"ListFileNullSink", [](KodraContext* c, const KodraSink*, const char* p, const char*) { return KodraListFileParts(c, p, nullptr); }, -1},
        NullCase{"ListFileMissingFile", [](KodraContext* c, const KodraSink* s, const char*, const char* f) { return KodraListFileParts(c, (std::string(f) + "/none").c_str(), s); }, -1},
        NullCase{"ListMemoryNullContext", [](KodraContext*, const KodraSink* s, const char*, const char*) { return KodraListMemoryParts(nullptr, kBytes, sizeof kBytes - 1, s); }, -1},
        NullCase{"ListMemoryNullData", [](KodraContext* c, const KodraSink* s, const char*, const char*) { return KodraListMemoryParts(c, nullptr, 10, s); }, -1},
        NullCase{"ListMemoryNullSink", [](KodraContext* c, const KodraSink*, const char*, const char*) { return KodraListMemoryParts(c, kBytes, sizeof kBytes - 1, nullptr); }, -1},
        NullCase{"ListMemoryEmpty", [](KodraContext* c, const KodraSink* s, const char*, const char*) { return KodraListMemoryParts(c, nullptr, 0, s); }, 0},
        NullCase{"FileToNullContext", [](KodraContext*, const KodraSink*, const char* p, const char* f) { return KodraDecodeFileTo(nullptr, p, f); }, 0},
        NullCase{"FileToNullPath", [](KodraContext* c, const KodraSink*, const char*, const char* f) { return KodraDecodeFileTo(c, nullptr, f); }, 0},
        NullCase{"FileToMissingFile", [](KodraContext* c, const KodraSink*, const char*, const char* f) { return KodraDecodeFileTo(c, (std::string(f) + "/none").c_str(), f); }, 0},
        NullCase{"MemoryToNullContext", [](KodraContext*, const KodraSink*, const char*, const char* f) { return KodraDecodeMemoryTo(nullptr, kBytes, sizeof kBytes - 1, f); }, 0},
        NullCase{"MemoryToNullData", [](KodraContext* c, const KodraSink*, const char*, const char* f) { return KodraDecodeMemoryTo(c, nullptr, 10, f); }, 0},
        NullCase{"MemoryToNullFolder", [](KodraContext* c, const KodraSink*, const char*, const char*) { return KodraDecodeMemoryTo(c, kBytes, sizeof kBytes - 1, nullptr); }, 0},
        NullCase{"SetUserInterfaceNullContext", [](KodraContext*, const KodraSink*, const char*, const char*) { return KodraSetContextUserInterface(nullptr, nullptr); }, 0},
        NullCase{"SetUserInterfaceRestoresDefault", [](KodraContext* c, const KodraSink*, const char*, const char*) { return KodraSetContextUserInterface(c, nullptr); }, 1},
        NullCase{"SetNamesNullContext", [](KodraContext*, const KodraSink*, const char*, const char*) { return KodraSetContextNames(nullptr, "a;b"); }, 0},
        NullCase{"SetNamesNullEmpties", [](KodraContext* c, const KodraSink*, const char*, const char*) { return KodraSetContextNames(c, nullptr); }, 1},
        NullCase{"CloseNull", [](KodraContext*, const KodraSink*, const char*, const char*) { KodraCloseContext(nullptr); return 1; }, 1}),
    [](const ::testing::TestParamInfo<NullCase>& row) { return std::string(row.param.name); });

struct OptionCase {
    const char* name;
    bool nullContext;
    int option;
    int value;
    int want;
};

class ReentrantOptionTest : public ::testing::TestWithParam<OptionCase> {};

TEST_P(ReentrantOptionTest, ChecksItsRange) {
    const OptionCase& c = GetParam();
    ContextHandle context = openContext();
    EXPECT_EQ(KodraSetContextOption(c.nullContext ? nullptr : context.get(), c.option, c.value), c.want);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ReentrantOptionTest,
    ::testing::Values(OptionCase{"ModeZero", false, KODRA_OPTION_MODE, 0, 1},
                      OptionCase{"ModeThree", false, KODRA_OPTION_MODE, 3, 1},
                      OptionCase{"ModeFour", false, KODRA_OPTION_MODE, 4, 0},
                      OptionCase{"ModeMinusOne", false, KODRA_OPTION_MODE, -1, 0},
                      OptionCase{"ModeIntMax", false, KODRA_OPTION_MODE, 2147483647, 0},
                      OptionCase{"ModeIntMin", false, KODRA_OPTION_MODE, -2147483647 - 1, 0},
                      OptionCase{"UnknownOptionZero", false, 0, 1, 0},
                      OptionCase{"UnknownOptionTwo", false, 2, 1, 0},
                      OptionCase{"NullContext", true, KODRA_OPTION_MODE, 1, 0}),
    [](const ::testing::TestParamInfo<OptionCase>& row) { return std::string(row.param.name); });

// A rejected mode leaves the one set before: the folder decode stays silent.
TEST(ReentrantOptions, RejectedModeKeepsTheOldOne) {
    ContextHandle context = openContext();
    ScriptedUserInterface defaultUi;  // any prompt would land here: the context has the default UI
    ASSERT_EQ(KodraSetContextOption(context.get(), KODRA_OPTION_MODE, 3), 1);
    ASSERT_EQ(KodraSetContextOption(context.get(), KODRA_OPTION_MODE, 7), 0);
    TempFolder folder;
    const MessageCase row = reentrantMessages()[0];
    EXPECT_EQ(KodraDecodeMemoryTo(context.get(), row.message.data(), row.message.size(), folder.path().string().c_str()),
              KODRA_BASE64);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"a.bin", "b.bin"}));
    EXPECT_EQ(defaultUi.prompts, std::vector<Prompt>{});
}

// ---- User interfaces ------------------------------------------------------------------

// Records the prompts a context shows and answers them from a script.
class ContextPrompts {
public:
    ContextPrompts(KodraContext* context, std::deque<int> answers) : answers_(std::move(answers)) {
        KodraUserInterface ui{};
        ui.context = this;
        ui.messageBox = [](void* self, void*, const char* text, const char* caption, int buttons) {
            auto* recorder = static_cast<ContextPrompts*>(self);
            recorder->prompts.push_back({text, caption, buttons});
            if (buttons == KODRA_MB_OK) return KODRA_IDOK;
            if (recorder->answers_.empty()) return KODRA_IDCANCEL;
            const int answer = recorder->answers_.front();
            recorder->answers_.pop_front();
            return answer;
        };
        ui.chooseSaveFile = [](void* self, void*, char*, int) {
            ++static_cast<ContextPrompts*>(self)->choosers;
            return 0;
        };
        EXPECT_EQ(KodraSetContextUserInterface(context, &ui), 1);
    }
    std::vector<Prompt> prompts;
    int choosers = 0;

private:
    std::deque<int> answers_;
};

TEST(ReentrantUserInterface, ContextPromptsAndDefaultIsUntouched) {
    ScriptedUserInterface defaultUi({KODRA_IDYES, KODRA_IDYES, KODRA_IDYES});
    ContextHandle context = openContext();
    ContextPrompts prompts(context.get(), {KODRA_IDYES, KODRA_IDCANCEL});
    ASSERT_EQ(KodraSetContextOption(context.get(), KODRA_OPTION_MODE, 0), 1);
    TempFolder folder;
    const MessageCase row = reentrantMessages()[0];
    writeFile(folder.file("msg.txt"), row.message);
    EXPECT_EQ(KodraDecodeFileTo(context.get(), folder.file("msg.txt").c_str(), nullptr), 0);
    const std::vector<Prompt> want{{"Decode file " + folder.file("a.bin") + "?", "Kodra DLL", KODRA_MB_YESNOCANCEL},
                                   {"File " + folder.file("a.bin") + " was decoded", "Kodra DLL", KODRA_MB_OK},
                                   {"Decode file " + folder.file("b.bin") + "?", "Kodra DLL", KODRA_MB_YESNOCANCEL}};
    EXPECT_EQ(prompts.prompts, want);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"msg.txt", "a.bin"}));
    EXPECT_EQ(defaultUi.prompts, std::vector<Prompt>{});

    // A sink decode asks nothing, whatever the context's mode.
    prompts.prompts.clear();
    const SinkRun run = decodeMemory(context.get(), row.message);
    EXPECT_EQ(run.result, 2);
    EXPECT_EQ(prompts.prompts, std::vector<Prompt>{});

    // The classic export keeps using the default context's interface.
    TempFolder classic;
    writeFile(classic.file("msg.txt"), row.message);
    DecodeFile(classic.file("msg.txt").c_str(), "", 0);
    EXPECT_EQ(prompts.prompts, std::vector<Prompt>{});
    EXPECT_EQ(defaultUi.prompts.size(), 4u) << "got " << ::testing::PrintToString(defaultUi.prompts);
}

TEST(ReentrantUserInterface, NullRestoresTheDefault) {
    ContextHandle context = openContext();
    ContextPrompts prompts(context.get(), {});
    ASSERT_EQ(KodraSetContextUserInterface(context.get(), nullptr), 1);
    ASSERT_EQ(KodraSetContextOption(context.get(), KODRA_OPTION_MODE, 3), 1);
    TempFolder folder;
    const MessageCase row = reentrantMessages()[0];
    EXPECT_EQ(KodraDecodeMemoryTo(context.get(), row.message.data(), row.message.size(), folder.path().string().c_str()),
              KODRA_BASE64);
    EXPECT_EQ(prompts.prompts, std::vector<Prompt>{});
}

}  // namespace
}  // namespace kodra::testing
