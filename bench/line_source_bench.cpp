// The line source against plain fgets into a fixed buffer (the way the library read lines
// before it) on a 64 MiB file of 76-character CR LF lines, read whole: both count the
// lines and sum their lengths so that every line is looked at.
// Run: build/default/bench/kodra_line_source_bench
#include "frame/line_source.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kFileSize = 64 * 1024 * 1024;

// The benchmark file, written once and removed at exit.
struct LinesFile {
    std::string path;
    std::size_t size = 0;
    LinesFile() {
        char pattern[] = "/tmp/kodra-line-bench-XXXXXX";
        const int descriptor = mkstemp(pattern);
        if (descriptor < 0) return;
        close(descriptor);
        path = pattern;
        std::string line(76, 'A');
        line += "\r\n";
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (!file) return;
        for (std::size_t i = 0; size + line.size() <= kFileSize; ++i) {
            line[i % 76] = static_cast<char>('A' + i % 26);
            std::fwrite(line.data(), 1, line.size(), file);
            size += line.size();
        }
        std::fclose(file);
    }
    ~LinesFile() {
        if (!path.empty()) std::remove(path.c_str());
    }
};

const LinesFile& linesFile() {
    static const LinesFile file;
    return file;
}

void fgetsBench(benchmark::State& state) {
    const LinesFile& lines = linesFile();
    for (auto _ : state) {
        std::FILE* file = std::fopen(lines.path.c_str(), "rb");
        if (!file) {
            state.SkipWithError("cannot open the file");
            break;
        }
        char buffer[1025];
        std::size_t count = 0;
        std::size_t total = 0;
        while (std::fgets(buffer, sizeof buffer, file)) {
            std::size_t length = std::strlen(buffer);
            if (length > 0 && buffer[length - 1] == '\n') --length;
            if (length > 0 && buffer[length - 1] == '\r') --length;
            ++count;
            total += length;
        }
        std::fclose(file);
        benchmark::DoNotOptimize(count);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(lines.size));
}
BENCHMARK(fgetsBench)->Unit(benchmark::kMillisecond);

void lineSourceBench(benchmark::State& state) {
    const LinesFile& lines = linesFile();
    const auto readSize = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        std::FILE* file = std::fopen(lines.path.c_str(), "rb");
        if (!file) {
            state.SkipWithError("cannot open the file");
            break;
        }
        std::size_t count = 0;
        std::size_t total = 0;
        {
            kodra::LineSource source(file, {kodra::kNoLineCap, readSize});
            kodra::SourceLine line;
            while (source.next(line)) {
                ++count;
                total += line.text.size();
            }
        }
        std::fclose(file);
        benchmark::DoNotOptimize(count);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(lines.size));
}
BENCHMARK(lineSourceBench)->Arg(4096)->Arg(64 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

// The same bytes as one memory block, read in place.
void lineSourceMemoryBench(benchmark::State& state) {
    const LinesFile& lines = linesFile();
    std::string block;
    if (std::FILE* file = std::fopen(lines.path.c_str(), "rb")) {
        block.resize(lines.size);
        block.resize(std::fread(block.data(), 1, block.size(), file));
        std::fclose(file);
    }
    for (auto _ : state) {
        kodra::LineSource source(block.data(), block.size());
        kodra::SourceLine line;
        std::size_t count = 0;
        std::size_t total = 0;
        while (source.next(line)) {
            ++count;
            total += line.text.size();
        }
        benchmark::DoNotOptimize(count);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(lineSourceMemoryBench)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
