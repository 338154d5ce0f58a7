// A KodraSink for tests that records every part it is offered, checks that the callbacks
// come in order (begin, data..., end; never data outside a part), and can decline or stop
// chosen parts.
#pragma once

#include "kodra32.h"

#include <ostream>
#include <set>
#include <string>
#include <vector>

namespace kodra::testing {

struct RecordedPart {
    int index = -1;
    int encoding = 0;
    std::string name;      // the bytes of KodraPart::name
    std::string nameUtf8;
    long long offset = -1;
    std::string data;
    int dataCalls = 0;
    int status = -1;  // -1: end never called
    bool operator==(const RecordedPart& other) const {
        return index == other.index && encoding == other.encoding && name == other.name &&
               nameUtf8 == other.nameUtf8 && offset == other.offset && data == other.data &&
               status == other.status;
    }
};

inline std::ostream& operator<<(std::ostream& out, const RecordedPart& part) {
    return out << "{#" << part.index << " encoding " << part.encoding << " \"" << part.name << "\" at "
               << part.offset << ", " << part.data.size() << " bytes, status " << part.status << "}";
}

class RecordingSink {
public:
    std::set<int> decline;  // begin answers 0 for these part indexes
    std::set<int> stop;     // data answers 0 for these part indexes (at the first call)

    std::vector<RecordedPart> parts;
    std::vector<std::string> errors;  // callbacks out of order

    KodraSink sink() { return KodraSink{this, &begin, &data, &end}; }
    int decodedCount() const {
        int count = 0;
        for (const RecordedPart& part : parts) count += part.status == KODRA_PART_DECODED;
        return count;
    }

private:
    static int KODRA_CALL begin(void* context, const KodraPart* part) {
        auto* self = static_cast<RecordingSink*>(context);
        if (self->open_) self->errors.push_back("begin of part " + std::to_string(part->index) + " before end");
        RecordedPart recorded;
        recorded.index = part->index;
        recorded.encoding = part->encoding;
        recorded.name.assign(part->name, part->nameSize);
        recorded.nameUtf8 = part->nameUtf8;
        recorded.offset = part->offset;
        if (part->index != static_cast<int>(self->parts.size()))
            self->errors.push_back("part index " + std::to_string(part->index) + ", want " +
                                   std::to_string(self->parts.size()));
        self->parts.push_back(recorded);
        self->open_ = true;
        self->stopped_ = false;
        return self->decline.count(part->index) ? 0 : 1;
    }
    static int KODRA_CALL data(void* context, const void* bytes, size_t size) {
        auto* self = static_cast<RecordingSink*>(context);
        if (!self->open_ || self->parts.empty()) {
            self->errors.push_back("data outside a part");
            return 0;
        }
        if (size == 0) self->errors.push_back("data call of 0 bytes");
        if (self->stopped_) self->errors.push_back("data after the sink stopped the part");
        RecordedPart& part = self->parts.back();
        if (self->decline.count(part.index)) self->errors.push_back("data of a declined part");
        part.data.append(static_cast<const char*>(bytes), size);
        ++part.dataCalls;
        if (self->stop.count(part.index)) {
            self->stopped_ = true;
            return 0;
        }
        return 1;
    }
    static void KODRA_CALL end(void* context, const KodraPart* part, int status) {
        auto* self = static_cast<RecordingSink*>(context);
        if (!self->open_ || self->parts.empty()) {
            self->errors.push_back("end outside a part");
            return;
        }
        RecordedPart& recorded = self->parts.back();
        if (part->index != recorded.index || std::string(part->name, part->nameSize) != recorded.name ||
            part->encoding != recorded.encoding || part->offset != recorded.offset)
            self->errors.push_back("end of part " + std::to_string(part->index) + " describes it unlike begin");
        recorded.status = status;
        self->open_ = false;
    }

    bool open_ = false;
    bool stopped_ = false;
};

}  // namespace kodra::testing
