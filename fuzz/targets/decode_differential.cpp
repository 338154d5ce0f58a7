// One input, four decoding paths that must agree: the sink decode of the bytes in memory
// (SIMD kernels, clean lines in runs), the same decode line by line on the scalar code alone
// (the reference for the fast paths), the sink decode of the same bytes in a file, and the
// classic DecodeFile in mode 1, which takes one given name per part in order, so that given
// file i holds exactly what the sink received as part i.
#include "fuzz_support.h"
#include "sink_recorder.h"

#include "decode/decoder.h"

#include <fstream>
#include <iterator>
#include <string_view>

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodra::fuzz;
    Sandbox& sandbox = Sandbox::instance();
    const std::string input = sandbox.writeInput("message.txt", data, size);
    QuietInterface::questions() = 0;
    KodraContext* context = KodraOpenContext();
    check(context != nullptr, "KodraOpenContext failed");

    SinkRecorder memory(size);
    const KodraSink memorySink = memory.sink();
    const int fromMemory = KodraDecodeMemoryToSink(context, data, size, &memorySink);
    memory.checkFinished(fromMemory);

    SinkRecorder scalar(size);
    const KodraSink scalarSink = scalar.sink();
    kodra::DecodeInput lineByLine;
    lineByLine.data = reinterpret_cast<const char*>(data);
    lineByLine.size = size;
    lineByLine.inMemory = true;
    lineByLine.cleanLineRuns = false;
    lineByLine.simdLevel = kodra::SimdLevel::scalar;
    lineByLine.yenc = true;  // as the Kodra* decodes read
    kodra::DecodeTarget toScalar;
    toScalar.kind = kodra::Destination::sink;
    toScalar.sink = &scalarSink;
    const kodra::platform::UserInterface quiet;
    const kodra::DecodeSummary reference = kodra::runDecode(quiet, std::move(lineByLine), toScalar);
    scalar.checkFinished(reference.partsDecoded);
    check(reference.partsDecoded == fromMemory, "the scalar line-by-line decode disagrees on the result");
    check(scalar.parts.size() == memory.parts.size(), "the scalar line-by-line decode found different parts");
    for (std::size_t i = 0; i < memory.parts.size(); ++i)
        check(scalar.parts[i] == memory.parts[i], "the fast paths and the scalar line path disagree on part",
              std::to_string(i));

    SinkRecorder file(size);
    const KodraSink fileSink = file.sink();
    const int fromFile = KodraDecodeFileToSink(context, input.c_str(), &fileSink);
    file.checkFinished(fromFile);
    check(fromFile == fromMemory, "file and memory sink decodes disagree on the result");
    check(file.parts.size() == memory.parts.size(), "file and memory sink decodes found different parts");
    for (std::size_t i = 0; i < memory.parts.size(); ++i)
        check(file.parts[i] == memory.parts[i], "file and memory sink decodes disagree on part", std::to_string(i));

    // One fresh name per part and a spare that only a part the sink never saw would take.
    std::string names;
    for (std::size_t i = 0; i <= memory.parts.size(); ++i)
        names += (i ? ";" : "") + sandbox.file(("given-" + std::to_string(i)).c_str());
    KodraCloseContext(context);
    // The classic DecodeFile reads no yEnc, so its sections are numbered otherwise where a
    // "=ybegin" line stands: the comparison with it holds for the other inputs only.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.find("=ybegin") != std::string_view::npos) return 0;
    DecodeFile(input.c_str(), names.c_str(), 1);
    check(QuietInterface::questions() == 0, "DecodeFile asked a question in mode 1");
    sandbox.checkNothingOutside();
    std::set<std::string> written = sandbox.names();
    check(written.erase("message.txt") == 1, "DecodeFile removed its input");
    check(written.count("given-" + std::to_string(memory.parts.size())) == 0,
          "DecodeFile found a part the sink decode did not");
    for (const SeenPart& part : memory.parts) {
        const std::string name = "given-" + std::to_string(part.index);
        if (part.status == KODRA_PART_DECODED) {
            check(written.count(name) == 1, "DecodeFile wrote no file for a decoded part", name);
            check(readAll(sandbox.file(name.c_str())) == part.data, "DecodeFile wrote other bytes than the sink got",
                  name);
        }
        written.erase(name);
    }
    check(written.empty(), "DecodeFile wrote a file that is no given name");
    return 0;
}
