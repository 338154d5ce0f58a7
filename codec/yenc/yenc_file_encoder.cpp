#include "yenc/yenc_file_encoder.h"

#include "encode/file_encoder.h"
#include "encode/numbered_names.h"
#include "encode/part_layout.h"
#include "encode/progress_meter.h"
#include "frame/stdio_file.h"
#include "platform/platform.h"
#include "platform/stdio_unlocked.h"
#include "yenc/yenc_section_writer.h"

#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

// The files a job has written so far, removed again when it fails. identities[0] is the
// source, which no part may be; every part written joins the protected files.
class WrittenParts {
public:
    bool reserve(std::size_t parts) noexcept {
        identities_.reset(new (std::nothrow) platform::FileIdentity[parts + 1]);
        return identities_ != nullptr;
    }
    platform::FileIdentity& source() noexcept { return identities_[0]; }
    platform::ProtectedFiles protectedFiles() const noexcept { return {identities_.get(), count_ + 1}; }
    void add(const platform::FileIdentity& identity) noexcept { identities_[++count_] = identity; }
    std::size_t count() const noexcept { return count_; }

    // Removes every part written, walking the numbered names again from the first.
    void removeAll(const char* firstPath) noexcept {
        char path[platform::kMaxPath];
        std::memcpy(path, firstPath, std::strlen(firstPath) + 1);
        for (std::size_t i = 1; i <= count_; ++i) {
            platform::deleteCreatedFile(path, identities_[i]);
            if (!nextNumberedPath(path)) break;
        }
        count_ = 0;
    }

private:
    std::unique_ptr<platform::FileIdentity[]> identities_;
    std::size_t count_ = 0;
};

// Checks, before anything is written, that every part has a name within the path limit and
// that whatever stands there may be replaced.
bool partsCanBeWritten(const char* firstPath, std::uint64_t parts, platform::ProtectedFiles source) noexcept {
    char path[platform::kMaxPath];
    std::memcpy(path, firstPath, std::strlen(firstPath) + 1);
    for (std::uint64_t i = 0; i < parts; ++i) {
        if (i > 0 && !nextNumberedPath(path)) return false;
        if (!platform::isReplaceableOutput(path, source)) return false;
    }
    return true;
}

// Writes every section into its own file; false when anything failed.
bool writeParts(std::FILE* source, const char* outputPath, YencSection section, std::uint64_t partSize,
                WrittenParts& written) noexcept {
    char path[platform::kMaxPath];
    std::memcpy(path, outputPath, std::strlen(outputPath) + 1);
    ProgressMeter progress(section.fileSize);
    std::uint32_t fileCrc = 0;
    const long long parts = section.total > 0 ? section.total : 1;
    for (long long part = 1; part <= parts; ++part) {
        if (part > 1 && !nextNumberedPath(path)) return false;
        // Opened against the source and the parts before: a part name may be a link to
        // another (a hard link made since the check).
        StreamBuffer outputBuffer;
        platform::OutputFile opened =
            platform::openOutput(path, platform::OutputMode::replace, written.protectedFiles());
        StdioFile output(opened.file);
        if (!output) return false;
        written.add(opened.identity);
        outputBuffer.attach(output.get());
        const std::uint64_t remaining = section.fileSize - section.offset;
        section.length = remaining < partSize ? remaining : partSize;
        if (section.part > 0) {
            section.part = part;
            section.fileCrc = part == parts;  // the whole file's CRC is known after its last byte
        }
        const bool body = writeYencSection(source, output.get(), section, fileCrc, &progress);
        if (!closeStdioFile(output) || !body || std::ferror(source)) return false;
        section.offset += section.length;
    }
    progress.finish();
    return true;
}

}  // namespace

int encodeYencFile(const char* sourcePath, const char* outputPath, int type, long long partSize) noexcept {
    if (!sourcePath || !outputPath || partSize < 0) return 0;
    if (type >= 1 && type <= 5) return partSize == 0 ? encodeStandalonePart(sourcePath, outputPath, type) : 0;
    if (type != 6 || std::strlen(outputPath) >= platform::kMaxPath) return 0;

    char fileName[platform::kMaxPath];
    if (!partFileName(sourcePath, fileName)) return 0;
    StreamBuffer sourceBuffer;
    platform::FileIdentity sourceIdentity;
    StdioFile source(platform::openInputFile(sourcePath, &sourceIdentity));
    if (!source) return 0;
    sourceBuffer.attach(source.get());
    const std::uint64_t length = platform::sizeOfOpenFile(source.get());

    YencSection section;
    section.name = fileName;
    section.fileSize = length;
    std::uint64_t parts = 1;
    std::uint64_t partSizeBytes = length;
    if (partSize > 0) {
        partSizeBytes = static_cast<std::uint64_t>(partSize);
        parts = length == 0 ? 1 : (length - 1) / partSizeBytes + 1;
        if (parts > static_cast<std::uint64_t>(kMaxYencParts)) return 0;
        section.part = 1;
        section.total = static_cast<long long>(parts);
    }
    WrittenParts written;
    if (!written.reserve(static_cast<std::size_t>(parts))) return 0;
    written.source() = sourceIdentity;
    if (!partsCanBeWritten(outputPath, parts, written.protectedFiles())) return 0;

    if (!writeParts(source.get(), outputPath, section, partSizeBytes, written)) {
        written.removeAll(outputPath);
        return 0;
    }
    return static_cast<int>(written.count());
}

}  // namespace kodra
