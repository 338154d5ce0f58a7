#include "message/intermediate_file.h"

#include <cstring>

namespace kodra {

IntermediateFile::~IntermediateFile() {
    file_.reset();  // closed first: an open file cannot be removed everywhere
    if (!path_.empty()) platform::deleteCreatedFile(path_.c_str(), identity_);
}

bool IntermediateFile::create(const std::string& folder, const char* base, const std::string& avoid) {
    for (int number = 1; number < 1000; ++number) {
        std::string candidate = folder + base + "." + std::to_string(number);
        if (candidate == avoid) continue;
        if (std::FILE* file = platform::createNewFile(candidate.c_str())) {
            StdioFile opened(file);
            platform::FileIdentity identity;
            if (!platform::identifyOpenFile(file, identity)) {
                // Without its identity the file could not be removed safely: give it up now.
                opened.reset();
                platform::deleteFile(candidate.c_str());
                return false;
            }
            file_ = std::move(opened);
            path_ = std::move(candidate);
            identity_ = identity;
            return true;
        }
        if (!platform::pathExists(candidate.c_str())) return false;  // not a name clash
    }
    return false;
}

bool IntermediateFile::write(const char* bytes, std::size_t size) const noexcept {
    return std::fwrite(bytes, 1, size, file_.get()) == size;
}

bool IntermediateFile::write(const char* text) const noexcept { return write(text, std::strlen(text)); }

bool IntermediateFile::restart() const noexcept {
    const bool emptied = platform::resizeOpenFile(file_.get(), 0);
    std::rewind(file_.get());
    return emptied;
}

bool IntermediateFile::finish() const noexcept {
    std::FILE* file = file_.get();
    const long end = std::ftell(file);
    const bool written = end >= 0 && std::fflush(file) == 0 && !std::ferror(file) &&
                         platform::resizeOpenFile(file, static_cast<std::uint64_t>(end));
    std::rewind(file);
    return written;
}

}  // namespace kodra
