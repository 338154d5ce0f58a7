// Four threads, each with a context of its own, decode different messages at once (memory
// and files, into sinks and into folders of their own) again and again; every result must
// be what the same decode gives on one thread. Run under the tsan preset to catch races.
#include "kodra32.h"
#include "recording_sink.h"
#include "reentrant_messages.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

namespace kodra::testing {
namespace {

constexpr std::size_t kThreads = 4;
constexpr int kRounds = 3;

// Everything one decode of a message produces through the four exports.
struct Outcome {
    int memorySinkResult = 0;
    std::vector<RecordedPart> memoryParts;
    int fileSinkResult = 0;
    std::vector<RecordedPart> fileParts;
    int memoryFolderResult = 0;
    std::map<std::string, std::string> memoryFiles;
    int fileFolderResult = 0;
    std::map<std::string, std::string> fileFiles;
    std::vector<std::string> errors;
    bool operator==(const Outcome& o) const {
        return memorySinkResult == o.memorySinkResult && memoryParts == o.memoryParts &&
               fileSinkResult == o.fileSinkResult && fileParts == o.fileParts &&
               memoryFolderResult == o.memoryFolderResult && memoryFiles == o.memoryFiles &&
               fileFolderResult == o.fileFolderResult && fileFiles == o.fileFiles && errors == o.errors;
    }
};

std::map<std::string, std::string> filesIn(const TempFolder& folder) {
    std::map<std::string, std::string> files;
    for (const std::string& name : folder.names()) files[name] = readFile(folder.file(name));
    return files;
}

// Decodes message with context, using input (which holds the message as msg.txt) and two
// fresh output folders.
Outcome decodeAll(KodraContext* context, const std::string& message, const TempFolder& input) {
    Outcome outcome;
    RecordingSink memory, file;
    const KodraSink memorySink = memory.sink(), fileSink = file.sink();
    outcome.memorySinkResult = KodraDecodeMemoryToSink(context, message.data(), message.size(), &memorySink);
    outcome.fileSinkResult = KodraDecodeFileToSink(context, input.file("msg.txt").c_str(), &fileSink);
    outcome.memoryParts = memory.parts;
    outcome.fileParts = file.parts;
    outcome.errors = memory.errors;
    outcome.errors.insert(outcome.errors.end(), file.errors.begin(), file.errors.end());
    TempFolder fromMemory, fromFile;
    outcome.memoryFolderResult =
        KodraDecodeMemoryTo(context, message.data(), message.size(), fromMemory.path().string().c_str());
    outcome.fileFolderResult =
        KodraDecodeFileTo(context, input.file("msg.txt").c_str(), fromFile.path().string().c_str());
    outcome.memoryFiles = filesIn(fromMemory);
    outcome.fileFiles = filesIn(fromFile);
    return outcome;
}

TEST(ReentrantThreads, ConcurrentDecodesMatchSingleThreaded) {
    const std::vector<MessageCase> rows = reentrantMessages();
    // Thread t decodes rows t, t + 4, ... with CR LF line ends on even rounds and LF on odd ones.
    std::vector<std::vector<std::string>> messages(kThreads);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        messages[i % kThreads].push_back(rows[i].message);
        messages[i % kThreads].push_back(withLf(rows[i].message));
    }

    std::vector<std::unique_ptr<TempFolder>> inputs;
    std::vector<std::vector<Outcome>> want(kThreads);
    {
        KodraContext* context = KodraOpenContext();
        ASSERT_NE(context, nullptr);
        for (std::size_t t = 0; t < kThreads; ++t) {
            for (const std::string& message : messages[t]) {
                inputs.push_back(std::make_unique<TempFolder>());
                writeFile(inputs.back()->file("msg.txt"), message);
                want[t].push_back(decodeAll(context, message, *inputs.back()));
                EXPECT_FALSE(want[t].back().memoryParts.empty()) << "thread " << t;
            }
        }
        KodraCloseContext(context);
    }

    std::vector<std::vector<Outcome>> got(kThreads);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            KodraContext* context = KodraOpenContext();
            if (!context) return;
            std::size_t first = 0;
            for (std::size_t u = 0; u < t; ++u) first += messages[u].size();
            for (int round = 0; round < kRounds; ++round)
                for (std::size_t m = 0; m < messages[t].size(); ++m)
                    got[t].push_back(decodeAll(context, messages[t][m], *inputs[first + m]));
            KodraCloseContext(context);
        });
    }
    for (std::thread& thread : threads) thread.join();

    for (std::size_t t = 0; t < kThreads; ++t) {
        ASSERT_EQ(got[t].size(), want[t].size() * static_cast<std::size_t>(kRounds)) << "thread " << t;
        for (std::size_t i = 0; i < got[t].size(); ++i) {
            const Outcome& w = want[t][i % want[t].size()];
            EXPECT_TRUE(got[t][i] == w) << "thread " << t << " decode " << i << ": got parts "
                                        << ::testing::PrintToString(got[t][i].memoryParts) << ", want "
                                        << ::testing::PrintToString(w.memoryParts);
        }
    }
}

}  // namespace
}  // namespace kodra::testing
