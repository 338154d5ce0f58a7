// The archive exports: extraction runs, blocks of an archive in memory, and reading an
// archive message by message.
#include "archive/archive_units.h"
#include "archive/extract_run.h"
#include "archive/message_extractor.h"
#include "decode/context_handle.h"
#include "kodra32.h"

namespace {

constexpr std::size_t kReadChunkSize = std::size_t{16} << 20;

int resultNumber(kodra::ExtractResult result) noexcept {
    switch (result) {
        case kodra::ExtractResult::allDecoded: return 0;
        case kodra::ExtractResult::someFailed: return 1;
        case kodra::ExtractResult::stopped: return 2;
        case kodra::ExtractResult::cannotStart: break;
    }
    return -1;
}

// Decodes a block held in memory (an mbox range from a "From " line, or one message) into
// target and hands each record on as its message ends; returns the messages.
template <typename HandOn>
int extractBlock(const kodra::ExtractTarget& target, const void* data, std::size_t size, const char* inputName,
                 long long baseOffset, bool isMbox, HandOn handOn) {
    const kodra::platform::UserInterface quiet;
    const std::string_view block(static_cast<const char*>(data), size);
    std::vector<kodra::ManifestRecord> records;
    kodra::MessagePlace place;
    place.input = inputName;
    int messages = 0;
    auto extract = [&](std::string_view message) {
        kodra::extractMessage(quiet, target, place, message, records);
        for (const kodra::ManifestRecord& record : records) handOn(record);
        records.clear();
        ++messages;
    };
    if (!isMbox) {
        extract(block);
        return messages;
    }
    std::string scratch;
    kodra::forEachMboxMessage(block, baseOffset, scratch, [&](long long offset, std::string_view message) {
        place.offset = offset;
        extract(message);
    });
    return messages;
}

}  // namespace

extern "C" KODRA_API int KODRA_CALL KodraExtract(KodraContext* context, const char* const* inputs, int count,
                                                 const char* outputFolder, const KodraExtractOptions* options) {
    if (!context || !options || !inputs || count <= 0) return -1;
    try {
        kodra::ExtractSettings settings;
        for (int i = 0; i < count; ++i) {
            if (!inputs[i]) return -1;
            settings.inputs.emplace_back(inputs[i]);
        }
        if (outputFolder) settings.outputFolder = outputFolder;
        settings.byHash = options->byHash != 0;
        if (options->manifestPath) settings.manifestPath = options->manifestPath;
        settings.resume = options->resume != 0;
        settings.jobs = options->jobs;
        if (options->record) {
            settings.record = [options](const std::string& json) {
                options->record(options->context, json.c_str(), json.size());
            };
        }
        if (options->progress) {
            settings.progress = [options](const kodra::ExtractProgress& progress) {
                const KodraExtractProgress report{progress.messages, progress.bytesDone, progress.bytesTotal,
                                                  progress.failures};
                return options->progress(options->context, &report) != 0;
            };
        }
        return resultNumber(kodra::runExtract(settings));
    } catch (...) {
        return -1;
    }
}

extern "C" KODRA_API int KODRA_CALL KodraExtractMemory(KodraContext* context, const void* data, size_t size,
                                                       const char* inputName, long long baseOffset, int isMbox,
                                                       void* partContext, KodraExtractedPart part) {
    if (!context || (!data && size > 0) || !inputName || !part) return -1;
    try {
        kodra::ExtractTarget target;
        target.layout = kodra::PartLayout::memoryByHash;
        target.partBytes = [&](const kodra::ManifestRecord& record, std::string_view bytes) {
            const std::string json = kodra::toJsonLine(record);
            part(partContext, json.c_str(), json.size(), bytes.data(), bytes.size());
        };
        // Records of messages without parts (or that failed) carry no bytes: they reach the
        // caller with none; a part's record was handed on with its bytes.
        return extractBlock(target, data, size, inputName, baseOffset, isMbox != 0, [&](const kodra::ManifestRecord& record) {
            if (record.part) return;
            const std::string json = kodra::toJsonLine(record);
            part(partContext, json.c_str(), json.size(), nullptr, 0);
        });
    } catch (...) {
        return -1;
    }
}

extern "C" KODRA_API int KODRA_CALL KodraExtractMemoryByHash(KodraContext* context, const void* data, size_t size,
                                                             const char* inputName, long long baseOffset, int isMbox,
                                                             const char* outputFolder, void* recordContext,
                                                             KodraExtractedRecord record) {
    if (!context || (!data && size > 0) || !inputName || !outputFolder || !record) return -1;
    try {
        if (!kodra::platform::makeFolders(outputFolder)) return -1;
        kodra::ExtractTarget target;
        target.layout = kodra::PartLayout::byHash;
        target.outputFolder = outputFolder;
        return extractBlock(target, data, size, inputName, baseOffset, isMbox != 0, [&](const kodra::ManifestRecord& each) {
            const std::string json = kodra::toJsonLine(each);
            record(recordContext, json.c_str(), json.size());
        });
    } catch (...) {
        return -1;
    }
}

extern "C" KODRA_API int KODRA_CALL KodraReadArchive(KodraContext* context, const char* input, void* messageContext,
                                                     KodraArchiveMessage message) {
    if (!context || !input || !message) return -1;
    try {
        int handed = 0;
        bool stop = false;
        std::string scratch;
        auto visitBlock = [&](long long offset, std::string_view block) {
            kodra::forEachMboxMessage(block, offset, scratch, [&](long long at, std::string_view text) {
                if (stop) return;
                ++handed;
                if (message(messageContext, nullptr, at, text.data(), text.size()) == 0) stop = true;
            });
            return !stop;
        };
        if (std::string(input) == "-") {
            if (!kodra::readStandardInputMbox(kReadChunkSize, visitBlock) && !stop) return -1;
            return handed;
        }
        const kodra::ArchiveListing listing = kodra::listArchiveUnits(input, 0, kReadChunkSize);
        if (!listing.error.empty()) return -1;
        std::string bytes;
        std::string error;
        for (const kodra::ArchiveUnit& unit : listing.units) {
            if (stop) break;
            if (!unit.error.empty() || !kodra::readArchiveUnit(unit, bytes, error)) continue;
            if (unit.kind == kodra::ArchiveKind::mbox) {
                visitBlock(unit.offset, bytes);
            } else {
                ++handed;
                const char* file = unit.kind == kodra::ArchiveKind::message ? nullptr : unit.file.c_str();
                if (message(messageContext, file, 0, bytes.data(), bytes.size()) == 0) stop = true;
            }
        }
        return handed;
    } catch (...) {
        return -1;
    }
}
