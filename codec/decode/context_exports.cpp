// The reentrant decoding exports: a context per caller, decodes of files and memory into
// folders, sinks and listings.
#include "decode/context_handle.h"
#include "decode/decode_file.h"
#include "decode/decoder.h"
#include "frame/context.h"
#include "join/join_job.h"
#include "kodra32.h"

#include <new>

namespace {

using kodra::Destination;

kodra::DecodeInput fileInput(const char* path) {
    kodra::DecodeInput input;
    input.path = path;
    input.yenc = true;
    return input;
}

kodra::DecodeInput memoryInput(const void* data, size_t size) {
    kodra::DecodeInput input;
    input.data = static_cast<const char*>(data);
    input.size = size;
    input.inMemory = true;
    input.yenc = true;
    return input;
}

int toFolder(KodraContext* context, kodra::DecodeInput input, const char* folder) noexcept {
    kodra::DecodeTarget target;
    target.mode = context->context.mode;
    target.names = context->context.names.c_str();
    target.folder = folder;
    const kodra::Encoding last = kodra::runDecode(context->context.ui, std::move(input), target).last;
    return last == kodra::Encoding::yenc ? KODRA_ENCODING_YENC : kodra::classicType(last);
}

int toSink(KodraContext* context, kodra::DecodeInput input, const KodraSink* sink, Destination kind) noexcept {
    kodra::DecodeTarget target;
    target.kind = kind;
    target.sink = sink;
    const kodra::DecodeSummary summary = kodra::runDecode(context->context.ui, std::move(input), target);
    if (!summary.opened) return -1;
    return kind == Destination::sink ? summary.partsDecoded : summary.partsFound;
}

}  // namespace

extern "C" KODRA_API KodraContext* KODRA_CALL KodraOpenContext(void) { return new (std::nothrow) KodraContext; }

extern "C" KODRA_API void KODRA_CALL KodraCloseContext(KodraContext* context) { delete context; }

extern "C" KODRA_API int KODRA_CALL KodraSetContextUserInterface(KodraContext* context,
                                                                 const KodraUserInterface* userInterface) {
    if (!context) return 0;
    context->context.ui.install(userInterface);
    return 1;
}

extern "C" KODRA_API int KODRA_CALL KodraSetContextOption(KodraContext* context, int option, int value) {
    if (!context) return 0;
    switch (option) {
        case KODRA_OPTION_MODE:
            if (value < 0 || value > 3) return 0;
            context->context.mode = value;
            return 1;
        default: return 0;
    }
}

extern "C" KODRA_API int KODRA_CALL KodraSetContextNames(KodraContext* context, const char* names) {
    if (!context) return 0;
    try {
        context->context.names = names ? names : "";
    } catch (...) {
        return 0;
    }
    return 1;
}

extern "C" KODRA_API int KODRA_CALL KodraDecodeFileTo(KodraContext* context, const char* path, const char* folder) {
    if (!context || !path) return 0;
    return toFolder(context, fileInput(path), folder);
}

extern "C" KODRA_API int KODRA_CALL KodraDecodeMemoryTo(KodraContext* context, const void* data, size_t size,
                                                        const char* folder) {
    if (!context || (!data && size > 0) || !folder) return 0;
    return toFolder(context, memoryInput(data, size), folder);
}

extern "C" KODRA_API int KODRA_CALL KodraDecodeFileToSink(KodraContext* context, const char* path,
                                                          const KodraSink* sink) {
    if (!context || !path || !sink) return -1;
    return toSink(context, fileInput(path), sink, Destination::sink);
}

extern "C" KODRA_API int KODRA_CALL KodraDecodeMemoryToSink(KodraContext* context, const void* data, size_t size,
                                                            const KodraSink* sink) {
    if (!context || (!data && size > 0) || !sink) return -1;
    return toSink(context, memoryInput(data, size), sink, Destination::sink);
}

extern "C" KODRA_API int KODRA_CALL KodraListFileParts(KodraContext* context, const char* path,
                                                       const KodraSink* sink) {
    if (!context || !path || !sink) return -1;
    return toSink(context, fileInput(path), sink, Destination::listSink);
}

extern "C" KODRA_API int KODRA_CALL KodraListMemoryParts(KodraContext* context, const void* data, size_t size,
                                                         const KodraSink* sink) {
    if (!context || (!data && size > 0) || !sink) return -1;
    return toSink(context, memoryInput(data, size), sink, Destination::listSink);
}

extern "C" KODRA_API int KODRA_CALL KodraDecodeInputs(KodraContext* context, const KodraInput* inputs, int count,
                                                      const char* folder, const KodraSink* sink,
                                                      const KodraPostingReport* report) {
    if (!context) return -1;
    return kodra::decodeInputs(context->context, inputs, count, folder, sink, report);
}

extern "C" KODRA_API int KODRA_CALL KodraListPostings(KodraContext* context, const KodraInput* inputs, int count,
                                                      const KodraPostingReport* report) {
    if (!context) return -1;
    return kodra::listPostings(context->context, inputs, count, report);
}
