#include "archive/extract_run.h"

#include "archive/archive_names.h"
#include "archive/archive_units.h"
#include "archive/manifest_reader.h"
#include "frame/stdio_file.h"
#include "platform/platform.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace kodra {
namespace {

struct UnitResult {
    std::vector<ManifestRecord> records;
    long long messages = 0;
    long long bytes = 0;
};

// What every worker shares: read-only settings, and the counter of temporary names.
struct RunShared {
    const ExtractSettings& settings;
    ExtractTarget target;
    std::set<MessageKey> done;  // resume: messages recorded already
    platform::UserInterface quiet;  // the engine's: no host callbacks from workers
};

bool recordedAlready(const RunShared& shared, const MessagePlace& place) {
    if (shared.done.empty()) return false;
    return shared.done.count(MessageKey{place.input, place.offset, place.file}) != 0;
}

void extractOne(const RunShared& shared, const MessagePlace& place, std::string_view message, UnitResult& result) {
    ++result.messages;
    if (recordedAlready(shared, place)) return;
    extractMessage(shared.quiet, shared.target, place, message, result.records);
}

// Decodes one unit of an input, reading it into bytes: a worker's buffer, kept from unit to unit
// so that its pages are not taken and zeroed afresh for every unit.
UnitResult runUnit(const RunShared& shared, const std::string& input, const std::string& inputFolder,
                   const ArchiveUnit& unit, std::string& bytes) {
    UnitResult result;
    result.bytes = unit.size;
    MessagePlace place;
    place.input = input;
    place.inputFolder = inputFolder;
    const bool mbox = unit.kind == ArchiveKind::mbox || unit.kind == ArchiveKind::standardInput;
    if (mbox) place.offset = unit.offset;
    else if (unit.kind != ArchiveKind::message) place.file = unit.file;
    if (!unit.error.empty()) {
        ++result.messages;
        if (!recordedAlready(shared, place)) result.records.push_back(failedMessageRecord(place, unit.error));
        return result;
    }
    std::string error;
    if (!readArchiveUnit(unit, bytes, error)) {
        ++result.messages;
        if (!recordedAlready(shared, place))
            result.records.push_back(failedMessageRecord(place, error.empty() ? "the file cannot be read" : error));
        return result;
    }
    if (!mbox) {
        extractOne(shared, place, bytes, result);
        return result;
    }
    std::string scratch;
    forEachMboxMessage(bytes, unit.offset, scratch, [&](long long offset, std::string_view message) {
        place.offset = offset;
        extractOne(shared, place, message, result);
    });
    return result;
}

// Writes records out in order: to the manifest (flushed per unit) and the caller.
class RecordOutput {
public:
    RecordOutput(const ExtractSettings& settings, StdioFile manifest) noexcept
        : settings_(settings), manifest_(std::move(manifest)) {}

    void emit(const UnitResult& result) {
        std::string lines;
        for (const ManifestRecord& record : result.records) {
            if (record.status == RecordStatus::failed || record.status == RecordStatus::incomplete) ++progress.failures;
            std::string json = toJsonLine(record);
            if (settings_.record) settings_.record(json);
            lines += json;
            lines += '\n';
        }
        if (manifest_ && !lines.empty()) {
            if (std::fwrite(lines.data(), 1, lines.size(), manifest_.get()) != lines.size() ||
                std::fflush(manifest_.get()) != 0)
                manifestFailed = true;
        }
        progress.messages += result.messages;
        progress.bytesDone += result.bytes;
    }
    // False when the caller asked to stop.
    bool report() {
        return !settings_.progress || settings_.progress(progress);
    }
    bool close() noexcept { return !manifest_ || closeStdioFile(manifest_); }

    ExtractProgress progress;
    bool manifestFailed = false;

private:
    const ExtractSettings& settings_;
    StdioFile manifest_;
};

// Runs the units of one input on the workers and emits their results in unit order.
// False when the run was stopped.
bool runUnits(RunShared& shared, RecordOutput& output, const std::string& input, const std::string& inputFolder,
              const std::vector<ArchiveUnit>& units, int jobs) {
    std::mutex mutex;
    std::condition_variable ready;
    std::map<std::size_t, UnitResult> finished;
    std::atomic<std::size_t> next{0};
    std::atomic<bool> stop{false};
    // Workers keep at most this many units ahead of the output, so that results waiting
    // for an earlier unit stay few.
    const std::size_t window = static_cast<std::size_t>(jobs) * 4;
    std::size_t emitted = 0;

    auto work = [&] {
        std::string bytes;
        for (;;) {
            std::size_t index;
            {
                std::unique_lock<std::mutex> lock(mutex);
                ready.wait(lock, [&] { return stop || next >= units.size() || next < emitted + window; });
                if (stop || next >= units.size()) return;
                index = next++;
            }
            UnitResult result;
            try {
                result = runUnit(shared, input, inputFolder, units[index], bytes);
            } catch (...) {
                result = UnitResult{};
                result.records.push_back(failedMessageRecord(MessagePlace{input, inputFolder, units[index].offset, {}},
                                                             "memory ran short"));
            }
            std::lock_guard<std::mutex> lock(mutex);
            finished.emplace(index, std::move(result));
            ready.notify_all();
        }
    };
    std::vector<std::thread> workers;
    for (int i = 0; i < jobs; ++i) workers.emplace_back(work);

    bool stopped = false;
    std::unique_lock<std::mutex> lock(mutex);
    while (emitted < units.size()) {
        ready.wait_for(lock, std::chrono::milliseconds(200),
                       [&] { return finished.count(emitted) != 0 || (stop && next == emitted); });
        if (stop && next == emitted && finished.count(emitted) == 0) break;
        while (finished.count(emitted) != 0) {
            UnitResult result = std::move(finished[emitted]);
            finished.erase(emitted);
            ++emitted;
            lock.unlock();
            output.emit(result);
            const bool goOn = output.report();
            lock.lock();
            if (!goOn && !stop) {
                stop = true;
                stopped = true;
            }
            ready.notify_all();
        }
        if (!stop) {
            lock.unlock();
            const bool goOn = output.report();
            lock.lock();
            if (!goOn) {
                stop = true;
                stopped = true;
                ready.notify_all();
            }
        }
        // Once stopped, the units under way are emitted when they finish; no new one starts.
        if (stop && emitted == next) break;
    }
    lock.unlock();
    for (std::thread& worker : workers) worker.join();
    return !stopped;
}

// Standard input: blocks read in turn, each decoded on the calling thread.
bool runStandardInput(RunShared& shared, RecordOutput& output, const std::string& inputFolder) {
    bool stopped = false;
    const bool read = readStandardInputMbox(shared.settings.chunkSize, [&](long long offset, std::string_view block) {
        UnitResult result;
        result.bytes = static_cast<long long>(block.size());
        MessagePlace place{"-", inputFolder, offset, {}};
        std::string scratch;
        forEachMboxMessage(block, offset, scratch, [&](long long at, std::string_view message) {
            place.offset = at;
            extractOne(shared, place, message, result);
        });
        output.emit(result);
        if (!output.report()) stopped = true;
        return !stopped;
    });
    if (!read && !stopped) {
        UnitResult result;
        result.records.push_back(failedMessageRecord(MessagePlace{"-", inputFolder, {}, {}},
                                                     "standard input could not be read"));
        output.emit(result);
    }
    return !stopped;
}

int workerCount(int jobs) noexcept {
    if (jobs > 0) return std::min(jobs, 256);
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(std::min(cores, 256u));
}

}  // namespace

ExtractResult runExtract(const ExtractSettings& settings) noexcept {
    try {
        if (settings.inputs.empty()) return ExtractResult::cannotStart;
        RunShared shared{settings, {}, {}, {}};
        if (!settings.outputFolder.empty()) {
            if (!platform::makeFolders(settings.outputFolder.c_str())) return ExtractResult::cannotStart;
            shared.target.outputFolder = settings.outputFolder;
            shared.target.layout = settings.byHash ? PartLayout::byHash : PartLayout::folders;
        }
        StdioFile manifest;
        if (!settings.manifestPath.empty()) {
            if (settings.resume) shared.done = readManifestKeys(settings.manifestPath.c_str());
            manifest.reset(platform::openOutput(settings.manifestPath.c_str(),
                                                settings.resume ? platform::OutputMode::append
                                                                : platform::OutputMode::replace)
                               .file);
            if (!manifest) return ExtractResult::cannotStart;
        }
        RecordOutput output(settings, std::move(manifest));
        const int jobs = workerCount(settings.jobs);

        // Inputs with the same base name get folders of their own.
        std::vector<std::string> folders;
        std::map<std::string, int> seen;
        for (const std::string& input : settings.inputs) {
            const std::string base = inputFolderName(input);
            const int count = ++seen[base];
            folders.push_back(count == 1 ? base : base + "-" + std::to_string(count));
        }

        std::vector<ArchiveListing> listings;
        for (std::size_t i = 0; i < settings.inputs.size(); ++i) {
            if (settings.inputs[i] == "-") {
                listings.emplace_back();
                continue;
            }
            listings.push_back(listArchiveUnits(settings.inputs[i], i, settings.chunkSize));
            output.progress.bytesTotal += listings.back().bytes;
        }
        bool stopped = false;
        for (std::size_t i = 0; i < settings.inputs.size() && !stopped; ++i) {
            const std::string& input = settings.inputs[i];
            if (input == "-") {
                stopped = !runStandardInput(shared, output, folders[i]);
                continue;
            }
            if (!listings[i].error.empty()) {
                UnitResult result;
                ++result.messages;
                const MessagePlace place{input, folders[i], {}, {}};
                if (!recordedAlready(shared, place))
                    result.records.push_back(failedMessageRecord(place, listings[i].error));
                output.emit(result);
                stopped = !output.report();
                continue;
            }
            stopped = !runUnits(shared, output, input, folders[i], listings[i].units, jobs);
        }
        const bool closed = output.close();
        if (stopped) return ExtractResult::stopped;
        if (!closed || output.manifestFailed || output.progress.failures > 0) return ExtractResult::someFailed;
        return ExtractResult::allDecoded;
    } catch (...) {
        return ExtractResult::cannotStart;
    }
}

}  // namespace kodra
