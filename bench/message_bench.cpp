// Micro-benchmarks of the message readers: GetMessageText on a message whose first part
// declares many boundaries and on long body lines, the header readers on one long folded
// Subject (time, and the peak memory of one call measured in a child process), and the
// two forms of the encoded-word decoder.
// Run: build/default/bench/kodra_message_bench
#include "bench_files.h"
#include "frame/line_source.h"
#include "kodra32.h"
#include "message/encoded_words.h"
#include "support/reference_encoded_words.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

namespace {

using kodra::bench::ScratchFolder;
using kodra::bench::writeFile;

constexpr int kTextLines = 20000;

// Peak resident memory of one call, in KiB, run in a child so that nothing before counts.
long peakKibOf(const std::function<void()>& call) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        call();
        _exit(0);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
    return usage.ru_maxrss;
}

// A multipart message whose text part declares `boundaries` nested boundaries, then
// kTextLines lines of text.
std::string manyBoundaries(int boundaries) {
    std::string text =
        "From: a@example.org\r\nSubject: many\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n--outer\r\nContent-Type: text/plain\r\n\r\n";
    for (int i = 0; i < boundaries; ++i)
        text += "Content-Type: multipart/mixed; boundary=\"declared-" + std::to_string(i) + "\"\r\n";
    for (int i = 0; i < kTextLines; ++i)
        text += "A line of ordinary text in the first part, number " + std::to_string(i) + ", -- and so on.\r\n";
    return text + "--outer--\r\n";
}

void messageTextBench(benchmark::State& state) {
    ScratchFolder folder("kodra-message-bench-");
    const std::string message = folder.path + "/message.eml";
    const std::string target = folder.path + "/text.txt";
    const std::string text = manyBoundaries(static_cast<int>(state.range(0)));
    writeFile(message, text);
    for (auto _ : state) benchmark::DoNotOptimize(GetMessageText(message.c_str(), target.c_str()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(messageTextBench)->Arg(1)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

// A message whose Subject is folded over lines until it holds `mebibytes` MiB.
std::string longSubject(int mebibytes) {
    const std::string fold = "\r\n folded text of a very long subject line, one of very many";
    std::string text = "From: a@example.org\r\nSubject: start";
    text.reserve(static_cast<std::size_t>(mebibytes) << 20);
    while (text.size() < (static_cast<std::size_t>(mebibytes) << 20)) text += fold;
    return text + "\r\n\r\nbody\r\n";
}

void headerFieldBench(benchmark::State& state) {
    ScratchFolder folder("kodra-message-bench-");
    const std::string message = folder.path + "/message.eml";
    const int mebibytes = static_cast<int>(state.range(0));
    writeFile(message, longSubject(mebibytes));
    char buffer[64];
    for (auto _ : state) benchmark::DoNotOptimize(GetMessageHeaderField(message.c_str(), buffer, sizeof buffer, 3));
    state.SetBytesProcessed(state.iterations() * (static_cast<std::int64_t>(mebibytes) << 20));
    state.counters["peak_KiB"] =
        static_cast<double>(peakKibOf([&] { GetMessageHeaderField(message.c_str(), buffer, sizeof buffer, 3); }));
}
BENCHMARK(headerFieldBench)->Arg(1)->Arg(32)->Unit(benchmark::kMillisecond);

void messageInfoBench(benchmark::State& state) {
    ScratchFolder folder("kodra-message-bench-");
    const std::string message = folder.path + "/message.eml";
    const int mebibytes = static_cast<int>(state.range(0));
    writeFile(message, longSubject(mebibytes));
    const auto call = [&] {
        MessageInfoRecord record;
        const int result = GetMessageInfo(message.c_str(), &record);
        FreeMessageInfo(&record);
        return result;
    };
    for (auto _ : state) benchmark::DoNotOptimize(call());
    state.SetBytesProcessed(state.iterations() * (static_cast<std::int64_t>(mebibytes) << 20));
    state.counters["peak_KiB"] = static_cast<double>(peakKibOf([&] { call(); }));
}
BENCHMARK(messageInfoBench)->Arg(1)->Arg(32)->Unit(benchmark::kMillisecond);

// GetMessageText on a plain message whose body lines are `state.range(0)` characters long
// (1 MiB of body): lines are taken whole.
void messageTextLongLinesBench(benchmark::State& state) {
    ScratchFolder folder("kodra-message-bench-");
    const std::string message = folder.path + "/message.eml";
    const std::string target = folder.path + "/text.txt";
    const auto length = static_cast<std::size_t>(state.range(0));
    std::string text = "From: a@example.org\r\nSubject: long lines\r\n\r\n";
    while (text.size() < (std::size_t{1} << 20)) text += std::string(length, 'b') + "\r\n";
    writeFile(message, text);
    for (auto _ : state) benchmark::DoNotOptimize(GetMessageText(message.c_str(), target.c_str()));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(messageTextLongLinesBench)->Arg(80)->Arg(2000)->Arg(100000)->Unit(benchmark::kMillisecond);

// An encoded word folded over ten lines, decoded from memory: the fixed-room form
// (range 0, room 1025) and the string form (range 1).
void encodedWordsBench(benchmark::State& state) {
    const std::string line = "Subject: =?iso-8859-1?q?" + std::string(60, 'a');
    std::string following;
    for (int i = 0; i < 10; ++i) following += std::string(60, 'b') + "=E9\r\n";
    following += "?= tail\r\nFrom: next\r\n";
    const bool grown = state.range(0) == 1;
    std::string text;
    char block[1025];
    for (auto _ : state) {
        kodra::LineSource source(following.data(), following.size());
        if (grown) {
            text.assign(line);
            benchmark::DoNotOptimize(kodra::decodeEncodedWords(source, text));
        } else {
            std::memcpy(block, line.c_str(), line.size() + 1);
            benchmark::DoNotOptimize(kodra::reference::decodeEncodedWords(source, block, sizeof block));
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(line.size() + following.size()));
}
BENCHMARK(encodedWordsBench)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
