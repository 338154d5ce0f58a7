// The BinHex reader on any input, from memory and from a stream read three bytes at a
// time: both see the same sections, and where every line fits the stream functions' fixed
// buffers, the reader's results, bytes and input positions are the reference stream decoder's.
#include "binhex/binhex_reader.h"
#include "frame/byte_sink.h"
#include "frame/line_source.h"
#include "fuzz_support.h"
#include "support/reference_binhex.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Record {
    int detected = 0;
    int header = -1;
    int forks = -1;
    std::string name;
    std::string data;
    std::vector<long long> positions;

    bool operator==(const Record& o) const {
        return detected == o.detected && header == o.header && forks == o.forks && name == o.name &&
               data == o.data && positions == o.positions;
    }
};

class StringSink : public kodra::ByteSink {
public:
    std::string bytes;
    bool write(const void* data, std::size_t size) noexcept override {
        bytes.append(static_cast<const char*>(data), size);
        return true;
    }
};

constexpr int kMaxLines = 64;

int formNumber(kodra::BinHexForm form) {
    switch (form) {
        case kodra::BinHexForm::binHex40: return 1;
        case kodra::BinHexForm::hexBin: return 2;
        case kodra::BinHexForm::endedEarly: return -1;
        default: return 0;
    }
}

std::vector<Record> readerDrive(kodra::LineSource& input) {
    std::vector<Record> records;
    kodra::BinHexReader reader;
    kodra::SourceLine line;
    for (int lines = 0; lines < kMaxLines && input.next(line); ++lines) {
        Record r;
        r.detected = formNumber(reader.detect(line.text, input));
        if (r.detected == 0) continue;
        r.positions.push_back(static_cast<long long>(input.position()));
        if (r.detected > 0) {
            std::string name = "(unchanged)";
            r.header = (r.detected == 1 ? reader.readHeader(input, name) : reader.readHexBinHeader(input, name)) ? 1 : 0;
            r.positions.push_back(static_cast<long long>(input.position()));
            r.name = r.detected == 1 ? name : "(unchanged)";
            if (r.header == 1) {
                StringSink output;
                r.forks = reader.decodeForks(input, &output) ? 1 : 0;
                r.positions.push_back(static_cast<long long>(input.position()));
                r.data = output.bytes;
                kodra::fuzz::check(r.data.size() <= 0x7FFFFFFFu, "more than the largest fork");
            }
        }
        kodra::fuzz::check(!reader.decodeForks(input, nullptr), "fork decoder ran without a header");
        records.push_back(r);
        if (r.detected < 0) break;
    }
    return records;
}

std::vector<Record> streamDrive(std::vector<char>& bytes) {
    std::vector<Record> records;
    std::FILE* input = fmemopen(bytes.data(), bytes.size(), "rb");
    kodra::fuzz::check(input != nullptr, "cannot open the input stream");
    char line[1025];
    char name[kodra::reference::kBinHexNameBufferSize];
    for (int lines = 0; lines < kMaxLines && std::fgets(line, sizeof line, input) != nullptr; ++lines) {
        line[std::strcspn(line, "\r\n")] = '\0';
        Record r;
        r.detected = kodra::reference::detectBinHex(line, input);
        if (r.detected == 0) continue;
        r.positions.push_back(std::ftell(input));
        if (r.detected > 0) {
            std::strcpy(name, "(unchanged)");
            r.header = r.detected == 1 ? kodra::reference::readBinHexHeader(input, name) : kodra::reference::readHexBinHeader(input, name, line);
            r.positions.push_back(std::ftell(input));
            r.name = name;
            if (r.header == 1) {
                char* data = nullptr;
                std::size_t size = 0;
                std::FILE* output = open_memstream(&data, &size);
                kodra::fuzz::check(output != nullptr, "cannot open the output stream");
                r.forks = kodra::reference::decodeBinHexForks(input, output, line);
                r.positions.push_back(std::ftell(input));
                std::fclose(output);
                r.data.assign(data, size);
                std::free(data);
            }
        }
        kodra::reference::decodeBinHexForks(input, nullptr, line);  // as the reader's check: nothing left to decode
        records.push_back(r);
        if (r.detected < 0) break;
    }
    std::fclose(input);
    return records;
}

bool linesFitFixedBuffers(const std::uint8_t* data, std::size_t size) {
    std::size_t start = 0;
    while (start < size) {
        const auto* lf = static_cast<const std::uint8_t*>(std::memchr(data + start, '\n', size - start));
        const std::size_t end = lf ? static_cast<std::size_t>(lf - data) + 1 : size;
        if (end - start > 500) return false;
        start = end;
    }
    return true;
}

// True when a blank stands before a banner: the reader takes an indented banner (also in
// the rest of a line it stopped inside), which the stream functions never did.
bool hasIndentedBanner(const std::uint8_t* data, std::size_t size) {
    static constexpr char kOpening[] = "(This file";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (std::size_t at = text.find(kOpening); at != std::string_view::npos; at = text.find(kOpening, at + 1))
        if (at > 0 && (text[at - 1] == ' ' || text[at - 1] == '\t')) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kodra::fuzz::check;
    std::vector<char> bytes(data, data + size);
    kodra::LineSource memory(bytes.data(), bytes.size());
    const std::vector<Record> fromMemory = readerDrive(memory);

    std::vector<char> copy = bytes;
    std::FILE* stream = fmemopen(copy.empty() ? nullptr : copy.data(), copy.size(), "rb");
    if (stream != nullptr) {
        kodra::LineSource fromStream(stream, kodra::LineSourceOptions{kodra::kNoLineCap, 3});
        check(readerDrive(fromStream) == fromMemory, "the reader differs between memory and a stream");
        std::fclose(stream);
    }
    if (size > 0 && linesFitFixedBuffers(data, size) && !hasIndentedBanner(data, size))
        check(streamDrive(bytes) == fromMemory, "the reader differs from the stream functions");
    return 0;
}
