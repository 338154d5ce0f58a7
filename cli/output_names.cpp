#include "output_names.h"

#include <set>

#include <sys/stat.h>

#include "file_checks.h"
#include "numbered_names.h"

namespace kodra::cli {
namespace {

constexpr int kSpareNames = 8;
// Room for a numbered name with the longest extension the numbering keeps (20).
constexpr std::size_t kShortestName = 40;

bool exists(const std::string& path) {
    struct stat status {};
    return lstat(path.c_str(), &status) == 0;
}

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
    if (safe.empty() || safe == "." || safe == "..") safe = "NONAME.DAT";
    return safe;
}

std::string folderNameList(const std::string& folder, const std::vector<std::string>& names) {
    if (folder.size() + kShortestName > kMaxPathLength) return {};
    std::vector<std::string> all;
    for (const std::string& name : names) all.push_back(safeOutputName(name));
    for (int i = 0; i < kSpareNames; ++i) all.emplace_back("NONAME.DAT");

    std::set<std::string> taken;
    std::string list;
    for (const std::string& name : all) {
        std::string path = folder + fitted(folder, name);
        while (taken.count(path) || exists(path)) {
            path = nextNumberedName(path);
            if (path.size() > kMaxPathLength) path = folder + fitted(folder, path.substr(folder.size()));
        }
        taken.insert(path);
        list += (list.empty() ? "" : ";") + path;
    }
    return list;
}

}  // namespace kodra::cli
