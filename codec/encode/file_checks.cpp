#include "encode/file_checks.h"

#include <filesystem>
#include <system_error>

namespace kodra {

namespace fs = std::filesystem;

bool mayBeSameFile(const char* existingPath, const char* otherPath) noexcept {
    try {
        std::error_code error;
        // Nothing there, or a link to nothing: it cannot be a file that exists.
        const fs::file_status target = fs::status(otherPath, error);
        if (error == std::errc::no_such_file_or_directory ||
            (!error && target.type() == fs::file_type::not_found))
            return false;
        const bool same = fs::equivalent(existingPath, otherPath, error);
        return error ? true : same;
    } catch (...) {
        return true;  // could not tell: the caller must not risk the file
    }
}

bool regularFileSize(const char* path, std::uint64_t& size) noexcept {
    try {
        std::error_code error;
        if (!fs::is_regular_file(fs::status(path, error)) || error) return false;
        const std::uintmax_t length = fs::file_size(path, error);
        if (error) return false;
        size = static_cast<std::uint64_t>(length);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace kodra
