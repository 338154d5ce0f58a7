// DecodeFile: one pass over a text file, writing each encoded section to its own file
// beside it, asking the user as the mode says.
#include "decode/decode_file.h"

#include "binhex/binhex.h"
#include "decode/boundary_list.h"
#include "decode/section_scanner.h"
#include "decode/six_bit_lines.h"
#include "frame/file_names.h"
#include "frame/library_state.h"
#include "frame/line_reader.h"
#include "frame/stdio_file.h"
#include "platform/platform.h"
#include "platform/stdio_unlocked.h"

#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

constexpr const char* kCaption = "Kodra DLL";
constexpr int kIdleLineLimit = 2000;
constexpr std::size_t kMaxFileName = 255;
constexpr std::uint64_t kProgressStep = 4u << 20;
constexpr int kProgressCheckLines = 1024;

using FilePtr = StdioFile;

std::string formatMessage(const char* format, const std::string& path) {
    std::string text(format);
    const std::size_t mark = text.find("%s");
    if (mark != std::string::npos) text.replace(mark, 2, path);
    return text;
}

// The output of the section being decoded.
class Output {
public:
    enum class State {
        none,      // no output
        file,      // decoded bytes go to file_
        skipped,   // a declined or failed section: its lines are consumed, nothing is written
    };

    State state() const noexcept { return state_; }
    bool present() const noexcept { return state_ != State::none; }
    bool finished() const noexcept { return finished_; }
    std::FILE* file() const noexcept { return file_.get(); }
    const std::string& path() const noexcept { return path_; }

    void open(FilePtr file, std::string path) noexcept {
        file_ = std::move(file);
        buffer_.attach(file_.get());
        path_ = std::move(path);
        state_ = State::file;
        finished_ = false;
    }
    void skip() noexcept {
        file_.reset();
        state_ = State::skipped;
        finished_ = false;
    }
    // The section has had its end: nothing more is appended to this output.
    void finish() noexcept { finished_ = true; }

    // Closes the file. False when a write or the close failed, which makes the section a
    // failed one: it then counts as skipped.
    bool close() noexcept {
        if (state_ != State::file) {
            state_ = State::none;
            return false;
        }
        std::FILE* file = file_.release();
        const bool written = !std::ferror(file);
        const bool closed = std::fclose(file) == 0;
        state_ = State::none;
        return written && closed;
    }
    // Closes a file whose section failed; what was written stays.
    void fail() noexcept {
        close();
        state_ = State::skipped;
    }

private:
    StreamBuffer buffer_;  // before file_: it outlives the stream
    FilePtr file_;
    std::string path_;
    State state_ = State::none;
    bool finished_ = false;
};

class Decoder {
public:
    // With a listing, nothing is asked or written: the path of every output the decode
    // would write is added to it instead.
    Decoder(const char* path, const char* names, int mode, NameList* listing = nullptr) noexcept
        : path_(path), names_(names ? names : ""), mode_(listing ? kSilent : mode), listing_(listing) {}
    // A silent decode of an open stream into one literal target.
    Decoder(StdioFile input, const char* target, platform::ProtectedFiles refused) noexcept
        : path_(target), names_(target), mode_(kSilent), listing_(nullptr), givenInput_(std::move(input)),
          refused_(refused), literalTarget_(true) {}

    int run() noexcept;

private:
    enum class Start { opened, stop };

    bool allocate() noexcept;
    void reportProgress(bool force) noexcept;
    bool canStartOutput() const noexcept;
    Start startOutput() noexcept;
    bool chooseOtherPath(std::string& outputPath) noexcept;
    FilePtr createWithRetry(std::string& outputPath) noexcept;
    void decodeWholeSection() noexcept;
    void endSection() noexcept;
    void dataCheck() noexcept;
    void decodeLine(std::size_t length) noexcept;
    void markDecoded(const std::string& path);
    bool decodeGroups(std::size_t symbolsStart, std::size_t length, std::size_t& count) noexcept;
    int finish() noexcept;

    const char* path_;
    const char* names_;
    int mode_;
    NameList* listing_;
    FilePtr givenInput_;
    platform::ProtectedFiles refused_{};
    bool literalTarget_ = false;

    std::unique_ptr<char[]> line_, decoded_, lower_, name_;
    StreamBuffer inputBuffer_;  // before input_: it outlives the stream
    FilePtr input_;
    platform::FileIdentity inputIdentity_{};
    bool inputIdentified_ = false;
    BoundaryList boundaries_;
    ScanState scan_;
    int type_ = kNoSection;
    Output output_;
    bool scanning_ = true;
    int redeliver_ = 1;
    bool unnamedData_ = false;
    int prompts_ = 0;
    int named_ = 0;
    int idleLines_ = 0;
    int linesWritten_ = 0;
    int lastWholeSection_ = 0;
    std::string message_;
    void* owner_ = nullptr;
    std::uint64_t inputSize_ = 0;
    std::uint64_t reported_ = 0;
    int linesSinceProgress_ = 0;
    bool stopped_ = false;
};

bool Decoder::allocate() noexcept {
    line_.reset(new (std::nothrow) char[kLineBufferSize]());
    decoded_.reset(new (std::nothrow) char[kLineBufferSize]());
    lower_.reset(new (std::nothrow) char[kLineBufferSize]());
    name_.reset(new (std::nothrow) char[kLineBufferSize]());
    return line_ && decoded_ && lower_ && name_;
}

void Decoder::reportProgress(bool force) noexcept {
    if (!input_) return;
    if (!force && ++linesSinceProgress_ < kProgressCheckLines) return;
    linesSinceProgress_ = 0;
    const long position = force ? -1 : std::ftell(input_.get());
    const std::uint64_t done = force ? inputSize_ : position < 0 ? reported_ : static_cast<std::uint64_t>(position);
    if (force || done >= reported_ + kProgressStep) {
        reported_ = done;
        platform::reportProgress(done, inputSize_);
    }
}

void Decoder::markDecoded(const std::string& path) {
    if (message_.empty() && output_.state() == Output::State::file)
        message_ = formatMessage("File %s was decoded", path);
}

bool Decoder::chooseOtherPath(std::string& outputPath) noexcept {
    try {
        std::string buffer(outputPath);
        buffer.resize(std::max<std::size_t>(buffer.size(), kLineBufferSize) + 1, '\0');
        if (!platform::chooseSaveFile(platform::activeWindow(), &buffer[0], buffer.size())) return false;
        buffer.resize(std::strlen(buffer.c_str()));
        outputPath = std::move(buffer);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Creates the output; in mode 0 a file that cannot be created is followed by the save
// chooser, until the user picks one that can or cancels (stopped_ is then set).
FilePtr Decoder::createWithRetry(std::string& outputPath) noexcept {
    for (;;) {
        FilePtr file(literalTarget_
                         ? platform::openOutput(outputPath.c_str(), platform::OutputMode::replace, refused_).file
                         : platform::openOutputFile(outputPath.c_str(), inputIdentified_ ? &inputIdentity_ : nullptr));
        if (file || mode_ != kAskEverything) return file;
        if (!chooseOtherPath(outputPath)) {
            stopped_ = true;
            return nullptr;
        }
    }
}

Decoder::Start Decoder::startOutput() noexcept {
    linesWritten_ = 0;
    if (output_.state() == Output::State::file) {
        if (!output_.close()) message_.clear();  // a failed file is not reported as decoded
        if (mode_ == kAskEverything && !message_.empty())
            platform::messageBox(owner_, message_.c_str(), kCaption, platform::Buttons::ok);
    } else {
        output_.close();
    }
    message_.clear();

    std::string outputPath = outputPathFor(path_, name_.get());
    ++prompts_;
    platform::Answer answer = platform::Answer::yes;
    if (mode_ == kAskEverything)
        answer = platform::messageBox(owner_, formatMessage("Decode file %s?", outputPath).c_str(), kCaption,
                                      platform::Buttons::yesNoCancel);
    bool overwrite = true;
    if (answer == platform::Answer::yes) {
        if (fileExists(outputPath.c_str()) && (mode_ == kAskEverything || mode_ == kAskOverwrite))
            overwrite = platform::messageBox(owner_,
                                             formatMessage("File %s exists.  \nOverwite?", outputPath).c_str(),
                                             kCaption, platform::Buttons::yesNo) == platform::Answer::yes;
    } else if (answer == platform::Answer::no) {
        if (!chooseOtherPath(outputPath)) return Start::stop;
    } else {
        return Start::stop;
    }
    ++named_;
    message_.clear();
    if (literalTarget_) {
        outputPath = names_;
    } else if (mode_ == kGivenNames && *names_) {
        const char* separator = std::strchr(names_, ';');
        if (separator) {
            outputPath.assign(names_, static_cast<std::size_t>(separator - names_));
            names_ = separator + 1;
        } else {
            outputPath = names_;
        }
    }
    if (listing_) {
        // One entry for every section that takes a name from a mode-1 list, in order, even
        // when its default path would be refused (a link, a folder, the input): a caller
        // pairs the entries with the sections one to one.
        listing_->add(outputPath.c_str());
        output_.skip();
    } else if (!overwrite) {
        output_.skip();
    } else {
        FilePtr file = createWithRetry(outputPath);
        if (stopped_) return Start::stop;
        if (file) output_.open(std::move(file), std::move(outputPath));
        else output_.skip();
    }
    if (unnamedData_) {
        unnamedData_ = false;
        scanning_ = false;
    }
    if (type_ == kBinHexSection || type_ == kTextSection) decodeWholeSection();
    return Start::opened;
}

// A BinHex or text section is decoded in one go.
void Decoder::decodeWholeSection() noexcept {
    std::FILE* target = output_.file();
    bool succeeded = true;
    if (type_ == kBinHexSection) {
        succeeded = decodeBinHexForks(input_.get(), target ? target : input_.get(), line_.get()) == 1;
        lastWholeSection_ = kBinHexSection;
    } else {
        copyTextSection(boundaries_, input_.get(), target, line_.get(), scan_.quotedPrintable);
        lastWholeSection_ = kTextSection;
    }
    idleLines_ = 0;
    scanning_ = true;
    linesWritten_ = 1;
    if (succeeded) {
        markDecoded(output_.path());
        output_.finish();
    } else if (output_.state() == Output::State::file) {
        output_.fail();
    }
    name_[0] = '\0';
    scan_.table = nullptr;
    type_ = kNoSection;
}

bool Decoder::canStartOutput() const noexcept {
    if (name_[0] == '\0') return false;
    if (!scan_.table) return false;
    if (type_ == kNoSection) return false;
    // A second name found before the first output received any data starts nothing.
    return !(output_.present() && linesWritten_ == 0);
}

void Decoder::dataCheck() noexcept {
    const char* line = line_.get();
    const std::size_t length = std::strlen(line);
    // The "=" padding that ends a short last line (ours on XXencode too) is no reason to
    // doubt that the line is data.
    std::size_t checked = length;
    for (int pad = 0; pad < 2 && checked > 3 && line[checked - 1] == '='; ++pad) --checked;
    std::size_t position = length < 3 ? length : 2;
    while (position < checked && lookupSymbol(*scan_.table, line[position]) != kNotInAlphabet) ++position;
    if (position >= checked) {
        if (named_ == 0 && length > 10 && name_[0] == '\0') {
            std::memcpy(name_.get(), "NONAME.DAT", sizeof "NONAME.DAT");
            unnamedData_ = true;
            redeliver_ = 0;
            return;
        }
        if (!output_.finished()) scanning_ = false;
    }
    ++idleLines_;
    decodeLine(length);
}

void Decoder::endSection() noexcept {
    markDecoded(output_.path());
    output_.finish();
    scanning_ = true;
    name_[0] = '\0';
}

bool Decoder::decodeGroups(std::size_t symbolsStart, std::size_t length, std::size_t& count) noexcept {
    const SixBitLineResult result =
        decodeSixBitLine(line_.get() + symbolsStart, length - symbolsStart, count, *scan_.table,
                         type_ == kUuSection ? SixBitRules::fileUu : SixBitRules::fileBase64,
                         reinterpret_cast<std::uint8_t*>(decoded_.get()));
    count = result.bytes;
    return result.stop == SixBitStop::none;
}

// Decodes the data line in line_, of strlen length.
void Decoder::decodeLine(std::size_t length) noexcept {
    if (type_ == kNoSection || !scan_.table) return;
    char* line = line_.get();
    if (length > 3 && line[length - 1] == '>' && strncasecmp(line + length - 4, "<BR>", 4) == 0)
        line[length -= 4] = '\0';
    std::size_t count = 0;
    std::size_t symbolsStart = 0;
    if (type_ == kUuSection) {
        if (std::strncmp(line, "end", 3) == 0) {
            // The section's own end line: right after its data, or a bare "end" after a
            // blank line that lost its single blank in transit.
            if (!scanning_ || line[3 + std::strspn(line + 3, " \t")] == '\0') endSection();
            return;
        }
        count = lookupSymbol(*scan_.table, line[0]);
        symbolsStart = length > 0 ? 1 : 0;
    } else {
        if (length > 0 && boundaries_.matches(line)) {
            endSection();
            return;
        }
        for (int removed = 0; removed < 5 && symbolsStart < length &&
                              lookupSymbol(*scan_.table, line[symbolsStart]) == kNotInAlphabet;
             ++removed)
            ++symbolsStart;
        count = (length - symbolsStart) / 4 * 3;
        if (name_[0] == '\0' && count < 10) scanning_ = true;
    }
    if (scanning_) return;
    if (count > 0 && !decodeGroups(symbolsStart, length, count)) {
        idleLines_ = 0;
        scanning_ = true;
        markDecoded(output_.path());
        name_[0] = '\0';
        return;
    }
    if (count != 0 && output_.present() && !output_.finished()) {
        ++linesWritten_;
        if (std::FILE* file = output_.file()) writeUnlocked(decoded_.get(), 1, count, file);
        scanning_ = false;
    }
}

int Decoder::finish() noexcept {
    reportProgress(true);
    input_.reset();
    if (output_.state() != Output::State::file) {
        output_.close();
        if (prompts_ == 0 && mode_ == kAskEverything)
            platform::messageBox(nullptr, formatMessage("File %s is not encoded", path_).c_str(), kCaption,
                                 platform::Buttons::ok);
        return 0;
    }
    const std::string outputPath = output_.path();
    if (!output_.close()) return 0;  // a failed file counts as a declined section
    if (message_.empty()) message_ = formatMessage("File %s was decoded", outputPath);
    if (mode_ == kAskEverything) platform::messageBox(nullptr, message_.c_str(), kCaption, platform::Buttons::ok);
    if (lastWholeSection_ != 0 && type_ == kNoSection) return lastWholeSection_;
    if (type_ == kUuSection && scan_.table == &xxTable) return 4;
    return type_;
}

int Decoder::run() noexcept {
    owner_ = platform::activeWindow();
    if (!allocate()) return 0;
    try {
        if (literalTarget_) {
            input_ = std::move(givenInput_);  // already read or written: keeps its own buffer
        } else {
            input_.reset(platform::openInputFile(path_));
            inputBuffer_.attach(input_.get());
        }
        if (input_) {
            inputIdentified_ = platform::identifyOpenFile(input_.get(), inputIdentity_);
            inputSize_ = platform::sizeOfOpenFile(input_.get());
        }
        while (input_) {
            if (type_ == kNoSection && idleLines_ >= kIdleLineLimit) break;
            std::size_t lineLength = 0;
            if (!readTextLine(&redeliver_, input_.get(), line_.get(), lineLength)) break;
            reportProgress(false);
            if (!scanning_) {
                decodeLine(lineLength);
                continue;
            }
            char* line = line_.get();
            const std::size_t length = std::min(std::strlen(line), static_cast<std::size_t>(kMaxLineLength));
            std::memcpy(lower_.get(), line, length);
            lower_[length] = '\0';
            lowerCaseText(lower_.get());
            const bool blankInUnnamedText =
                line[0] == '\0' && scan_.table == &xxTable && name_[0] == '\0' && type_ == kTextSection;
            // Unnamed data goes straight to its output, decoded with the table in force.
            if (!blankInUnnamedText && !unnamedData_) {
                if (const int found = scanSectionLine(boundaries_, input_.get(), lower_.get(), line, name_.get(), scan_))
                    type_ = found;
            }
            if (name_[0] == '\0') {
                if (scan_.table) dataCheck();
                else ++idleLines_;
                continue;
            }
            if (!scan_.table) {
                ++idleLines_;
                continue;
            }
            if (canStartOutput() && startOutput() == Start::stop) {
                output_.close();
                break;
            }
            unnamedData_ = false;
            if (scan_.table) dataCheck();
            else ++idleLines_;
        }
    } catch (...) {
        // Nothing above throws but allocation in the messages; end the run as it stands.
    }
    return finish();
}

}  // namespace

std::string outputPathFor(const char* inputPath, const char* name) {
    std::string path;
    if (const char* separator = platform::lastPathSeparator(inputPath))
        path.assign(inputPath, static_cast<std::size_t>(separator - inputPath) + 1);
    else
        path = "./";  // a bare input name lies in the current folder
    const std::size_t length = std::strlen(name);
    // A name longer than the system allows keeps its end, where the extension is.
    std::size_t keep = length < kMaxFileName ? length : kMaxFileName;
    const std::size_t room = path.size() < platform::kSystemPathLimit ? platform::kSystemPathLimit - path.size() : 0;
    if (keep > room) keep = room;
    path += name + (length - keep);
    makeSafeFileName(&path[0]);
    return path;
}

int decodeFile(const char* path, const char* names, int mode) noexcept {
    if (!path) return 0;
    Decoder decoder(path, names, mode);
    return decoder.run();
}

int decodeStreamTo(StdioFile input, const char* target, platform::ProtectedFiles refused) noexcept {
    if (!input || !target) return 0;
    Decoder decoder(std::move(input), target, refused);
    return decoder.run();
}

int listFilesToDecode(const char* path) noexcept {
    if (!path) return 0;
    // An input that cannot be opened leaves the earlier list in place.
    if (std::FILE* probe = platform::openInputFile(path)) std::fclose(probe);
    else return 0;
    NameList& list = libraryState().decodeNames;
    list.reset();
    Decoder decoder(path, "", kSilent, &list);
    decoder.run();
    return list.count();
}

int copyFileToDecode(char* buffer, int index) noexcept {
    const char* entry = libraryState().decodeNames.getAt(index);
    if (!entry || !buffer) return 0;
    const std::size_t length = std::strlen(entry);
    if (length > static_cast<std::size_t>(kMaxLineLength)) return 0;  // would not fit 1024 bytes
    std::memcpy(buffer, entry, length + 1);
    return 1;
}

}  // namespace kodra
