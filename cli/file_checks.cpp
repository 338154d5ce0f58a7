#include "file_checks.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "printable_text.h"

namespace kodra::cli {

void reportError(const std::string& subject, const std::string& cause) {
    std::fprintf(stderr, "kodra: %s: %s\n", printable(subject).c_str(), printable(cause).c_str());
}

std::string absolutePath(const std::string& path) {
    std::string joined = path;
    if (path.empty() || path[0] != '/') {
        std::vector<char> here(platform::kSystemPathLimit + 1, '\0');
        if (!platform::currentFolder(here.data(), here.size())) return path;
        joined = std::string(here.data()) + "/" + path;
    }
    std::string result;
    std::size_t start = 0;
    while (start <= joined.size()) {
        std::size_t end = joined.find('/', start);
        if (end == std::string::npos) end = joined.size();
        const std::string part = joined.substr(start, end - start);
        if (!part.empty() && part != ".") result += "/" + part;
        start = end + 1;
    }
    return result.empty() ? "/" : result;
}

bool checkReadableFile(const std::string& path, InputFacts* facts) {
    errno = 0;
    InputFacts found;
    if (std::FILE* file = platform::openInputFile(path.c_str(), &found.identity)) {
        found.size = platform::sizeOfOpenFile(file);
        std::fclose(file);
        if (facts) *facts = found;
        return true;
    }
    const int openError = errno;
    platform::PathInfo info;
    const bool inspected = platform::inspectPath(path.c_str(), info);
    if (inspected && info.kind == platform::PathKind::folder)
        reportError(path, "is a folder, not a file");
    else if (inspected && info.kind == platform::PathKind::other)
        reportError(path, "is not a regular file (a FIFO, device or socket); not read");
    else if (openError != 0)
        reportError(path, std::strerror(openError));
    else
        reportError(path, "is not a regular file; not read");
    return false;
}

bool checkPathLength(const std::string& path) {
    if (path.size() <= kMaxPathLength) return true;
    reportError(path, "path is longer than " + std::to_string(kMaxPathLength) + " characters");
    return false;
}

bool prepareOutputFolder(const std::string& folder) {
    platform::PathInfo info;
    if (!platform::inspectPath(folder.c_str(), info)) {
        reportError(folder, "cannot be examined");
        return false;
    }
    if (info.kind == platform::PathKind::regularFile || info.kind == platform::PathKind::other) {
        reportError(folder, "is not a folder");
        return false;
    }
    errno = 0;
    // A link the user named as the folder is followed, as a shell's cd would.
    if (!platform::makeFolders(folder.c_str())) {
        const int error = errno;
        if (info.kind == platform::PathKind::missing)
            reportError(folder, std::string("cannot create folder") +
                                    (error ? ": " + std::string(std::strerror(error)) : ""));
        else
            reportError(folder, "is not a folder");
        return false;
    }
    errno = 0;
    if (!platform::canWriteInFolder(folder.c_str())) {
        reportError(folder, std::string("cannot write into folder: ") + std::strerror(errno ? errno : EACCES));
        return false;
    }
    return true;
}

std::string outputRefusal(const std::string& path, platform::ProtectedFiles inputs, int openError) {
    platform::PathInfo info;
    if (platform::inspectPath(path.c_str(), info)) {
        switch (info.kind) {
            case platform::PathKind::symbolicLink: return "is a symbolic link; not written through";
            case platform::PathKind::folder: return "is a folder, not a file";
            case platform::PathKind::other: return "is not a regular file (a FIFO, device or socket); not written";
            case platform::PathKind::regularFile:
                if (inputs.contains(info.identity)) return "is both an input and the output";
                break;
            case platform::PathKind::missing: break;
        }
    }
    return openError != 0 ? std::strerror(openError) : "cannot be opened for writing";
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
