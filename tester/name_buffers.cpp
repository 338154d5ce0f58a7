#include "name_buffers.h"

#include <algorithm>
#include <cstring>

namespace merido {

std::vector<char> pathBuffer(const QByteArray &path) {
    const std::size_t length = static_cast<std::size_t>(path.size());
    std::vector<char> buffer(std::max(kLibraryPathBufferSize, length + 1), '\0');
    std::memcpy(buffer.data(), path.constData(), length);
    return buffer;
}

}  // namespace merido
