#include "file_checks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace kodra::cli {

void reportError(const std::string& subject, const std::string& cause) {
    std::fprintf(stderr, "kodra: %s: %s\n", subject.c_str(), cause.c_str());
}

std::string absolutePath(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    return absolute.lexically_normal().string();
}

bool checkReadableFile(const std::string& path) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        reportError(path, std::strerror(errno));
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        reportError(path, "is a folder, not a file");
        return false;
    }
    if (!S_ISREG(status.st_mode)) {
        reportError(path, "is not a regular file");
        return false;
    }
    // Opening is the only reliable test of read permission (access() ignores some ACLs).
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        reportError(path, std::strerror(errno));
        return false;
    }
    std::fclose(file);
    return true;
}

bool checkPathLength(const std::string& path) {
    if (path.size() <= kMaxPathLength) return true;
    reportError(path, "path is longer than " + std::to_string(kMaxPathLength) + " characters");
    return false;
}

bool prepareOutputFolder(const std::string& folder) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(folder, error);
    if (std::filesystem::exists(status)) {
        if (!std::filesystem::is_directory(status)) {
            reportError(folder, "is not a folder");
            return false;
        }
    } else if (!std::filesystem::create_directories(folder, error) || error) {
        reportError(folder, "cannot create folder: " + error.message());
        return false;
    }
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        reportError(folder, std::string("cannot write into folder: ") + std::strerror(errno));
        return false;
    }
    return true;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string lastComponent(const std::string& name) {
    const std::size_t separator = name.find_last_of("/\\");
    return separator == std::string::npos ? name : name.substr(separator + 1);
}

}  // namespace kodra::cli
