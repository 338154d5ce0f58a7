#include "decode/yenc_section_reader.h"

#include "decode/boundary_list.h"
#include "decode/part_output.h"
#include "yenc/crc32.h"
#include "yenc/yenc_data.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

// Characters decoded per step: the output's chunk, so that reserving never grows it.
constexpr std::size_t kStep = 256 * 1024;

// A line that may be no data: a control line or a boundary.
bool mayBeNoData(const char* at, std::size_t left) noexcept {
    return left >= 2 && ((at[0] == '=' && at[1] == 'y') || (at[0] == '-' && at[1] == '-'));
}

// The length of the leading whole LF-ended lines of ahead, at most about `limit` bytes,
// that are plainly data: none begins "=y" or "--", not even after a CR inside it (a line
// start where lone CRs end lines).
std::size_t plainDataLines(std::string_view ahead, std::size_t limit) noexcept {
    const char* const begin = ahead.data();
    const char* const end = begin + ahead.size();
    const char* at = begin;
    while (static_cast<std::size_t>(at - begin) < limit) {
        const auto left = static_cast<std::size_t>(end - at);
        if (left == 0 || mayBeNoData(at, left)) break;
        const auto* lf = static_cast<const char*>(std::memchr(at, '\n', left));
        if (!lf) break;
        bool plain = true;
        for (const char* cr = at; plain;) {
            cr = static_cast<const char*>(std::memchr(cr, '\r', static_cast<std::size_t>(lf - cr)));
            if (!cr) break;
            ++cr;
            plain = !mayBeNoData(cr, static_cast<std::size_t>(end - cr));
        }
        if (!plain) break;
        at = lf + 1;
    }
    return static_cast<std::size_t>(at - begin);
}

class SectionDecoder {
public:
    SectionDecoder(PartOutput& output, YencSectionRead& read) noexcept : output_(output), read_(read) {}

    // Decodes size characters at text; false when the output had no room (memory).
    bool decode(const char* text, std::size_t size) noexcept {
        while (size > 0) {
            const std::size_t step = std::min(size, kStep);
            unsigned char* out = room(step);
            if (!out) return false;
            const std::size_t bytes = yencDecode(state_, text, step, out);
            read_.crc = crc32Update(read_.crc, out, bytes);
            read_.decoded += bytes;
            if (output_.isOpen()) output_.commit(bytes);
            text += step, size -= step;
        }
        return true;
    }

private:
    unsigned char* room(std::size_t size) noexcept {
        if (output_.isOpen()) return output_.reserve(size);
        if (!scratch_) scratch_.reset(new (std::nothrow) unsigned char[kStep]);
        return scratch_.get();
    }

    PartOutput& output_;
    YencSectionRead& read_;
    YencDecodeState state_;
    std::unique_ptr<unsigned char[]> scratch_;  // for a part that is not written
};

}  // namespace

YencVerdict judgeYencSection(const YencLine& begin, const YencSectionRead& read) noexcept {
    if (!read.end) return YencVerdict::noEnd;
    const YencLine& end = *read.end;
    const auto decoded = static_cast<long long>(read.decoded);
    if (end.size && *end.size != decoded) return YencVerdict::sizeMismatch;
    if (begin.part && end.part && *begin.part != *end.part) return YencVerdict::sizeMismatch;
    if (read.part) {
        const YencLine& part = *read.part;
        if (part.begin && part.end && *part.end >= *part.begin && *part.end - *part.begin + 1 != decoded)
            return YencVerdict::sizeMismatch;
    } else if (begin.size && *begin.size != decoded) {
        return YencVerdict::sizeMismatch;
    }
    if (end.pcrc32 && *end.pcrc32 != read.crc) return YencVerdict::crcMismatch;
    // One part of several, or a part that covers less than the whole file.
    const bool wholeRange = !read.part || (read.part->begin == 1 && read.part->end && begin.size &&
                                           *read.part->end == *begin.size);
    if ((begin.total && *begin.total > 1) || (begin.part && *begin.part > 1) || !wholeRange)
        return YencVerdict::fragment;
    if (end.crc32 && *end.crc32 != read.crc) return YencVerdict::crcMismatch;
    return YencVerdict::complete;
}

YencSectionRead readYencSection(LineSource& source, const BoundaryList& boundaries, const YencLine& begin,
                                PartOutput& output, const std::function<void()>& progress) {
    YencSectionRead read;
    SourceLine line;
    if (begin.part && source.next(line)) {
        std::optional<YencLine> part = parseYencLine(line.text);
        if (part && part->kind == YencLineKind::part) read.part = std::move(part);
        else source.unread();
    }
    SectionDecoder decoder(output, read);
    bool atLineStart = true;
    for (;;) {
        if (atLineStart) {
            const std::string_view ahead = source.buffered();
            const std::size_t plain = plainDataLines(ahead, kStep);
            if (plain > 0) {
                if (!decoder.decode(ahead.data(), plain)) break;
                source.skip(plain);
                progress();
                continue;
            }
        }
        if (!source.next(line)) break;
        const std::string_view text = line.text;
        if (atLineStart && mayBeNoData(text.data(), text.size())) {
            if (text[0] == '=') {
                std::optional<YencLine> control = parseYencLine(text);
                if (control && control->kind == YencLineKind::end) {
                    read.end = std::move(control);
                    break;
                }
                if (control && control->kind == YencLineKind::begin) {
                    source.unread();
                    break;
                }
                if (control) continue;  // a stray "=ypart": no data
            } else if (boundaries.matches(text)) {
                source.unread();
                break;
            }
        }
        if (!decoder.decode(text.data(), text.size())) break;
        atLineStart = !line.continues;
        progress();
    }
    return read;
}

}  // namespace kodra
