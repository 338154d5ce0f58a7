// Micro-benchmarks of the hot paths: buffer coding per type, 6-bit encoding per SIMD level,
// the group decoder, the line source, the section scanner on a header block, the data-line
// path of DecodeFile and
// the BinHex layers, the yEnc data decoder and CRC-32 and a whole yEnc decode. Run:
// build/default/bench/kodra_micro_bench
#include "bench_files.h"
#include "binhex/binhex.h"
#include "binhex/binhex_reader.h"
#include "decode/boundary_list.h"
#include "decode/decode_group.h"
#include "decode/section_scanner.h"
#include "frame/line_source.h"
#include "decode/six_bit_lines.h"
#include "decode/text_decoders.h"
#include "encode/buffer_codec.h"
#include "encode/line_encoders.h"
#include "frame/byte_sink.h"
#include "encode/six_bit_line_kernels.h"
#include "frame/lower_case_text.h"
#include "frame/line_source.h"
#include "kodra32.h"
#include "support/reference_binhex.h"
#include "yenc/crc32.h"
#include "yenc/yenc_data.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using kodra::bench::FilePtr;
using kodra::bench::ScratchFolder;
using kodra::bench::writeFile;

constexpr std::size_t kPayloadSize = 1u << 20;

std::vector<char> payload(std::size_t size) {
    std::mt19937 random(20240601u);
    std::vector<char> bytes(size);
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFFu);
    return bytes;
}

void setBytes(benchmark::State& state, std::size_t perIteration) {
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(perIteration));
}

// A read-only stream over text (kept alive by the caller).
FilePtr memoryStream(std::string& text) { return FilePtr(fmemopen(text.data(), text.size(), "rb")); }

std::string encoded(int type, const std::vector<char>& source) {
    std::string out(4 * source.size() + 1024, '\0');
    out.resize(static_cast<std::size_t>(
        kodra::encodeBuffer(source.data(), out.data(), static_cast<int>(source.size()), type)));
    return out;
}

void encodeBufferBench(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    const std::vector<char> source = payload(kPayloadSize);
    std::vector<char> out(4 * kPayloadSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(
            EncodeBuffer(source.data(), out.data(), static_cast<int>(source.size()), type));
    setBytes(state, kPayloadSize);
}
BENCHMARK(encodeBufferBench)->Arg(1)->Arg(2)->Arg(4)->Arg(5);

// 64 MiB of type range(1) (1 UU, 2 Base64) encoded in memory at level range(0): 0 scalar
// (the reference line encoder), 1 SSSE3, 2 AVX2.
void sixBitEncodeBench(benchmark::State& state) {
    const auto level = static_cast<kodra::SimdLevel>(state.range(0));
    if (level > kodra::supportedSimdLevel()) {
        state.SkipWithError("level not supported here");
        return;
    }
    const kodra::SixBitFormat& format = *kodra::sixBitFormat(static_cast<int>(state.range(1)));
    constexpr std::size_t kSize = 64u << 20;
    const std::vector<char> source = payload(kSize);
    std::vector<char> out(static_cast<std::size_t>(kodra::sixBitEncodedSize(format, kSize)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(kodra::encodeSixBitBufferAt(
            level, reinterpret_cast<const std::uint8_t*>(source.data()), kSize, format, out.data()));
        benchmark::ClobberMemory();
    }
    setBytes(state, kSize);
}
BENCHMARK(sixBitEncodeBench)->ArgsProduct({{0, 1, 2}, {1, 2}})->Unit(benchmark::kMillisecond);

void decodeBufferBench(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    const std::string text = encoded(type, payload(kPayloadSize));
    std::vector<char> out(text.size() + 16);
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeBuffer(text.data(), out.data(), static_cast<int>(text.size()), type));
    setBytes(state, kPayloadSize);
}
BENCHMARK(decodeBufferBench)->Arg(1)->Arg(2)->Arg(4)->Arg(5);

// 1 MiB of quoted-printable text as mail carries it: long literal runs, an escape now
// and then, a soft break every 76 characters; decoded in place from a fresh copy.
void quotedPrintableTextBench(benchmark::State& state) {
    std::mt19937 random(20261207u);
    std::string text;
    while (text.size() < kPayloadSize) {
        for (int column = 0; column < 72; ++column) {
            const auto pick = random() % 40;
            if (pick == 0) text += "=E9", column += 2;
            else text += pick < 7 ? ' ' : static_cast<char>('a' + pick % 26);
        }
        text += random() % 4 == 0 ? "\r\n" : "=\r\n";
    }
    std::vector<char> buffer(text.size());
    for (auto _ : state) {
        std::copy(text.begin(), text.end(), buffer.begin());
        benchmark::DoNotOptimize(kodra::decodeQuotedPrintable(buffer.data(), buffer.size()));
        benchmark::ClobberMemory();
    }
    setBytes(state, text.size());
}
BENCHMARK(quotedPrintableTextBench);

void decodeGroupBench(benchmark::State& state) {
    const std::string line = encoded(2, payload(57)).substr(0, 76);
    std::uint8_t out[3 * 19];
    for (auto _ : state) {
        for (std::size_t at = 0; at < line.size(); at += 4)
            kodra::decodeGroup(line.data() + at, line.size() - at, out + at / 4 * 3, kodra::base64Table);
        benchmark::DoNotOptimize(out);
    }
    setBytes(state, 57);
}
BENCHMARK(decodeGroupBench);

// One Base64 line of range(1) symbols (76: the MIME line; 1020: the longest whole-group
// line DecodeFile reads) through the shared line decoder at level range(0): 0 scalar,
// 1 SSSE3, 2 AVX2.
void sixBitLineBench(benchmark::State& state) {
    const auto level = static_cast<kodra::SimdLevel>(state.range(0));
    if (level > kodra::supportedSimdLevel()) {
        state.SkipWithError("level not supported here");
        return;
    }
    const auto symbols = static_cast<std::size_t>(state.range(1));
    std::string line = encoded(2, payload(symbols));
    line.erase(std::remove_if(line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }), line.end());
    line.resize(symbols);
    const std::size_t count = symbols / 4 * 3;
    std::vector<std::uint8_t> out(count);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kodra::decodeSixBitLineAt(level, line.data(), line.size(), count,
                                                           kodra::base64Table, kodra::SixBitRules::fileBase64,
                                                           out.data()));
        benchmark::ClobberMemory();
    }
    setBytes(state, count);
}
BENCHMARK(sixBitLineBench)->ArgsProduct({{0, 1, 2}, {76, 1020}});

// The payload as yEnc lines of 128 characters ended by CR LF, only the critical bytes escaped.
std::string yencLines(const std::vector<char>& source) {
    std::string out;
    std::size_t column = 0;
    for (const char c : source) {
        const auto encoded = static_cast<unsigned char>(static_cast<unsigned char>(c) + 42);
        if (encoded == 0 || encoded == '\n' || encoded == '\r' || encoded == '=') {
            out += '=';
            out += static_cast<char>(static_cast<unsigned char>(encoded + 64));
            column += 2;
        } else {
            out += static_cast<char>(encoded);
            ++column;
        }
        if (column >= 128) {
            out += "\r\n";
            column = 0;
        }
    }
    return out;
}

// 1 MiB of yEnc lines, line ends included, through the data decoder at level range(0):
// 0 the machine word, 1 SSE2, 2 AVX2; 3 the one-character oracle. Bytes: decoded bytes.
void yencDecodeBench(benchmark::State& state) {
    const std::vector<char> source = payload(kPayloadSize);
    const std::string text = yencLines(source);
    std::vector<unsigned char> out(text.size());
    const bool oracle = state.range(0) == 3;
    const auto level = static_cast<kodra::SimdLevel>(oracle ? 0 : state.range(0));
    if (level > kodra::supportedSimdLevel()) {
        state.SkipWithError("level not supported here");
        return;
    }
    for (auto _ : state) {
        kodra::YencDecodeState decodeState;
        benchmark::DoNotOptimize(oracle ? kodra::yencDecodeScalar(decodeState, text.data(), text.size(), out.data())
                                        : kodra::yencDecodeAt(level, decodeState, text.data(), text.size(),
                                                              out.data()));
        benchmark::ClobberMemory();
    }
    setBytes(state, source.size());
}
BENCHMARK(yencDecodeBench)->Arg(0)->Arg(1)->Arg(2)->Arg(3);

void crc32Bench(benchmark::State& state) {
    const std::vector<char> source = payload(kPayloadSize);
    for (auto _ : state) benchmark::DoNotOptimize(kodra::crc32Update(0, source.data(), source.size()));
    setBytes(state, source.size());
}
BENCHMARK(crc32Bench);

// A 16 MiB yEnc article through KodraDecodeMemoryToSink: scanning, decoding, CRC and sink.
void yencArticleBench(benchmark::State& state) {
    const std::vector<char> source = payload(16 * kPayloadSize);
    const std::string article = "Subject: bench\r\n\r\n=ybegin line=128 size=" + std::to_string(source.size()) +
                                " name=bench.bin\r\n" + yencLines(source) + "\r\n=yend size=" +
                                std::to_string(source.size()) + "\r\n";
    KodraContext* context = KodraOpenContext();
    const KodraSink sink{nullptr, [](void*, const KodraPart*) { return 1; },
                         [](void*, const void*, size_t) { return 1; }, [](void*, const KodraPart*, int) {}};
    for (auto _ : state) benchmark::DoNotOptimize(KodraDecodeMemoryToSink(context, article.data(), article.size(), &sink));
    KodraCloseContext(context);
    setBytes(state, source.size());
}
BENCHMARK(yencArticleBench)->Unit(benchmark::kMillisecond);

void lineSourceReadBench(benchmark::State& state) {
    std::string text = encoded(2, payload(kPayloadSize));
    std::string line;
    for (auto _ : state) {
        kodra::LineSource input(text.data(), text.size());
        while (kodra::readLine(input, line)) benchmark::DoNotOptimize(line.data());
    }
    setBytes(state, text.size());
}
BENCHMARK(lineSourceReadBench);

void scanHeaderBlockBench(benchmark::State& state) {
    std::string text =
        "From: someone@example.org\r\nTo: other@example.org\r\nSubject: a file\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n"
        "Content-Type: application/octet-stream; name=\"file.bin\"\r\n"
        "Content-Transfer-Encoding: base64\r\n"
        "Content-Disposition: attachment; filename=\"file.bin\"\r\n\r\nAAAA\r\n";
    std::string line, lower, name;
    for (auto _ : state) {
        kodra::LineSource input(text.data(), text.size());
        kodra::BoundaryList boundaries;
        kodra::ScanState scan;
        name.clear();
        while (kodra::readLine(input, line)) {
            lower = line;
            kodra::lowerCaseText(&lower[0]);
            benchmark::DoNotOptimize(kodra::scanSectionLine(boundaries, input, lower, line, name, scan));
        }
    }
}
BENCHMARK(scanHeaderBlockBench);

// The data-line path of the driver: a Base64 or UU attachment decoded to its file.
void decodeFileBench(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    ScratchFolder folder;
    const std::string body = encoded(type, payload(4 * kPayloadSize));
    std::string text;
    if (type == 2)
        text = "MIME-Version: 1.0\r\nContent-Type: application/octet-stream; name=\"out.bin\"\r\n"
               "Content-Transfer-Encoding: base64\r\n\r\n" + body;
    else
        text = "begin 644 out.bin\r\n" + body + "`\r\nend\r\n";
    const std::string input = folder.path + "/in.txt";
    writeFile(input, text);
    for (auto _ : state) benchmark::DoNotOptimize(DecodeFile(input.c_str(), "", 3));
    setBytes(state, 4 * kPayloadSize);
}
BENCHMARK(decodeFileBench)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

std::string binHexStream(const std::vector<char>& source) {
    FilePtr in(fmemopen(const_cast<char*>(source.data()), source.size(), "rb"));
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&data, &size);
    kodra::encodeBinHexFile("file.bin", source.size(), in.get(), out);
    std::fclose(out);
    std::string text(data, size);
    std::free(data);
    return text;
}

void binHexEncodeBench(benchmark::State& state) {
    std::vector<char> source = payload(kPayloadSize);
    for (auto _ : state) {
        FilePtr in(fmemopen(source.data(), source.size(), "rb"));
        FilePtr out(std::fopen("/dev/null", "wb"));
        benchmark::DoNotOptimize(kodra::encodeBinHexFile("file.bin", source.size(), in.get(), out.get()));
    }
    setBytes(state, kPayloadSize);
}
BENCHMARK(binHexEncodeBench);

void binHexDecodeBench(benchmark::State& state) {
    std::string text = binHexStream(payload(kPayloadSize));
    std::string name;
    for (auto _ : state) {
        kodra::LineSource input(text.data(), text.size());
        kodra::BinHexReader reader;
        kodra::SourceLine first;
        if (!input.next(first) || reader.detect(first.text, input) != kodra::BinHexForm::binHex40 ||
            !reader.readHeader(input, name))
            state.SkipWithError("no BinHex header");
        benchmark::DoNotOptimize(reader.decodeForks(input, nullptr));
    }
    setBytes(state, kPayloadSize);
}
BENCHMARK(binHexDecodeBench);

// Counts what it is given, so that the decoder's own work is what is timed.
class CountingSink : public kodra::ByteSink {
public:
    std::uint64_t count = 0;
    bool write(const void*, std::size_t size) noexcept override {
        count += size;
        return true;
    }
};

// 4 MiB decoded from memory: 0, the reference stream decoder the reader replaced, writing
// to /dev/null; 1, the reader over a memory line source into a counting sink.
void binHexDecodeOldVsNewBench(benchmark::State& state) {
    constexpr std::size_t kSize = 4u << 20;
    std::string text = binHexStream(payload(kSize));
    std::vector<char> line(1025), name(kodra::reference::kBinHexNameBufferSize);
    const bool reader = state.range(0) == 1;
    for (auto _ : state) {
        if (reader) {
            kodra::LineSource input(text.data(), text.size());
            kodra::BinHexReader binHex;
            kodra::SourceLine first;
            std::string fileName;
            CountingSink sink;
            if (!input.next(first) || binHex.detect(first.text, input) != kodra::BinHexForm::binHex40 ||
                !binHex.readHeader(input, fileName) || !binHex.decodeForks(input, &sink) || sink.count != kSize)
                state.SkipWithError("reader failed");
        } else {
            FilePtr input = memoryStream(text);
            FilePtr out(std::fopen("/dev/null", "wb"));
            std::fgets(line.data(), static_cast<int>(line.size()), input.get());
            if (kodra::reference::detectBinHex(line.data(), input.get()) != 1 ||
                !kodra::reference::readBinHexHeader(input.get(), name.data()) ||
                kodra::reference::decodeBinHexForks(input.get(), out.get(), line.data()) != 1)
                state.SkipWithError("stream functions failed");
        }
    }
    setBytes(state, kSize);
}
BENCHMARK(binHexDecodeOldVsNewBench)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
