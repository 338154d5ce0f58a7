#include "prescan.h"

#include <kodra32.h>

namespace kodra::cli {

std::vector<std::string> prescanNames(const std::string& path) {
    std::vector<std::string> names;
    const int count = GetNumFilesToDecode(path.c_str());
    for (int index = 0; index < count; ++index) {
        char name[1025] = {};
        names.emplace_back(GetEncodedFile(name, index) == 1 ? name : "");
    }
    return names;
}

}  // namespace kodra::cli
