#include "output_names.h"

#include <set>

#include "file_checks.h"
#include "numbered_names.h"
#include "platform/platform.h"

namespace kodra::cli {
namespace {

// Room for a numbered name with the longest extension the numbering keeps (20).
constexpr std::size_t kShortestName = 40;
// Longest file name most file systems take.
constexpr std::size_t kLongestName = 255;

// Cuts name from its front so that folder + name fits the path limit.
std::string fitted(const std::string& folder, const std::string& name) {
    const std::size_t room = kMaxPathLength - folder.size();
    return name.size() <= room ? name : name.substr(name.size() - room);
}

}  // namespace

std::string safeOutputName(const std::string& name) {
    std::string safe = lastComponent(name);
    for (char& c : safe)
        if (c == ';' || static_cast<unsigned char>(c) < 32 || c == 127) c = '_';
    // The end keeps the extension.
    if (safe.size() > kLongestName) safe.erase(0, safe.size() - kLongestName);
    if (safe.empty() || safe == "." || safe == "..") safe = "NONAME.DAT";
    return safe;
}

std::vector<std::string> folderPaths(const std::string& folder, const std::vector<std::string>& names) {
    if (folder.size() + kShortestName > kMaxPathLength) return {};
    std::set<std::string> taken;
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        std::string path = folder + fitted(folder, safeOutputName(name));
        while (taken.count(path) || platform::pathExists(path.c_str())) {
            path = nextNumberedName(path);
            if (path.size() > kMaxPathLength) path = folder + fitted(folder, path.substr(folder.size()));
        }
        taken.insert(path);
        paths.push_back(path);
    }
    return paths;
}

}  // namespace kodra::cli
