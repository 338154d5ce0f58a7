#include "encode/application_name.h"

#include "frame/context.h"

#include <cstring>
#include <memory>
#include <new>

namespace kodra {

const char* setApplicationName(const char* name) noexcept {
    std::unique_ptr<char[]>& current = defaultContext().applicationName;
    if (!name) {
        current.reset();
        return nullptr;
    }
    const std::size_t size = std::strlen(name) + 1;
    std::unique_ptr<char[]> copy(new (std::nothrow) char[size]);
    if (!copy) return nullptr;
    std::memcpy(copy.get(), name, size);
    current = std::move(copy);
    return current.get();
}

const char* applicationNameText() noexcept {
    const char* name = defaultContext().applicationName.get();
    return name ? name : kUnnamedApplication;
}

}  // namespace kodra
