#include "written_files.h"

#include <algorithm>
#include <set>
#include <utility>

namespace kodra::cli {
namespace {

void addEntry(void* context, const char* name) {
    static_cast<std::vector<std::string>*>(context)->emplace_back(name);
}

// The paths of the entries directly in folder (a path ending in "/", or empty for the
// current folder).
std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    platform::listFolder(folder.empty() ? "." : folder.c_str(), &addEntry, &names);
    for (std::string& name : names) name.insert(0, folder);
    return names;
}

}  // namespace

bool WrittenFiles::State::operator==(const State& other) const {
    return exists == other.exists && size == other.size && modified == other.modified &&
           identity == other.identity;
}

WrittenFiles::State WrittenFiles::stateOf(const std::string& path) {
    State state;
    platform::PathInfo info;
    // Only regular files count: the library never writes through a link.
    if (!platform::inspectPath(path.c_str(), info) || info.kind != platform::PathKind::regularFile)
        return state;
    if (!platform::lastModified(path.c_str(), state.modified)) return state;
    state.exists = true;
    state.size = info.size;
    state.identity = info.identity;
    return state;
}

void WrittenFiles::watchFolder(const std::string& folder) {
    if (std::find(folders_.begin(), folders_.end(), folder) != folders_.end()) return;
    folders_.push_back(folder);
    for (const std::string& path : entriesOf(folder)) before_.emplace(path, stateOf(path));
}

void WrittenFiles::watchPath(const std::string& path) { before_.emplace(path, stateOf(path)); }

std::vector<std::string> WrittenFiles::changed() const {
    std::set<std::string> candidates;
    for (const auto& entry : before_) candidates.insert(entry.first);
    for (const std::string& folder : folders_)
        for (const std::string& path : entriesOf(folder)) candidates.insert(path);

    std::vector<std::pair<State, std::string>> written;
    for (const std::string& path : candidates) {
        const State now = stateOf(path);
        if (!now.exists) continue;
        const auto noted = before_.find(path);
        if (noted == before_.end() || !(noted->second == now)) written.emplace_back(now, path);
    }
    std::stable_sort(written.begin(), written.end(),
                     [](const auto& a, const auto& b) { return a.first.modified < b.first.modified; });
    std::vector<std::string> paths;
    for (const auto& entry : written) paths.push_back(entry.second);
    return paths;
}

}  // namespace kodra::cli
