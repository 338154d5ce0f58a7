// The engine's sink callbacks turned into a join output's calls.
#include "join/engine_relay.h"

#include "decode/decoder.h"

namespace kodra {
namespace {

struct Relay {
    JoinOutput& output;
    long long offsetBase;
    bool complete;
    RelayResult result;
};

int KODRA_CALL relayBegin(void* context, const KodraPart* part) {
    Relay& relay = *static_cast<Relay*>(context);
    ++relay.result.parts;
    return relay.output.begin(std::string(part->name, part->nameSize), part->encoding, part->offset + relay.offsetBase)
               ? 1
               : 0;
}

int KODRA_CALL relayData(void* context, const void* bytes, size_t size) {
    return static_cast<Relay*>(context)->output.write(bytes, size) ? 1 : 0;
}

void KODRA_CALL relayEnd(void* context, const KodraPart*, int status) {
    Relay& relay = *static_cast<Relay*>(context);
    if (relay.output.end(relay.complete && status == KODRA_PART_DECODED)) ++relay.result.finished;
    if (relay.result.firstPath.empty()) relay.result.firstPath = relay.output.writtenPath();
}

}  // namespace

RelayResult relayDecode(const platform::UserInterface& ui, std::string_view text, long long offsetBase,
                        JoinOutput& output, bool complete) noexcept {
    Relay relay{output, offsetBase, complete, {}};
    const KodraSink sink{&relay, relayBegin, relayData, relayEnd};
    DecodeInput input;
    input.data = text.data();
    input.size = text.size();
    input.inMemory = true;
    input.yenc = true;
    DecodeTarget target;
    target.kind = Destination::sink;
    target.sink = &sink;
    runDecode(ui, std::move(input), target);
    return relay.result;
}

}  // namespace kodra
