// Inputs of a join read through the platform's input service.
#include "join/join_inputs.h"

#include "frame/stdio_file.h"

#include <algorithm>

namespace kodra {

JoinInputs::JoinInputs(const KodraInput* inputs, int count) : inputs_(inputs, inputs + count) {}

std::optional<std::string_view> JoinInputs::bytes(int index) noexcept {
    const KodraInput& input = inputs_[static_cast<std::size_t>(index)];
    if (!input.path) return std::string_view(static_cast<const char*>(input.data), input.data ? input.size : 0);
    if (heldIndex_ == index) return std::string_view(held_);
    heldIndex_ = -1;
    held_.clear();
    try {
        platform::FileIdentity identity{};
        StdioFile file(platform::openInputFile(input.path, &identity));
        if (!file) return std::nullopt;
        if (std::find(identities_.begin(), identities_.end(), identity) == identities_.end())
            identities_.push_back(identity);
        held_.reserve(static_cast<std::size_t>(platform::sizeOfOpenFile(file.get())));
        char block[65536];
        for (;;) {
            const std::size_t got = std::fread(block, 1, sizeof block, file.get());
            held_.append(block, got);
            if (got < sizeof block) break;
        }
        if (std::ferror(file.get())) return std::nullopt;
        heldIndex_ = index;
        return std::string_view(held_);
    } catch (...) {
        held_.clear();
        return std::nullopt;
    }
}

bool inputsWellFormed(const KodraInput* inputs, int count) noexcept {
    if (!inputs || count <= 0) return false;
    for (int i = 0; i < count; ++i)
        if (!inputs[i].path && !inputs[i].data && inputs[i].size > 0) return false;
    return true;
}

}  // namespace kodra
