// Outputs of joined postings. A file is written under a new temporary name in the output
// folder (created exclusively, so no link is followed) and copied to its name at the end,
// which is refused when a link or folder stands there or it is one of the inputs.
#include "join/join_output.h"

#include "decode/decode_file.h"
#include "frame/file_names.h"
#include "frame/utf8_text.h"

#include <cstring>
#include <vector>

namespace kodra {
namespace {

constexpr int kTemporaryAttempts = 1000;
constexpr const char* kIncompleteMark = ".incomplete";

}  // namespace

JoinOutput::~JoinOutput() {
    if (open_) end(false);
}

std::string JoinOutput::takeOutputPath(const std::string& name) {
    if (mode_ == 1 && *names_) {
        const char* separator = std::strchr(names_, ';');
        if (!separator) return names_;
        std::string path(names_, static_cast<std::size_t>(separator - names_));
        names_ = separator + 1;
        return path;
    }
    std::vector<char> bare(name.begin(), name.end());
    bare.push_back('\0');
    if (!reduceToContentFileName(bare.data())) return outputPathInFolder(folder_, "NONAME.DAT");
    return outputPathInFolder(folder_, bare.data());
}

bool JoinOutput::begin(const std::string& name, int encoding, long long offset) noexcept {
    if (open_) end(false);
    failed_ = skipped_ = false;
    written_.clear();
    try {
        name_ = name;
        nameUtf8_ = utf8OrLatin1(name);
        if (sink_) {
            part_ = KodraPart{};
            part_.index = index_++;
            part_.encoding = encoding;
            part_.name = name_.c_str();
            part_.nameSize = name_.size();
            part_.nameUtf8 = nameUtf8_.c_str();
            part_.offset = offset;
            skipped_ = sink_->begin && sink_->begin(sink_->context, &part_) == 0;
            open_ = true;
            return !skipped_ && sink_->data;
        }
        final_ = takeOutputPath(name);
        for (int attempt = 0; attempt < kTemporaryAttempts && !file_; ++attempt) {
            temporary_ = outputPathInFolder(folder_, (".kodra-join-" + std::to_string(++temporaries_) + ".tmp").c_str());
            file_.reset(platform::createNewFile(temporary_.c_str()));
        }
        if (!file_ || !platform::identifyOpenFile(file_.get(), identity_)) {
            file_.reset();
            return false;
        }
        open_ = true;
        return true;
    } catch (...) {
        file_.reset();
        return false;
    }
}

bool JoinOutput::write(const void* data, std::size_t size) noexcept {
    if (!open_ || failed_ || skipped_ || size == 0) return open_ && !failed_ && !skipped_;
    if (sink_) {
        if (!sink_->data || sink_->data(sink_->context, data, size) == 0) failed_ = true;
    } else if (std::fwrite(data, 1, size, file_.get()) != size) {
        failed_ = true;
    }
    return !failed_;
}

bool JoinOutput::end(bool complete) noexcept {
    if (!open_) return false;
    open_ = false;
    if (sink_) {
        const int status = skipped_ ? KODRA_PART_SKIPPED : complete && !failed_ ? KODRA_PART_DECODED : KODRA_PART_FAILED;
        if (sink_->end) sink_->end(sink_->context, &part_, status);
        return status == KODRA_PART_DECODED;
    }
    bool closed = closeStdioFile(file_) && !failed_;
    try {
        const std::string target = complete && closed ? final_ : final_ + kIncompleteMark;
        const bool copied = platform::isReplaceableOutput(target.c_str(), inputs_) &&
                            platform::copyFileReplacing(temporary_.c_str(), target.c_str());
        platform::deleteCreatedFile(temporary_.c_str(), identity_);
        if (!copied) return false;
        written_ = target;
        return complete && closed;
    } catch (...) {
        platform::deleteCreatedFile(temporary_.c_str(), identity_);
        return false;
    }
}

}  // namespace kodra
