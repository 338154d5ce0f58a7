// yEnc on arbitrary bytes: the data decoder gives the same bytes whole, in chunks and at
// every kernel level; the control line parser takes any line; the engine's sink decode
// and listing agree on the parts, every one of them reported as yEnc or another known kind.
#include "fuzz_support.h"
#include "sink_recorder.h"
#include "yenc/crc32.h"
#include "yenc/yenc_data.h"
#include "yenc/yenc_lines.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace kodra;
using kodra::fuzz::check;

std::string decodeInChunks(const char* text, std::size_t size, std::size_t chunk, bool& escaped) {
    std::string out;
    std::vector<unsigned char> room(std::max<std::size_t>(chunk, 1));
    YencDecodeState state;
    for (std::size_t at = 0; at < size; at += chunk) {
        const std::size_t n = std::min(chunk, size - at);
        const std::size_t got = yencDecode(state, text + at, n, room.data());
        check(got <= n, "yencDecode wrote more bytes than it read");
        out.append(reinterpret_cast<const char*>(room.data()), got);
    }
    escaped = state.escaped;
    return out;
}

// The whole text at once: by the one-character oracle when level is unset.
std::string oneShot(std::optional<SimdLevel> level, const char* text, std::size_t size, bool& escaped) {
    std::vector<unsigned char> room(size + 1);
    YencDecodeState state;
    const std::size_t got = level ? yencDecodeAt(*level, state, text, size, room.data())
                                  : yencDecodeScalar(state, text, size, room.data());
    escaped = state.escaped;
    return std::string(reinterpret_cast<const char*>(room.data()), got);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto* text = reinterpret_cast<const char*>(data);

    // The oracle, then every fast path and chunk size against it.
    bool wantEscaped = false;
    const std::string want = oneShot(std::nullopt, text, size, wantEscaped);
    for (const SimdLevel level : {SimdLevel::scalar, SimdLevel::ssse3, SimdLevel::avx2}) {
        bool escaped = false;
        check(oneShot(level, text, size, escaped) == want && escaped == wantEscaped,
              "a fast path disagrees with the scalar decoder");
    }
    const std::size_t chunk = size > 0 ? 1 + data[0] % 37 : 1;
    for (const std::size_t cut : {std::size_t{1}, chunk, std::size_t{4096}}) {
        bool escaped = false;
        check(decodeInChunks(text, size, cut, escaped) == want && escaped == wantEscaped,
              "a chunked decode disagrees with the one-shot decode", std::to_string(cut));
    }
    const std::uint32_t whole = crc32Update(0, data, size);
    const std::size_t half = size / 2;
    check(crc32Update(crc32Update(0, data, half), data + half, size - half) == whole,
          "CRC-32 continued across a cut differs");

    // Every line through the control line parser.
    std::string_view rest(text, size);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        const std::string_view line = rest.substr(0, end);
        if (const std::optional<YencLine> parsed = parseYencLine(line)) {
            check(line.substr(0, 2) == "=y", "a line without \"=y\" was taken as a control line");
            for (const auto* field : {&parsed->line, &parsed->size, &parsed->part, &parsed->total, &parsed->begin,
                                      &parsed->end})
                check(!*field || **field >= 0, "a negative number was accepted");
            check(parsed->name.size() <= line.size(), "a name longer than its line");
        }
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }

    // The engine with yEnc on: the decode and the listing agree.
    KodraContext* context = KodraOpenContext();
    check(context != nullptr, "KodraOpenContext failed");
    kodra::fuzz::SinkRecorder all(size);
    const KodraSink allSink = all.sink();
    all.checkFinished(KodraDecodeMemoryToSink(context, data, size, &allSink));
    kodra::fuzz::SinkRecorder listed(size, 0, 0, true);
    const KodraSink listSink = listed.sink();
    listed.checkFinished(KodraListMemoryParts(context, data, size, &listSink));
    check(listed.parts.size() == all.parts.size(), "the listing and the decode found different numbers of parts");
    for (std::size_t i = 0; i < all.parts.size(); ++i) {
        check(listed.parts[i].encoding == all.parts[i].encoding && listed.parts[i].name == all.parts[i].name,
              "the listing reported a part unlike the decode's", std::to_string(i));
    }
    KodraCloseContext(context);
    return 0;
}
