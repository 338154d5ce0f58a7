// The decode engine: reads its input through one line source, asks the scanner about
// every line between sections and decodes section data straight from the source's views.
#include "decode/decoder.h"

#include "decode/boundary_list.h"
#include "decode/decode_file.h"
#include "decode/part_output.h"
#include "decode/raw_section_copier.h"
#include "decode/section_scanner.h"
#include "decode/six_bit_lines.h"
#include "decode/text_section_copier.h"
#include "decode/yenc_section_reader.h"
#include "frame/file_names.h"
#include "frame/line_source.h"
#include "frame/name_list.h"
#include "frame/utf8_text.h"
#include "platform/platform.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

namespace kodra {
namespace {

constexpr const char* kCaption = "Kodra DLL";
constexpr int kIdleLineLimit = 2000;
constexpr std::uint64_t kProgressStep = 4u << 20;
constexpr int kProgressCheckLines = 1024;
// Lines longer than this come in pieces of this size: memory stays bounded whatever a
// hostile file holds, and as the size is a multiple of four a long Base64 line's groups
// stay whole.
constexpr std::size_t kLongestWholeLine = 1u << 20;
static_assert(kLongestWholeLine % 4 == 0);
constexpr std::size_t kReadSize = 128 * 1024;
// The save chooser gets at least this much room for the path it returns.
constexpr std::size_t kChooserRoom = 1025;

std::string formatMessage(const char* format, const std::string& path) {
    std::string text(format);
    const std::size_t mark = text.find("%s");
    if (mark != std::string::npos) text.replace(mark, 2, path);
    return text;
}

bool equalsIgnoringCase(std::string_view text, const char* word) noexcept {
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != word[i]) return false;
    }
    return true;
}

LineSourceOptions sourceOptions(const DecodeInput& input) noexcept {
    LineSourceOptions options;
    options.maxLineLength = kLongestWholeLine;
    options.readSize = input.readSize > 0 ? input.readSize : kReadSize;
    options.loneCr = input.classicText ? LoneCr::inLine : LoneCr::detect;
    return options;
}

// The number a sink is told for an encoding.
int sinkEncoding(Encoding encoding) noexcept {
    switch (encoding) {
        case Encoding::uu: return KODRA_ENCODING_UU;
        case Encoding::xx: return KODRA_ENCODING_XX;
        case Encoding::privateTable: return KODRA_ENCODING_UU_TABLE;
        case Encoding::base64: return KODRA_ENCODING_BASE64;
        case Encoding::binHex: return KODRA_ENCODING_BINHEX;
        case Encoding::text:
        case Encoding::raw: return KODRA_ENCODING_TEXT;
        case Encoding::quotedPrintable: return KODRA_ENCODING_QUOTED_PRINTABLE;
        case Encoding::yenc: return KODRA_ENCODING_YENC;
        case Encoding::none: break;
    }
    return 0;
}

// Where the decoder is between lines.
enum class Phase {
    scanning,     // every line goes to the scanner first
    unnamedData,  // data without a name was found: the line comes again, as data of "NONAME.DAT"
    data,         // lines are the current section's data
};

// The section being read: what the scanner found and what it is called.
struct Section {
    SectionType type = kNoSection;
    ScanState scan;
    std::string name;
};

class Decoder {
public:
    Decoder(const platform::UserInterface& ui, const DecodeTarget& target) noexcept
        : ui_(ui), target_(target), mode_(target.kind == Destination::folder ? target.mode : kSilent),
          names_(target.names ? target.names : "") {}

    DecodeSummary run(DecodeInput input) noexcept;

private:
    enum class Start { opened, stop };

    void reportProgress(bool force) noexcept;
    bool canStartOutput() const noexcept;
    Start startOutput();
    bool chooseOtherPath(std::string& outputPath);
    StdioFile createWithRetry(std::string& outputPath);
    std::string defaultPath() const;
    void offerToSink();
    void decodeWholeSection();
    void endSection() noexcept;
    void dataCheck();
    void decodeLine(std::string_view line) noexcept;
    bool decodeCleanLines() noexcept;
    void markDecoded(const std::string& path);
    void closeOutput();
    DecodeSummary finish() noexcept;

    const platform::UserInterface& ui_;
    const DecodeTarget& target_;
    int mode_;
    const char* names_;
    const char* path_ = "";  // the input's path, for messages and the default folder

    std::optional<LineSource> source_;
    StdioFile input_;
    platform::FileIdentity inputIdentity_{};
    bool inputIdentified_ = false;
    std::uint64_t inputSize_ = 0;

    std::string line_, lower_;
    std::vector<std::uint8_t> scratch_;  // decoded bytes of a part that is not written
    BoundaryList boundaries_;
    Section section_;
    PartOutput output_;
    Phase phase_ = Phase::scanning;
    Encoding lastWholeSection_ = Encoding::none;
    std::uint64_t lineOffset_ = 0;
    int prompts_ = 0;
    int named_ = 0;
    int idleLines_ = 0;
    int linesWritten_ = 0;
    int partsFound_ = 0;
    int partsDecoded_ = 0;
    std::string message_;
    void* owner_ = nullptr;
    std::uint64_t reported_ = 0;
    int linesSinceProgress_ = 0;
    bool stopped_ = false;
    bool cleanLineRuns_ = true;
    bool classicText_ = false;
    SimdLevel simdLevel_ = SimdLevel::scalar;
};

void Decoder::reportProgress(bool force) noexcept {
    if (!source_) return;
    if (!force && ++linesSinceProgress_ < kProgressCheckLines) return;
    linesSinceProgress_ = 0;
    const std::uint64_t done = force ? inputSize_ : source_->position();
    if (force || done >= reported_ + kProgressStep) {
        reported_ = done;
        ui_.reportProgress(done, inputSize_);
    }
}

void Decoder::markDecoded(const std::string& path) {
    if (message_.empty() && output_.isOpen()) message_ = formatMessage("File %s was decoded", path);
}

bool Decoder::chooseOtherPath(std::string& outputPath) {
    std::string buffer(outputPath);
    buffer.resize(std::max(buffer.size(), kChooserRoom) + 1, '\0');
    if (!ui_.chooseSaveFile(ui_.activeWindow(), &buffer[0], buffer.size())) return false;
    buffer.resize(std::strlen(buffer.c_str()));
    outputPath = std::move(buffer);
    return true;
}

// Creates the output; in mode 0 a file that cannot be created is followed by the save
// chooser, until the user picks one that can or cancels (stopped_ is then set).
StdioFile Decoder::createWithRetry(std::string& outputPath) {
    for (;;) {
        StdioFile file(target_.kind == Destination::literal || target_.refused.count > 0
                           ? platform::openOutput(outputPath.c_str(), platform::OutputMode::replace, target_.refused).file
                           : platform::openOutputFile(outputPath.c_str(), inputIdentified_ ? &inputIdentity_ : nullptr));
        if (file || mode_ != kAskEverything) return file;
        if (!chooseOtherPath(outputPath)) {
            stopped_ = true;
            return nullptr;
        }
    }
}

std::string Decoder::defaultPath() const {
    if (target_.folder) return outputPathInFolder(target_.folder, section_.name.c_str());
    return outputPathFor(path_, section_.name.c_str());
}

void Decoder::closeOutput() {
    const bool wasOpen = output_.isOpen();
    const bool closed = output_.close();
    if (wasOpen && closed) ++partsDecoded_;
    if (wasOpen && !closed) message_.clear();  // a failed part is not reported as decoded
}

// Offers the part to the caller's sink (or only reports it, when listing).
void Decoder::offerToSink() {
    const KodraSink& sink = *target_.sink;
    std::string name = section_.name;
    std::string nameUtf8 = utf8OrLatin1(name);
    KodraPart part{};
    part.index = partsFound_ - 1;
    part.encoding = sinkEncoding(encodingOf(section_.type, section_.scan));
    part.name = name.c_str();
    part.nameSize = name.size();
    part.nameUtf8 = nameUtf8.c_str();
    part.offset = static_cast<long long>(lineOffset_);
    if (target_.facts) {
        target_.facts->encoding = encodingOf(section_.type, section_.scan);
        target_.facts->rawName = section_.scan.rawName.empty() ? section_.name : section_.scan.rawName;
        target_.facts->mediaType = section_.scan.mediaType;
        target_.facts->endLineSeen = false;
    }
    section_.scan.rawName.clear();
    section_.scan.mediaType.clear();
    const bool wanted = sink.begin ? sink.begin(sink.context, &part) != 0 : true;
    if (target_.kind == Destination::sink && wanted && sink.data)
        output_.openSink(sink, part, std::move(name), std::move(nameUtf8));
    else if (target_.kind == Destination::sink)
        output_.skip(sink, part, std::move(name), std::move(nameUtf8));
    else
        output_.skip();  // a listing: nothing is decoded and the part has no end to report
}

Decoder::Start Decoder::startOutput() {
    linesWritten_ = 0;
    if (output_.isOpen()) {
        const bool shown = mode_ == kAskEverything;
        closeOutput();
        if (shown && !message_.empty())
            ui_.messageBox(owner_, message_.c_str(), kCaption, platform::Buttons::ok);
    } else {
        output_.close();
    }
    message_.clear();
    ++partsFound_;

    const bool toFiles = target_.kind == Destination::folder || target_.kind == Destination::literal ||
                         target_.kind == Destination::listNames;
    std::string outputPath = toFiles ? defaultPath() : std::string();
    ++prompts_;
    platform::Answer answer = platform::Answer::yes;
    if (mode_ == kAskEverything)
        answer = ui_.messageBox(owner_, formatMessage("Decode file %s?", outputPath).c_str(), kCaption,
                                platform::Buttons::yesNoCancel);
    bool overwrite = true;
    if (answer == platform::Answer::yes) {
        if ((mode_ == kAskEverything || mode_ == kAskOverwrite) && platform::pathExists(outputPath.c_str()))
            overwrite = ui_.messageBox(owner_, formatMessage("File %s exists.  \nOverwite?", outputPath).c_str(),
                                       kCaption, platform::Buttons::yesNo) == platform::Answer::yes;
    } else if (answer == platform::Answer::no) {
        if (!chooseOtherPath(outputPath)) return Start::stop;
    } else {
        return Start::stop;
    }
    ++named_;
    message_.clear();
    if (target_.kind == Destination::literal) {
        outputPath = target_.literal;
    } else if (mode_ == kGivenNames && *names_) {
        const char* separator = std::strchr(names_, ';');
        if (separator) {
            outputPath.assign(names_, static_cast<std::size_t>(separator - names_));
            names_ = separator + 1;
        } else {
            outputPath = names_;
        }
    }
    switch (target_.kind) {
        case Destination::listNames:
            // One entry for every section that takes a name from a mode-1 list, in order, even
            // when its default path would be refused (a link, a folder, the input): a caller
            // pairs the entries with the sections one to one.
            target_.listing->add(outputPath.c_str());
            output_.skip();
            break;
        case Destination::sink:
        case Destination::listSink: offerToSink(); break;
        case Destination::folder:
        case Destination::literal:
            if (!overwrite) {
                output_.skip();
            } else {
                StdioFile file = createWithRetry(outputPath);
                if (stopped_) return Start::stop;
                if (file) output_.openFile(std::move(file), std::move(outputPath));
                else output_.skip();
            }
            break;
    }
    if (phase_ == Phase::unnamedData) phase_ = Phase::data;
    if (section_.type == kBinHexSection || section_.type == kTextSection || section_.type == kYencSection)
        decodeWholeSection();
    return Start::opened;
}

// A BinHex, text or yEnc section is decoded in one go.
void Decoder::decodeWholeSection() {
    ByteSink* target = output_.isOpen() ? &output_ : nullptr;
    bool succeeded = true;
    bool incomplete = false;  // failed checks: the output must not stand under its name
    if (section_.type == kYencSection) {
        const YencSectionRead read = readYencSection(*source_, boundaries_, section_.scan.yencBegin, output_,
                                                     [this] { reportProgress(false); });
        succeeded = judgeYencSection(section_.scan.yencBegin, read) == YencVerdict::complete;
        incomplete = !succeeded;
        lastWholeSection_ = Encoding::yenc;
    } else if (section_.type == kBinHexSection) {
        succeeded = section_.scan.binHex.decodeForks(*source_, target);
        lastWholeSection_ = Encoding::binHex;
    } else if (section_.scan.textBody == TextBody::raw && !classicText_) {
        succeeded = copyRawSection(boundaries_, *source_, target, line_).written;
        lastWholeSection_ = Encoding::raw;
    } else {
        const TextLineEnds lineEnds =
            classicText_ || platform::kTextInCrLf ? TextLineEnds::crLf : TextLineEnds::message;
        succeeded = copyTextSection(boundaries_, *source_, target, line_,
                                    section_.scan.textBody == TextBody::quotedPrintable, lineEnds)
                        .written;
        lastWholeSection_ = Encoding::text;
    }
    idleLines_ = 0;
    phase_ = Phase::scanning;
    linesWritten_ = 1;
    if (succeeded) {
        markDecoded(output_.path());
        output_.finish();
    } else if (output_.isOpen()) {
        if (incomplete) output_.failIncomplete();
        else output_.fail();
    }
    section_.name.clear();
    section_.scan.table = nullptr;
    section_.type = kNoSection;
}

bool Decoder::canStartOutput() const noexcept {
    if (section_.name.empty()) return false;
    if (!section_.scan.table) return false;
    if (section_.type == kNoSection) return false;
    // A second name found before the first output received any data starts nothing.
    return !(output_.present() && linesWritten_ == 0);
}

void Decoder::dataCheck() {
    const std::string& line = line_;
    const std::size_t length = line.size();
    // The "=" padding that ends a short last line (ours on XXencode too) is no reason to
    // doubt that the line is data.
    std::size_t checked = length;
    for (int pad = 0; pad < 2 && checked > 3 && line[checked - 1] == '='; ++pad) --checked;
    std::size_t position = length < 3 ? length : 2;
    while (position < checked && lookupSymbol(*section_.scan.table, line[position]) != kNotInAlphabet) ++position;
    if (position >= checked) {
        if (named_ == 0 && length > 10 && section_.name.empty()) {
            section_.name = "NONAME.DAT";
            phase_ = Phase::unnamedData;
            source_->unread();
            return;
        }
        if (!output_.finished()) phase_ = Phase::data;
    }
    ++idleLines_;
    decodeLine(line_);
}

void Decoder::endSection() noexcept {
    markDecoded(output_.path());
    output_.finish();
    phase_ = Phase::scanning;
    section_.name.clear();
}

// Decodes one data line of the current section.
void Decoder::decodeLine(std::string_view line) noexcept {
    if (section_.type == kNoSection || !section_.scan.table) return;
    const DecodeTable& table = *section_.scan.table;
    if (line.size() > 3 && line.back() == '>' && equalsIgnoringCase(line.substr(line.size() - 4), "<br>"))
        line.remove_suffix(4);
    std::size_t count = 0;
    std::size_t symbolsStart = 0;
    if (section_.type == kUuSection) {
        if (line.compare(0, 3, "end") == 0) {
            // The section's own end line: right after its data, or a bare "end" after a
            // blank line that lost its single blank in transit.
            const std::size_t rest = line.find_first_not_of(" \t", 3);
            if (phase_ == Phase::data || rest == std::string_view::npos) {
                if (target_.facts) target_.facts->endLineSeen = true;
                endSection();
            }
            return;
        }
        count = line.empty() ? 0 : lookupSymbol(table, line[0]);
        symbolsStart = line.empty() ? 0 : 1;
    } else {
        if (!line.empty() && boundaries_.matches(line)) {
            endSection();
            return;
        }
        for (int removed = 0; removed < 5 && symbolsStart < line.size() &&
                              lookupSymbol(table, line[symbolsStart]) == kNotInAlphabet;
             ++removed)
            ++symbolsStart;
        count = (line.size() - symbolsStart) / 4 * 3;
        if (section_.name.empty() && count < 10) phase_ = Phase::scanning;
        // A last group written without its padding still holds bytes.
        if (section_.type == kBase64Section && &table == &base64Table)
            count = base64LineCount(line.data() + symbolsStart, line.size() - symbolsStart, table);
    }
    if (phase_ != Phase::data) return;
    const bool writing = count != 0 && output_.isOpen() && !output_.finished();
    if (count > 0) {
        std::uint8_t* out = nullptr;
        if (writing) {
            out = output_.reserve(count);
        } else {
            if (scratch_.size() < count) {
                try {
                    scratch_.resize(count);
                } catch (const std::bad_alloc&) {
                    return;
                }
            }
            out = scratch_.data();
        }
        if (!out) return;
        const SixBitLineResult result =
            decodeSixBitLineAt(simdLevel_, line.data() + symbolsStart, line.size() - symbolsStart, count, table,
                             section_.type == kUuSection ? SixBitRules::fileUu : SixBitRules::fileBase64, out);
        if (result.stop != SixBitStop::none) {
            idleLines_ = 0;
            phase_ = Phase::scanning;
            markDecoded(output_.path());
            section_.name.clear();
            return;
        }
        count = result.bytes;
        if (writing) output_.commit(count);
    }
    if (count != 0 && output_.present() && !output_.finished()) {
        ++linesWritten_;
        phase_ = Phase::data;
    }
}

// Decodes the run of clean data lines that the source has read ahead, all at once: whole
// Base64 lines of four-symbol groups, or UU and XX lines exactly as long as their length
// character says. Each is a line the line path would decode in full to the same bytes,
// with nothing else to do; the first other line is left to it. Returns whether any was
// taken.
bool Decoder::decodeCleanLines() noexcept {
    const DecodeTable* table = section_.scan.table;
    const bool base64 = section_.type == kBase64Section && table == &base64Table;
    const bool uuFamily = section_.type == kUuSection && (table == &uuTable || table == &xxTable);
    if (!(base64 || uuFamily) || !output_.isOpen() || output_.finished()) return false;
    // Base64 lines of up to this many groups; longer ones take the line path.
    constexpr std::size_t kMaxGroups = 4096;
    const std::string_view ahead = source_->buffered();
    const char* at = ahead.data();
    const char* const end = at + ahead.size();
    std::size_t lines = 0;
    for (;;) {
        const auto left = static_cast<std::size_t>(end - at);
        std::size_t taken = 0;  // bytes of the line, its end included
        if (base64) {
            const std::size_t groups = std::min(left / 4, kMaxGroups);
            std::uint8_t* out = groups > 0 ? output_.reserve(3 * groups) : nullptr;
            if (!out) break;
            const std::size_t done = decodeCleanGroupsAt(simdLevel_, at, groups, *table, out);
            // A short line of an unnamed section goes back to scanning.
            if (done == 0 || (section_.name.empty() && 3 * done < 10)) break;
            const std::size_t lineEnd = source_->lineEndAt(static_cast<std::size_t>(at - ahead.data()) + 4 * done);
            if (lineEnd == 0) break;
            output_.commit(3 * done);
            taken = 4 * done + lineEnd;
        } else {
            if (left < 3 || (at[0] == 'e' && at[1] == 'n' && at[2] == 'd')) break;
            const std::uint8_t count = lookupSymbol(*table, at[0]);
            if (count == 0 || count == kNotInAlphabet) break;
            const std::size_t groups = (count + 2u) / 3u;
            if (left < 1 + 4 * groups) break;
            std::uint8_t* out = output_.reserve(3 * groups);
            if (!out || decodeCleanGroupsAt(simdLevel_, at + 1, groups, *table, out) != groups) break;
            const char* const symbolsEnd = at + 1 + 4 * groups;
            const std::size_t lineEnd = source_->lineEndAt(static_cast<std::size_t>(symbolsEnd - ahead.data()));
            // A line that ends in "<BR>" loses it on the line path.
            if (lineEnd == 0 || equalsIgnoringCase(std::string_view(symbolsEnd - 4, 4), "<br>")) break;
            output_.commit(count);
            taken = 1 + 4 * groups + lineEnd;
        }
        at += taken;
        ++lines;
    }
    if (lines == 0) return false;
    source_->skip(static_cast<std::size_t>(at - ahead.data()));
    ++linesWritten_;
    linesSinceProgress_ += static_cast<int>(std::min<std::size_t>(lines, kProgressCheckLines)) - 1;
    reportProgress(false);
    return true;
}

DecodeSummary Decoder::finish() noexcept {
    DecodeSummary summary;
    summary.opened = true;
    reportProgress(true);
    source_.reset();
    input_.reset();
    try {
        if (!output_.isOpen()) {
            output_.close();
            if (prompts_ == 0 && mode_ == kAskEverything)
                ui_.messageBox(nullptr, formatMessage("File %s is not encoded", path_).c_str(), kCaption,
                               platform::Buttons::ok);
        } else {
            const std::string outputPath = output_.path();
            const bool closed = output_.close();
            if (closed) {
                ++partsDecoded_;
                if (message_.empty()) message_ = formatMessage("File %s was decoded", outputPath);
                if (mode_ == kAskEverything)
                    ui_.messageBox(nullptr, message_.c_str(), kCaption, platform::Buttons::ok);
                if (lastWholeSection_ != Encoding::none && section_.type == kNoSection)
                    summary.last = lastWholeSection_;
                else
                    summary.last = encodingOf(section_.type, section_.scan);
            }
        }
    } catch (...) {
        // Only the messages allocate; the result stands without them.
    }
    summary.partsFound = partsFound_;
    summary.partsDecoded = partsDecoded_;
    summary.namesLeft = names_;
    return summary;
}

DecodeSummary Decoder::run(DecodeInput input) noexcept {
    try {
        owner_ = ui_.activeWindow();
        cleanLineRuns_ = input.cleanLineRuns;
        classicText_ = input.classicText;
        section_.scan.yenc = input.yenc;
        simdLevel_ = input.simdLevel ? *input.simdLevel : activeSimdLevel();
        if (input.inMemory) {
            source_.emplace(input.data, input.size, sourceOptions(input));
            inputSize_ = input.size;
        } else {
            if (input.stream) {
                input_ = std::move(input.stream);
            } else if (input.path) {
                path_ = input.path;
                input_.reset(platform::openInputFile(input.path));
            }
            if (!input_) {
                DecodeSummary summary = finish();  // mode 0 still says the file is not encoded
                summary.opened = false;
                return summary;
            }
            inputIdentified_ = platform::identifyOpenFile(input_.get(), inputIdentity_);
            inputSize_ = platform::sizeOfOpenFile(input_.get());
            source_.emplace(input_.get(), sourceOptions(input));
        }
        if (target_.kind == Destination::literal) path_ = target_.literal;
        else if (input.path) path_ = input.path;
        SourceLine raw;
        for (;;) {
            if (section_.type == kNoSection && idleLines_ >= kIdleLineLimit) break;
            if (phase_ == Phase::data && cleanLineRuns_ && decodeCleanLines()) continue;
            const std::uint64_t offset = source_->position();
            if (!source_->next(raw)) break;
            reportProgress(false);
            const std::string_view text = lineText(raw);
            if (phase_ == Phase::data) {
                decodeLine(text);
                continue;
            }
            lineOffset_ = offset;
            line_.assign(text);
            lower_.assign(text);
            for (char& c : lower_)
                if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            const bool blankInUnnamedText = line_.empty() && section_.scan.table == &xxTable &&
                                            section_.name.empty() && section_.type == kTextSection;
            // Unnamed data goes straight to its output, decoded with the table in force.
            if (!blankInUnnamedText && phase_ != Phase::unnamedData) {
                if (const int found =
                        scanSectionLine(boundaries_, *source_, lower_, line_, section_.name, section_.scan))
                    section_.type = static_cast<SectionType>(found);
            }
            if (section_.name.empty()) {
                if (section_.scan.table) dataCheck();
                else ++idleLines_;
                continue;
            }
            if (!section_.scan.table) {
                ++idleLines_;
                continue;
            }
            if (canStartOutput() && startOutput() == Start::stop) {
                output_.close();
                break;
            }
            if (phase_ == Phase::unnamedData) phase_ = Phase::scanning;
            if (section_.scan.table) dataCheck();
            else ++idleLines_;
        }
    } catch (...) {
        // Only allocation throws; end the run as it stands.
    }
    return finish();
}

}  // namespace

DecodeSummary runDecode(const platform::UserInterface& ui, DecodeInput input, const DecodeTarget& target) noexcept {
    if ((target.kind == Destination::sink || target.kind == Destination::listSink) && !target.sink) return {};
    if (target.kind == Destination::listNames && !target.listing) return {};
    if (target.kind == Destination::literal && !target.literal) return {};
    Decoder decoder(ui, target);
    return decoder.run(std::move(input));
}

}  // namespace kodra
