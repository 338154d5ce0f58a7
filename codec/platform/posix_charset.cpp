// Charset conversion through the C library's iconv.
#include "platform/platform.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kodra::platform {
namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
const auto kNoDescriptor = reinterpret_cast<iconv_t>(-1);

// A few open descriptors per thread: opening one loads and searches the gconv tables,
// which costs far more than a name's conversion. A descriptor is used only by its thread.
class DescriptorCache {
public:
    DescriptorCache() = default;
    DescriptorCache(const DescriptorCache&) = delete;
    DescriptorCache& operator=(const DescriptorCache&) = delete;
    ~DescriptorCache() {
        for (Entry& entry : entries_)
            if (entry.descriptor != kNoDescriptor) iconv_close(entry.descriptor);
    }

    // The descriptor from name to UTF-8, or kNoDescriptor when iconv does not know name.
    iconv_t get(const char* name) {
        for (Entry& entry : entries_)
            if (entry.used && entry.name == name) return entry.descriptor;
        Entry& slot = entries_[next_];
        next_ = (next_ + 1) % kSlots;
        if (slot.descriptor != kNoDescriptor) iconv_close(slot.descriptor);
        slot.descriptor = kNoDescriptor;
        slot.used = false;
        slot.name = name;
        slot.descriptor = iconv_open("UTF-8", name);
        slot.used = true;  // an unknown name is remembered too
        return slot.descriptor;
    }

private:
    static constexpr std::size_t kSlots = 8;
    struct Entry {
        std::string name;
        iconv_t descriptor = kNoDescriptor;
        bool used = false;
    };
    Entry entries_[kSlots];
    std::size_t next_ = 0;
};

DescriptorCache& threadCache() {
    thread_local DescriptorCache cache;
    return cache;
}

// Runs iconv over the rest of in, growing out as needed; returns iconv's last errno
// (0 when everything, the final shift back included, was written).
int convertRun(iconv_t descriptor, const char*& in, std::size_t& inLeft, std::string& out, bool flush) {
    for (;;) {
        const std::size_t used = out.size();
        out.resize(used + inLeft * 4 + 16);
        char* to = &out[used];
        std::size_t toLeft = out.size() - used;
        auto* from = const_cast<char*>(in);
        const std::size_t result = flush ? iconv(descriptor, nullptr, nullptr, &to, &toLeft)
                                         : iconv(descriptor, &from, &inLeft, &to, &toLeft);
        const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
        in = from;
        out.resize(out.size() - toLeft);
        if (error != E2BIG) return error;
    }
}

}  // namespace

bool convertToUtf8(const char* name, std::string_view bytes, std::string& out) {
    const iconv_t descriptor = threadCache().get(name);
    if (descriptor == kNoDescriptor) return false;
    iconv(descriptor, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    const std::size_t start = out.size();
    try {
        const char* in = bytes.data();
        std::size_t inLeft = bytes.size();
        while (inLeft > 0) {
            const int error = convertRun(descriptor, in, inLeft, out, false);
            if (error == 0) break;
            // An invalid sequence loses one byte to U+FFFD; an incomplete one at the end
            // (EINVAL) is one U+FFFD for all of it.
            out.append(kReplacement);
            if (error == EILSEQ) {
                ++in;
                --inLeft;
            } else {
                inLeft = 0;
            }
        }
        convertRun(descriptor, in, inLeft, out, true);
    } catch (...) {
        out.resize(start);
        throw;
    }
    return true;
}

}  // namespace kodra::platform
