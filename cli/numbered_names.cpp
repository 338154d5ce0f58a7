#include "numbered_names.h"

#include "file_checks.h"

namespace kodra::cli {

std::string nextNumberedName(const std::string& path) {
    const std::size_t nameStart = path.size() - lastComponent(path).size();
    std::size_t extensionStart = path.rfind('.');
    if (extensionStart == std::string::npos || extensionStart < nameStart) extensionStart = path.size();
    const std::string extension = path.substr(extensionStart, 20);
    std::size_t numberStart = extensionStart;
    while (numberStart > nameStart && path[numberStart - 1] >= '0' && path[numberStart - 1] <= '9')
        --numberStart;
    unsigned long long number = 0;
    for (std::size_t i = numberStart; i < extensionStart; ++i)
        number = number * 10 + static_cast<unsigned long long>(path[i] - '0');
    return path.substr(0, numberStart) + std::to_string(number + 1) + extension;
}

}  // namespace kodra::cli
