// yEnc postings, written part by part: only one part's input is held at a time. A gap left
// by a missing part is filled with zero bytes so that later parts stay at their offsets.
// The ranges are the input's word: the zeros in all stay within kMaxZerosPerDataByte times
// the data present, and past that the kept file ends at the gap (a hostile "=ypart begin="
// could otherwise ask for petabytes).
#include "join/posting_assembly.h"

#include "yenc/crc32.h"
#include "yenc/yenc_data.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace kodra {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr long long kMaxZerosPerDataByte = 8;

// The encoded bytes of the parts found: an upper bound on the data they decode to.
long long dataPresent(const PostingGroup& posting) noexcept {
    long long bytes = 0;
    for (const Piece* part : posting.parts) bytes += static_cast<long long>(part->dataEnd - part->dataBegin);
    return bytes;
}

std::string hex(std::uint32_t value) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    return text;
}

}  // namespace

AssemblyResult assembleYenc(JoinInputs& inputs, PostingGroup& posting, JoinOutput& output) noexcept {
    AssemblyResult result;
    try {
        const Piece& first = *posting.parts.front();
        if (!output.begin(posting.name, KODRA_ENCODING_YENC, static_cast<long long>(first.begin))) {
            failPosting(posting, "it could not be written");
            output.end(false);
            return result;
        }
        std::vector<unsigned char> decoded(kChunk);
        std::uint32_t crc = 0;
        long long written = 0;
        std::optional<std::uint32_t> wholeCrc;
        long long zerosLeft = dataPresent(posting) * kMaxZerosPerDataByte;
        for (const Piece* part : posting.parts) {
            if (part->crc32 && wholeCrc && *wholeCrc != *part->crc32)
                failPosting(posting, "part " + std::to_string(part->number) + " gives another crc32 for the file");
            if (part->crc32) wholeCrc = part->crc32;
            // Zero bytes up to where this part begins, for a part that is missing before it.
            if (posting.status != PostingStatus::complete && part->rangeBegin > written + 1) {
                if (part->rangeBegin - 1 - written > zerosLeft) {
                    posting.reason += "; the kept file ends before part " + std::to_string(part->number) +
                                      ", whose range begins too far on to fill the gap";
                    break;
                }
                zerosLeft -= part->rangeBegin - 1 - written;
                std::fill(decoded.begin(), decoded.end(), 0);
                while (written + 1 < part->rangeBegin) {
                    const std::size_t step = static_cast<std::size_t>(std::min<long long>(kChunk, part->rangeBegin - 1 - written));
                    output.write(decoded.data(), step);
                    written += static_cast<long long>(step);
                }
            }
            const std::optional<std::string_view> text = inputs.bytes(part->input);
            if (!text) {
                failPosting(posting, "the input of part " + std::to_string(part->number) + " cannot be read");
                break;
            }
            YencDecodeState state;
            std::uint32_t partCrc = 0;
            long long partBytes = 0;
            for (std::size_t at = part->dataBegin; at < part->dataEnd; at += kChunk) {
                const std::size_t size = std::min(kChunk, part->dataEnd - at);
                const std::size_t got = yencDecode(state, text->data() + at, size, decoded.data());
                partCrc = crc32Update(partCrc, decoded.data(), got);
                partBytes += static_cast<long long>(got);
                if (!output.write(decoded.data(), got)) break;
            }
            written += partBytes;
            crc = crc32Combine(crc, partCrc, static_cast<std::uint64_t>(partBytes));
            const std::string which = "part " + std::to_string(part->number);
            if (!part->ended) failPosting(posting, which + " has no =yend line");
            if (part->rangeBegin > 0 && partBytes != part->rangeEnd - part->rangeBegin + 1)
                failPosting(posting, which + " holds " + std::to_string(partBytes) + " bytes, its range " +
                                         std::to_string(part->rangeEnd - part->rangeBegin + 1));
            if (part->partSize >= 0 && partBytes != part->partSize)
                failPosting(posting, which + " holds " + std::to_string(partBytes) + " bytes, its =yend says " +
                                         std::to_string(part->partSize));
            if (part->pcrc32 && *part->pcrc32 != partCrc)
                failPosting(posting, which + " fails its pcrc32 (" + hex(partCrc) + ", want " + hex(*part->pcrc32) + ")");
        }
        if (posting.status == PostingStatus::complete) {
            if (posting.size >= 0 && written != posting.size)
                failPosting(posting, "the file holds " + std::to_string(written) + " bytes, want " +
                                         std::to_string(posting.size));
            else if (wholeCrc && *wholeCrc != crc)
                failPosting(posting, "the file fails its crc32 (" + hex(crc) + ", want " + hex(*wholeCrc) + ")");
        }
        const bool complete = posting.status == PostingStatus::complete;
        result.finished = output.end(complete);
        result.path = output.writtenPath();
        result.parts = 1;
        if (complete && !result.finished) failPosting(posting, "it could not be written");
    } catch (...) {
        output.end(false);
        posting.status = PostingStatus::failed;
    }
    return result;
}

}  // namespace kodra
