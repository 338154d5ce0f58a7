// Listing Maildirs and folder trees: a folder or file that cannot be read becomes a unit
// with its error, so that one bad entry does not end the run.
#include "archive/folder_units.h"
#include "frame/stdio_file.h"
#include "platform/platform.h"

#include <algorithm>

namespace kodra {
namespace {

// Deep enough for any real archive; deeper trees are reported rather than walked.
constexpr int kMaxDepth = 128;

void addName(void* context, const char* name) {
    try {
        static_cast<std::vector<std::string>*>(context)->emplace_back(name);
    } catch (...) {
        // A name that cannot be kept is left out; the listing stays usable.
    }
}

// The visible entry names of folder in byte order; false when it cannot be read.
bool sortedNames(const std::string& folder, std::vector<std::string>& names) {
    names.clear();
    if (!platform::listFolder(folder.c_str(), addName, &names)) return false;
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& name) { return name.empty() || name[0] == '.'; }),
                names.end());
    std::sort(names.begin(), names.end());  // std::string compares as unsigned bytes
    return true;
}

class Lister {
public:
    Lister(std::size_t input, ArchiveKind kind, ArchiveListing& listing)
        : input_(input), kind_(kind), listing_(listing) {}

    // Adds the files of folder (relative name `file`); recurses into subfolders when asked.
    void list(const std::string& folder, const std::string& file, bool recurse, int depth) {
        std::vector<std::string> names;
        if (depth > kMaxDepth) {
            addError(folder, file, "folders nested too deep");
            return;
        }
        if (!sortedNames(folder, names)) {
            addError(folder, file, "cannot read the folder");
            return;
        }
        for (const std::string& name : names) {
            const std::string path = joinPath(folder, name);
            const std::string relative = file.empty() ? name : file + '/' + name;
            platform::PathInfo info;
            if (!platform::inspectPath(path.c_str(), info)) {
                addError(path, relative, "cannot inspect the entry");
                continue;
            }
            if (info.kind == platform::PathKind::folder) {
                if (recurse) list(path, relative, recurse, depth + 1);
            } else if (info.kind == platform::PathKind::regularFile) {
                addFile(path, relative, info.size);
            }
            // Links, devices, FIFOs and sockets are not messages; a link is never followed.
        }
    }

private:
    void addFile(const std::string& path, const std::string& file, std::uint64_t size) {
        ArchiveUnit unit = makeUnit(path, file);
        unit.size = static_cast<long long>(size);
        // Opened once here, so that an unreadable file is reported in the listing.
        const StdioFile opened(platform::openInputFile(path.c_str()));
        if (!opened) unit.error = "cannot open the file";
        else listing_.bytes += unit.size;
        listing_.units.push_back(std::move(unit));
    }

    void addError(const std::string& path, const std::string& file, const char* error) {
        ArchiveUnit unit = makeUnit(path, file);
        unit.error = error;
        listing_.units.push_back(std::move(unit));
    }

    ArchiveUnit makeUnit(const std::string& path, const std::string& file) const {
        ArchiveUnit unit;
        unit.input = input_;
        unit.kind = kind_;
        unit.path = path;
        unit.file = file;
        return unit;
    }

    std::size_t input_;
    ArchiveKind kind_;
    ArchiveListing& listing_;
};

}  // namespace

std::string joinPath(const std::string& path, const std::string& name) {
    if (path.empty()) return name;
    const char* separator = platform::lastPathSeparator(path.c_str());
    if (separator && separator == path.c_str() + path.size() - 1) return path + name;
    return path + '/' + name;
}

void listMaildirUnits(const std::string& path, std::size_t input, ArchiveListing& listing) {
    Lister lister(input, ArchiveKind::maildir, listing);
    for (const char* part : {"cur", "new"}) {
        const std::string folder = joinPath(path, part);
        platform::PathInfo info;
        // A Maildir may lack one of them; a link in their place is not followed.
        if (platform::inspectPath(folder.c_str(), info) && info.kind != platform::PathKind::folder) continue;
        lister.list(folder, part, false, 0);
    }
}

void listFolderUnits(const std::string& path, std::size_t input, ArchiveListing& listing) {
    Lister(input, ArchiveKind::folder, listing).list(path, std::string(), true, 0);
}

}  // namespace kodra
