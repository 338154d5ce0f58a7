#include "archive/message_extractor.h"

#include "archive/archive_names.h"
#include "archive/message_facts.h"
#include "decode/decoder.h"
#include "frame/stdio_file.h"
#include "platform/sha256.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <set>

namespace kodra {
namespace {

const char* encodingWord(int encoding, Encoding facts) noexcept {
    if (facts == Encoding::raw) return "8bit";
    switch (encoding) {
        case KODRA_ENCODING_UU: return "uuencode";
        case KODRA_ENCODING_BASE64: return "base64";
        case KODRA_ENCODING_BINHEX: return "binhex";
        case KODRA_ENCODING_XX: return "xxencode";
        case KODRA_ENCODING_TEXT: return "text";
        case KODRA_ENCODING_QUOTED_PRINTABLE: return "quoted-printable";
        case KODRA_ENCODING_UU_TABLE: return "uuencode-table";
        case KODRA_ENCODING_YENC: return "yenc";
        default: return nullptr;
    }
}

bool isFolderItself(const std::string& path) noexcept {
    platform::PathInfo info;
    return platform::inspectPath(path.c_str(), info) && info.kind == platform::PathKind::folder;
}

// Creates folder (a name without separators) under parent, refusing a link or anything
// else standing there; true when it is a folder afterwards.
bool makeChildFolder(const std::string& parent, const std::string& folder) noexcept {
    const std::string path = parent + "/" + folder;
    platform::PathInfo info;
    if (!platform::inspectPath(path.c_str(), info)) return false;
    if (info.kind == platform::PathKind::missing) platform::makeFolders(path.c_str());
    return isFolderItself(path);
}

// One message's decode: the sink the engine hands parts to, and the records it builds.
class MessageSink {
public:
    MessageSink(const ExtractTarget& target, const MessagePlace& place, const MessageFacts& facts,
                std::vector<ManifestRecord>& records) noexcept
        : target_(target), place_(place), facts_(facts), records_(records) {}

    KodraSink sink() noexcept {
        KodraSink sink{};
        sink.context = this;
        sink.begin = &onBegin;
        sink.data = &onData;
        sink.end = &onEnd;
        return sink;
    }
    PartFacts* facts() noexcept { return &partFacts_; }

    // The sink's entries, in the library's calling convention (a lambda has none on 32-bit Windows).
    static int KODRA_CALL onBegin(void* self, const KodraPart* part) {
        return static_cast<MessageSink*>(self)->begin(*part);
    }
    static int KODRA_CALL onData(void* self, const void* bytes, size_t size) {
        return static_cast<MessageSink*>(self)->data(bytes, size);
    }
    static void KODRA_CALL onEnd(void* self, const KodraPart*, int status) {
        static_cast<MessageSink*>(self)->end(status);
    }
    bool anyPart() const noexcept { return parts_ > 0; }

private:
    int begin(const KodraPart& part) noexcept;
    int data(const void* bytes, std::size_t size) noexcept;
    void end(int status) noexcept;
    bool openFolderOutput();
    bool openTemporaryOutput();
    void closeOutput(bool keep) noexcept;

    const ExtractTarget& target_;
    const MessagePlace& place_;
    const MessageFacts& facts_;
    std::vector<ManifestRecord>& records_;
    PartFacts partFacts_;
    int parts_ = 0;

    ManifestRecord record_;
    platform::Sha256 hash_;
    long long size_ = 0;
    bool writeFailed_ = false;
    StdioFile file_;
    platform::FileIdentity identity_{};
    std::string filePath_;      // the file being written, full path
    std::string relativePath_;  // folders: its path under the output folder
    std::string bytes_;         // memoryByHash: the part's bytes
    std::string messageFolder_; // folders: relative, once made
    bool folderFailed_ = false;
    std::set<std::string> usedNames_;
};

int MessageSink::begin(const KodraPart& part) noexcept {
    try {
        ++parts_;
        record_ = ManifestRecord{};
        record_.input = place_.input;
        record_.offset = place_.offset;
        record_.file = place_.file;
        record_.messageId = facts_.messageId;
        record_.date = facts_.date;
        record_.from = facts_.from;
        record_.subject = facts_.subject;
        record_.part = part.index;
        record_.rawName = partFacts_.rawName;
        record_.name = std::string(part.nameUtf8 ? part.nameUtf8 : "");
        if (const char* word = encodingWord(part.encoding, partFacts_.encoding)) record_.encoding = word;
        if (!partFacts_.mediaType.empty()) record_.type = partFacts_.mediaType;
        size_ = 0;
        writeFailed_ = false;
        bytes_.clear();
        hash_.finish();  // starts the hasher over
        if (target_.layout == PartLayout::folders) writeFailed_ = !openFolderOutput();
        else if (target_.layout == PartLayout::byHash) writeFailed_ = !openTemporaryOutput();
    } catch (...) {
        writeFailed_ = true;
    }
    return 1;
}

bool MessageSink::openFolderOutput() {
    if (messageFolder_.empty() && !folderFailed_) {
        const std::string folder = messageFolderName(place_.offset, place_.file, facts_.messageId);
        if (makeChildFolder(target_.outputFolder, place_.inputFolder) &&
            makeChildFolder(target_.outputFolder + "/" + place_.inputFolder, folder))
            messageFolder_ = place_.inputFolder + "/" + folder;
        else
            folderFailed_ = true;
    }
    if (folderFailed_) return false;
    relativePath_ = messageFolder_ + "/" + uniquePartName(*record_.name, usedNames_);
    filePath_ = target_.outputFolder + "/" + relativePath_;
    const platform::OutputFile output = platform::openOutput(filePath_.c_str(), platform::OutputMode::replace);
    file_.reset(output.file);
    identity_ = output.identity;
    return file_ != nullptr;
}

// Numbers the by-hash store's temporary files. It starts at a random value, so that processes
// storing into one folder (runs side by side, workers of a cluster) seldom try the same name.
std::atomic<unsigned long long>& temporaryCounter() {
    static std::atomic<unsigned long long> counter{[] {
        std::random_device random;
        const auto clock = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        return ((static_cast<unsigned long long>(random()) << 32u) | random()) ^ clock;
    }()};
    return counter;
}

bool MessageSink::openTemporaryOutput() {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long long number = temporaryCounter()++;
        filePath_ = target_.outputFolder + "/.kodra-" + std::to_string(number) + ".part";
        file_.reset(platform::createNewFile(filePath_.c_str()));
        if (file_) return platform::identifyOpenFile(file_.get(), identity_);
    }
    return false;
}

int MessageSink::data(const void* bytes, std::size_t size) noexcept {
    hash_.update(bytes, size);
    size_ += static_cast<long long>(size);
    if (writeFailed_) return 1;  // read through: the record says what was found
    try {
        if (target_.layout == PartLayout::memoryByHash) bytes_.append(static_cast<const char*>(bytes), size);
        else if (file_ && std::fwrite(bytes, 1, size, file_.get()) != size) writeFailed_ = true;
    } catch (...) {
        writeFailed_ = true;
    }
    return 1;
}

void MessageSink::closeOutput(bool keep) noexcept {
    if (!file_) return;
    if (!closeStdioFile(file_)) {
        writeFailed_ = true;
        keep = false;
    }
    if (!keep) platform::deleteCreatedFile(filePath_.c_str(), identity_);
}

void MessageSink::end(int status) noexcept {
    try {
        const std::string sha = hash_.finishHex();
        // A UU-family section that the input ended before its "end" line was cut short.
        const bool uuFamily = partFacts_.encoding == Encoding::uu || partFacts_.encoding == Encoding::xx ||
                              partFacts_.encoding == Encoding::privateTable;
        const bool cut = uuFamily && !partFacts_.endLineSeen;
        const bool decoded = status == KODRA_PART_DECODED && !cut;
        const bool keep = !writeFailed_ && (decoded || size_ > 0);
        record_.size = size_;
        record_.sha256 = sha;
        if (target_.layout == PartLayout::byHash) {
            closeOutput(keep && !writeFailed_);
            if (keep && !writeFailed_) {
                const std::string relative = sha.substr(0, 2) + "/" + sha;
                const std::string hashed = target_.outputFolder + "/" + relative;
                if (makeChildFolder(target_.outputFolder, sha.substr(0, 2)) &&
                    (platform::renameWithoutReplacing(filePath_.c_str(), hashed.c_str()) ||
                     platform::pathExists(hashed.c_str()))) {
                    relativePath_ = relative;
                } else {
                    writeFailed_ = true;
                }
                // A copy already stored (or one that could not be moved) leaves the temporary file.
                platform::deleteCreatedFile(filePath_.c_str(), identity_);
            }
        } else if (target_.layout == PartLayout::folders) {
            closeOutput(keep);
        } else if (target_.layout == PartLayout::memoryByHash) {
            relativePath_ = sha.substr(0, 2) + "/" + sha;
        }
        if (writeFailed_) {
            record_.status = RecordStatus::failed;
            record_.reason = "the part could not be written";
        } else if (decoded) {
            record_.status = RecordStatus::decoded;
        } else if (cut) {
            record_.status = RecordStatus::incomplete;
            record_.reason = "the message ended before the part's \"end\" line; what was decoded is kept";
        } else if (size_ > 0) {
            record_.status = RecordStatus::incomplete;
            record_.reason = "the part's data failed a check or ended early; what was decoded is kept";
        } else {
            record_.status = RecordStatus::failed;
            record_.reason = "the part's data could not be decoded";
        }
        const bool written = target_.layout != PartLayout::none && !writeFailed_ && keep;
        if (written) record_.path = relativePath_;
        if (target_.layout == PartLayout::memoryByHash && target_.partBytes) target_.partBytes(record_, bytes_);
        records_.push_back(record_);
    } catch (...) {
        // Memory ran short: the message's record set ends here.
    }
}

ManifestRecord messageRecord(const MessagePlace& place) {
    ManifestRecord record;
    record.input = place.input;
    record.offset = place.offset;
    record.file = place.file;
    return record;
}

}  // namespace

ManifestRecord failedMessageRecord(const MessagePlace& place, const std::string& reason) {
    ManifestRecord record = messageRecord(place);
    record.status = RecordStatus::failed;
    record.reason = reason;
    return record;
}

void extractMessage(const platform::UserInterface& ui, const ExtractTarget& target, const MessagePlace& place,
                    std::string_view message, std::vector<ManifestRecord>& records) noexcept {
    try {
        const MessageFacts facts = readMessageFacts(message);
        MessageSink messageSink(target, place, facts, records);
        const KodraSink sink = messageSink.sink();
        DecodeInput input;
        input.data = message.data();
        input.size = message.size();
        input.inMemory = true;
        input.yenc = true;
        DecodeTarget decodeTarget;
        decodeTarget.kind = Destination::sink;
        decodeTarget.sink = &sink;
        decodeTarget.facts = messageSink.facts();
        runDecode(ui, std::move(input), decodeTarget);
        if (!messageSink.anyPart()) {
            ManifestRecord record = messageRecord(place);
            record.messageId = facts.messageId;
            record.date = facts.date;
            record.from = facts.from;
            record.subject = facts.subject;
            record.status = RecordStatus::empty;
            records.push_back(std::move(record));
        }
    } catch (...) {
        try {
            records.push_back(failedMessageRecord(place, "memory ran short while decoding the message"));
        } catch (...) {
        }
    }
}

}  // namespace kodra
