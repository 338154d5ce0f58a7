// Which files a library call wrote: the library reports only the type of the last
// section, so the command compares the output folders before and after.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kodra::cli {

class WrittenFiles {
public:
    // Notes the state of every regular file in folder (a path ending in "/").
    void watchFolder(const std::string& folder);
    // Notes the state of one path that may be written, wherever it lies.
    void watchPath(const std::string& path);

    // The watched files that are new or changed since they were noted, in the order
    // they were written.
    std::vector<std::string> changed() const;

private:
    struct State {
        bool exists = false;
        std::uint64_t size = 0;
        platform::Ticks modified = 0;
        platform::FileIdentity identity{};
        bool operator==(const State& other) const;
    };
    static State stateOf(const std::string& path);

    std::vector<std::string> folders_;
    std::map<std::string, State> before_;
};

}  // namespace kodra::cli
