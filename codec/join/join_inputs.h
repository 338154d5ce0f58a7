// The inputs of a join: files and memory blocks, each seen as one block of bytes. A file is
// read whole when asked for and released when another file is, so at most one file is held.
#pragma once

#include "kodra32.h"
#include "platform/platform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kodra {

class JoinInputs {
public:
    JoinInputs(const KodraInput* inputs, int count);

    int count() const noexcept { return static_cast<int>(inputs_.size()); }
    // The file path of input index, or null for a memory block.
    const char* path(int index) const noexcept { return inputs_[static_cast<std::size_t>(index)].path; }
    // The bytes of input index; nothing when it cannot be read. Valid until the next call.
    std::optional<std::string_view> bytes(int index) noexcept;
    // The identities of the file inputs read so far: never opened as outputs.
    platform::ProtectedFiles protectedFiles() const noexcept {
        return platform::ProtectedFiles{identities_.data(), identities_.size()};
    }

private:
    std::vector<KodraInput> inputs_;
    std::vector<platform::FileIdentity> identities_;
    std::string held_;
    int heldIndex_ = -1;
};

// True when every input names a file or a memory block (data may be null only when empty).
bool inputsWellFormed(const KodraInput* inputs, int count) noexcept;

}  // namespace kodra
