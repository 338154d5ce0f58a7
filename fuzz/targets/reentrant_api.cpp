// The sink and listing exports on arbitrary bytes: callbacks come in order with valid parts
// and statuses, the result counts the decoded parts, a listing reports exactly the parts a
// decode begins, and declining or stopping parts changes nothing about the others.
#include "fuzz_support.h"
#include "sink_recorder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodra::fuzz;
    KodraContext* context = KodraOpenContext();
    check(context != nullptr, "KodraOpenContext failed");

    SinkRecorder all(size);
    const KodraSink allSink = all.sink();
    const int decoded = KodraDecodeMemoryToSink(context, data, size, &allSink);
    all.checkFinished(decoded);

    SinkRecorder listed(size, 0, 0, true);
    const KodraSink listSink = listed.sink();
    const int count = KodraListMemoryParts(context, data, size, &listSink);
    listed.checkFinished(count);
    check(listed.parts.size() == all.parts.size(), "the listing and the decode found different numbers of parts",
          std::to_string(listed.parts.size()) + " vs " + std::to_string(all.parts.size()));
    for (std::size_t i = 0; i < all.parts.size(); ++i) {
        SeenPart want = all.parts[i];
        want.data.clear();
        want.status = -1;
        check(listed.parts[i] == want, "the listing reported a part unlike the decode's", std::to_string(i));
    }

    // Declining every second part and stopping every third: the parts left alone come out
    // as before.
    SinkRecorder picky(size, 2, 3);
    const KodraSink pickySink = picky.sink();
    picky.checkFinished(KodraDecodeMemoryToSink(context, data, size, &pickySink));
    check(picky.parts.size() == all.parts.size(), "declining or stopping parts changed the parts found");
    for (std::size_t i = 0; i < all.parts.size(); ++i) {
        if (i % 2 == 0 || i % 3 == 0) {
            check(all.parts[i].data.compare(0, picky.parts[i].data.size(), picky.parts[i].data) == 0,
                  "a stopped part's bytes are not a prefix of the part", std::to_string(i));
            continue;
        }
        check(picky.parts[i] == all.parts[i], "a part left alone changed", std::to_string(i));
    }

    KodraCloseContext(context);
    return 0;
}
