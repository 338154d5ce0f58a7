// Benchmarks of how decoding scales with the shape of a message rather than its size: the
// pre-scan (GetNumFilesToDecode and every GetEncodedFile) over a message of many small
// sections, and a Base64 decode after many boundaries of different lengths.
// Run: build/default/bench/kodra_scale_bench
#include "bench_files.h"
#include "kodra32.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using kodra::bench::ScratchFolder;
using kodra::bench::writeFile;

std::string base64Lines(std::size_t size) {
    std::mt19937 random(20240601u);
    std::vector<char> bytes(size);
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFFu);
    std::string out(2 * size + 64, '\0');
    out.resize(static_cast<std::size_t>(EncodeBuffer(bytes.data(), out.data(), static_cast<int>(size), KODRA_BASE64)));
    return out;
}

// A message of `sections` Base64 parts of about 900 bytes each, one boundary.
std::string manySections(int sections) {
    const std::string body = base64Lines(600);
    std::string text = "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b\"\r\n\r\n";
    for (int i = 0; i < sections; ++i)
        text += "--b\r\nContent-Type: application/octet-stream; name=\"part" + std::to_string(i) +
                ".bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" + body;
    return text + "--b--\r\n";
}

void preScanSectionsBench(benchmark::State& state) {
    const int sections = static_cast<int>(state.range(0));
    ScratchFolder folder("kodra-scale-");
    const std::string input = folder.path + "/in.txt";
    writeFile(input, manySections(sections));
    char entry[1024];
    for (auto _ : state) {
        const int listed = GetNumFilesToDecode(input.c_str());
        if (listed != sections) state.SkipWithError("pre-scan listed a wrong number of sections");
        for (int i = 0; i < listed; ++i) benchmark::DoNotOptimize(GetEncodedFile(entry, i));
    }
    state.counters["sections"] = sections;
}
BENCHMARK(preScanSectionsBench)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

// `boundaries` distinct boundaries of as many lengths declared up front, then one 4 MiB
// Base64 part ended by the last of them.
void base64ManyBoundariesBench(benchmark::State& state) {
    const int boundaries = static_cast<int>(state.range(0));
    ScratchFolder folder("kodra-scale-");
    std::string text = "MIME-Version: 1.0\r\n";
    std::string last;
    for (int i = 0; i < boundaries; ++i) {
        last = "=_" + std::string(static_cast<std::size_t>(i % 100), 'x') + std::to_string(i);
        text += "Content-Type: multipart/mixed; boundary=\"" + last + "\"\r\n";
    }
    text += "\r\n--" + last +
            "\r\nContent-Type: application/octet-stream; name=\"out.bin\"\r\n"
            "Content-Transfer-Encoding: base64\r\n\r\n" +
            base64Lines(4u << 20) + "--" + last + "--\r\n";
    const std::string input = folder.path + "/in.txt";
    writeFile(input, text);
    for (auto _ : state) {
        if (DecodeFile(input.c_str(), "", 3) != KODRA_BASE64) state.SkipWithError("nothing decoded");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(4u << 20));
    state.counters["boundaries"] = boundaries;
}
BENCHMARK(base64ManyBoundariesBench)->Arg(1)->Arg(16)->Arg(17)->Arg(64)->Arg(256)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
