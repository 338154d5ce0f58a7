#include "encode/file_encoder.h"

#include "binhex/binhex.h"
#include "encode/application_name.h"
#include "encode/file_checks.h"
#include "encode/line_encoders.h"
#include "encode/part_layout.h"
#include "encode/progress_meter.h"
#include "frame/stdio_file.h"
#include "frame/file_names.h"
#include "platform/stdio_unlocked.h"

namespace kodra {
namespace {

// Writes the body of the part; false when a working buffer could not be obtained.
bool writeBody(std::FILE* source, std::FILE* output, int type, PartLayout layout,
               const char* fileName, std::uint64_t length, ProgressMeter& progress) noexcept {
    if (type == 3) {
        const bool written = encodeBinHexFile(fileName, length, source, output) != 0;
        progress.advance(length);
        return written;
    }
    if (type == 5) {
        // Strict readers take the closing line break as data; a soft break adds none.
        return encodeQuotedPrintableFile(source, output, &progress,
                                         layout == PartLayout::standard
                                             ? QuotedPrintableEnd::softBreak
                                             : QuotedPrintableEnd::lineBreak);
    }
    const SixBitFormat& format = *sixBitFormat(type);
    // Strict readers' UU and XX decoders want the zero-value character, not "=",
    // in the unused places of the last line.
    if (layout == PartLayout::standard && format.lengthCharacter) {
        const SixBitFormat unpadded{format.alphabet, format.bytesPerLine, format.lengthCharacter,
                                    false};
        return encodeSixBitFile(source, output, unpadded, &progress);
    }
    return encodeSixBitFile(source, output, format, &progress);
}

}  // namespace

int encodeFile(const char* sourcePath, const char* outputPath, const char* boundary, int type,
               int append, int flags) noexcept {
    if (type < 1 || type > 5 || (flags != 0 && flags != 1)) return 0;
    if (!sourcePath || !outputPath || !boundary) return 0;
    const PartLayout layout = static_cast<PartLayout>(flags);

    char fileName[platform::kMaxPath];
    if (!partFileName(sourcePath, fileName)) return 0;
    StreamBuffer sourceBuffer, outputBuffer;  // before the streams: they outlive them
    StdioFile source = openStdioFile(sourcePath, "rb");
    if (!source) return 0;
    std::uint64_t length = 0;
    if (!regularFileSize(sourcePath, length)) return 0;
    // Writing a part into its own source would destroy or endlessly grow it.
    if (mayBeSameFile(sourcePath, outputPath)) return 0;
    StdioFile output = openStdioFile(outputPath, append ? "ab" : "wb");
    if (!output) return 0;
    sourceBuffer.attach(source.get());
    outputBuffer.attach(output.get());

    writePartHeader(output.get(), layout, type, applicationNameText(), fileName);
    ProgressMeter progress(length);
    const bool bodyWritten =
        writeBody(source.get(), output.get(), type, layout, fileName, length, progress);
    writePartTrailer(output.get(), boundary);
    progress.finish();

    const bool readClean = std::ferror(source.get()) == 0;
    const bool closed = closeStdioFile(output);
    return bodyWritten && readClean && closed ? 1 : 0;
}

int finishAttachments(const char* outputPath) noexcept {
    if (!outputPath || !fileExists(outputPath)) return -1;
    StdioFile output = openStdioFile(outputPath, "ab");
    if (!output) return -1;
    std::fputs("--\r\n", output.get());
    return closeStdioFile(output) ? 0 : -1;
}

}  // namespace kodra
