#include "written_files.h"

#include <algorithm>
#include <set>
#include <utility>

#include <dirent.h>
#include <sys/stat.h>

namespace kodra::cli {
namespace {

// The regular files directly in folder.
std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> files;
    DIR* directory = opendir(folder.empty() ? "." : folder.c_str());
    if (!directory) return files;
    while (const dirent* entry = readdir(directory)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat status {};
        const std::string path = folder + name;
        if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) files.push_back(path);
    }
    closedir(directory);
    return files;
}

}  // namespace

bool WrittenFiles::State::operator==(const State& other) const {
    return exists == other.exists && size == other.size && modifiedSeconds == other.modifiedSeconds &&
           modifiedNanoseconds == other.modifiedNanoseconds && inode == other.inode;
}

WrittenFiles::State WrittenFiles::stateOf(const std::string& path) {
    State state;
    struct stat status {};
    if (stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return state;
    state.exists = true;
    state.size = status.st_size;
    state.modifiedSeconds = status.st_mtim.tv_sec;
    state.modifiedNanoseconds = status.st_mtim.tv_nsec;
    state.inode = status.st_ino;
    return state;
}

void WrittenFiles::watchFolder(const std::string& folder) {
    if (std::find(folders_.begin(), folders_.end(), folder) != folders_.end()) return;
    folders_.push_back(folder);
    for (const std::string& path : filesIn(folder)) before_.emplace(path, stateOf(path));
}

void WrittenFiles::watchPath(const std::string& path) { before_.emplace(path, stateOf(path)); }

std::vector<std::string> WrittenFiles::changed() const {
    std::set<std::string> candidates;
    for (const auto& entry : before_) candidates.insert(entry.first);
    for (const std::string& folder : folders_)
        for (const std::string& path : filesIn(folder)) candidates.insert(path);

    std::vector<std::pair<State, std::string>> written;
    for (const std::string& path : candidates) {
        const State now = stateOf(path);
        if (!now.exists) continue;
        const auto noted = before_.find(path);
        if (noted == before_.end() || !(noted->second == now)) written.emplace_back(now, path);
    }
    std::stable_sort(written.begin(), written.end(), [](const auto& a, const auto& b) {
        if (a.first.modifiedSeconds != b.first.modifiedSeconds)
            return a.first.modifiedSeconds < b.first.modifiedSeconds;
        return a.first.modifiedNanoseconds < b.first.modifiedNanoseconds;
    });
    std::vector<std::string> paths;
    for (const auto& entry : written) paths.push_back(entry.second);
    return paths;
}

}  // namespace kodra::cli
