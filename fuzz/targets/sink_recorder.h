// A sink for the fuzz targets that records the parts it is offered and fails the run the
// moment a callback comes out of order: begin and end pair up, data only inside a part that
// begin took and the sink has not stopped, statuses and encodings from the documented sets.
#pragma once

#include "fuzz_support.h"

#include <string>
#include <vector>

namespace kodra::fuzz {

struct SeenPart {
    int index = -1;
    int encoding = 0;
    std::string name, nameUtf8;
    long long offset = -1;
    std::string data;
    int status = -1;
    bool operator==(const SeenPart& o) const {
        return index == o.index && encoding == o.encoding && name == o.name && nameUtf8 == o.nameUtf8 &&
               offset == o.offset && data == o.data && status == o.status;
    }
};

class SinkRecorder {
public:
    // inputSize bounds offsets and data; stopEvery > 0 makes data answer 0 for every part
    // whose index is a multiple of it, declineEvery the same for begin.
    SinkRecorder(std::size_t inputSize, int declineEvery = 0, int stopEvery = 0, bool listing = false)
        : inputSize_(inputSize), declineEvery_(declineEvery), stopEvery_(stopEvery), listing_(listing) {}

    std::vector<SeenPart> parts;

    KodraSink sink() { return KodraSink{this, &begin, &data, &end}; }

    // Fails unless the last part has ended (a decode is over) and the statuses add up.
    void checkFinished(int result) const {
        check(!open_, "a part began and never ended");
        int decoded = 0;
        for (const SeenPart& part : parts) {
            if (listing_) {
                check(part.status == -1, "a listing called end");
                continue;
            }
            decoded += part.status == KODRA_PART_DECODED;
            if (declines(part.index)) check(part.status == KODRA_PART_SKIPPED, "a declined part did not end skipped");
            if (part.status == KODRA_PART_SKIPPED) check(part.data.empty(), "a skipped part had data");
            if (stops(part.index) && !part.data.empty())
                check(part.status == KODRA_PART_FAILED, "a stopped part did not end failed");
        }
        check(result == (listing_ ? static_cast<int>(parts.size()) : decoded),
              "the result is not the count of decoded (listed) parts:",
              std::to_string(result) + " vs " + std::to_string(listing_ ? static_cast<int>(parts.size()) : decoded));
    }

private:
    bool declines(int index) const { return declineEvery_ > 0 && index % declineEvery_ == 0; }
    bool stops(int index) const { return stopEvery_ > 0 && index % stopEvery_ == 0; }

    static int KODRA_CALL begin(void* context, const KodraPart* part) {
        auto* self = static_cast<SinkRecorder*>(context);
        check(part != nullptr, "begin without a part");
        check(!self->open_, "begin before the last part's end");
        check(part->index == static_cast<int>(self->parts.size()), "part indexes out of order");
        check(part->encoding >= KODRA_ENCODING_UU && part->encoding <= KODRA_ENCODING_YENC,
              "part encoding out of range:", std::to_string(part->encoding));
        check(part->name != nullptr && part->nameUtf8 != nullptr, "part without a name");
        check(part->offset >= 0 && static_cast<unsigned long long>(part->offset) < self->inputSize_ + 1,
              "part offset outside the input");
        check(self->parts.empty() || part->offset >= self->parts.back().offset, "part offsets go back");
        SeenPart seen;
        seen.index = part->index;
        seen.encoding = part->encoding;
        seen.name.assign(part->name, part->nameSize);
        seen.nameUtf8 = part->nameUtf8;
        seen.offset = part->offset;
        self->parts.push_back(std::move(seen));
        self->open_ = !self->listing_;
        self->stopped_ = false;
        return self->declines(part->index) ? 0 : 1;
    }

    static int KODRA_CALL data(void* context, const void* bytes, size_t size) {
        auto* self = static_cast<SinkRecorder*>(context);
        check(!self->listing_, "a listing delivered data");
        check(self->open_, "data outside a part");
        check(size > 0 && bytes != nullptr, "an empty data call");
        SeenPart& part = self->parts.back();
        check(!self->declines(part.index), "data of a declined part");
        check(!self->stopped_, "data after the sink stopped the part");
        part.data.append(static_cast<const char*>(bytes), size);
        // Decoding shrinks the input, except that text lines end in CR LF whatever their
        // own line end was: at most two bytes out per byte in.
        check(part.data.size() <= 2 * self->inputSize_ + 2, "a part decoded to more bytes than the input allows");
        if (self->stops(part.index)) {
            self->stopped_ = true;
            return 0;
        }
        return 1;
    }

    static void KODRA_CALL end(void* context, const KodraPart* part, int status) {
        auto* self = static_cast<SinkRecorder*>(context);
        check(!self->listing_, "a listing called end");
        check(self->open_, "end outside a part");
        SeenPart& seen = self->parts.back();
        check(part != nullptr && part->index == seen.index && part->encoding == seen.encoding &&
                  std::string(part->name, part->nameSize) == seen.name && part->offset == seen.offset,
              "end describes another part than begin");
        check(status == KODRA_PART_DECODED || status == KODRA_PART_FAILED || status == KODRA_PART_SKIPPED,
              "part status out of range:", std::to_string(status));
        seen.status = status;
        self->open_ = false;
    }

    std::size_t inputSize_;
    int declineEvery_, stopEvery_;
    bool listing_;
    bool open_ = false;
    bool stopped_ = false;
};

}  // namespace kodra::fuzz
