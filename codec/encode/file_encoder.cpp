#include "encode/file_encoder.h"

#include "binhex/binhex.h"
#include "encode/application_name.h"
#include "encode/line_encoders.h"
#include "encode/part_layout.h"
#include "encode/progress_meter.h"
#include "frame/stdio_file.h"
#include "frame/file_names.h"
#include "platform/platform.h"
#include "platform/stdio_unlocked.h"
#include "yenc/yenc_section_writer.h"

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
    if (type == 6) {
        YencSection section;
        section.name = fileName;
        section.fileSize = length;
        section.length = length;
        std::uint32_t crc = 0;
        return writeYencSection(source, output, section, crc, &progress);
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

// Writes one part; a null boundary writes it standalone (no leading line end, no
// delimiter) and removes the output again when anything failed.
int encodePart(const char* sourcePath, const char* outputPath, const char* boundary, int type, int append,
               int flags) noexcept {
    if (type < 1 || type > 6 || (flags != 0 && flags != 1)) return 0;
    if (!sourcePath || !outputPath) return 0;
    const PartLayout layout = static_cast<PartLayout>(flags);

    char fileName[platform::kMaxPath];
    if (!partFileName(sourcePath, fileName)) return 0;
    StreamBuffer sourceBuffer, outputBuffer;  // before the streams: they outlive them
    platform::FileIdentity sourceIdentity;
    StdioFile source(platform::openInputFile(sourcePath, &sourceIdentity));
    if (!source) return 0;
    const std::uint64_t length = platform::sizeOfOpenFile(source.get());
    // Writing a part into its own source, under any of its names, would destroy or
    // endlessly grow it.
    platform::OutputFile opened =
        platform::openOutput(outputPath, append ? platform::OutputMode::append : platform::OutputMode::replace,
                             platform::ProtectedFiles{&sourceIdentity, 1});
    StdioFile output(opened.file);
    if (!output) return 0;
    sourceBuffer.attach(source.get());
    outputBuffer.attach(output.get());

    writePartHeader(output.get(), layout, type, applicationNameText(), fileName, boundary != nullptr);
    ProgressMeter progress(length);
    const bool bodyWritten =
        writeBody(source.get(), output.get(), type, layout, fileName, length, progress);
    if (boundary) writePartTrailer(output.get(), boundary);
    progress.finish();

    const bool readClean = std::ferror(source.get()) == 0;
    const bool closed = closeStdioFile(output);
    const bool written = bodyWritten && readClean && closed;
    if (!written && !boundary) platform::deleteCreatedFile(outputPath, opened.identity);
    return written ? 1 : 0;
}

}  // namespace

int encodeFile(const char* sourcePath, const char* outputPath, const char* boundary, int type,
               int append, int flags) noexcept {
    if (!boundary) return 0;
    return encodePart(sourcePath, outputPath, boundary, type, append, flags);
}

int encodeStandalonePart(const char* sourcePath, const char* outputPath, int type) noexcept {
    if (type < 1 || type > 5) return 0;
    return encodePart(sourcePath, outputPath, nullptr, type, 0, 1);
}

int finishAttachments(const char* outputPath) noexcept {
    platform::PathInfo existing;
    if (!outputPath || !platform::inspectPath(outputPath, existing) ||
        existing.kind != platform::PathKind::regularFile)
        return -1;
    platform::OutputFile opened = platform::openOutput(outputPath, platform::OutputMode::append);
    StdioFile output(opened.file);
    if (!output) return -1;
    if (opened.created) {
        // The message vanished between the look and the open: nothing to finish.
        output.reset();
        platform::deleteCreatedFile(outputPath, opened.identity);
        return -1;
    }
    std::fputs("--\r\n", output.get());
    return closeStdioFile(output) ? 0 : -1;
}

}  // namespace kodra
