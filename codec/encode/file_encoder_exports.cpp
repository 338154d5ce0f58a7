// The file encoder's exports: thin entries into the internal cores. Their paths are in the
// ANSI code page on Windows and UTF-8 inside; one that cannot be converted is refused as a
// null one is.
#include "encode/application_name.h"
#include "encode/file_encoder.h"
#include "kodra32.h"
#include "platform/classic_text.h"

using kodra::platform::Utf8Argument;

extern "C" KODRA_API const char* KODRA_CALL SetEncodingApplication(const char* name) {
    return kodra::setApplicationName(name);
}

extern "C" KODRA_API int KODRA_CALL EncodeFile(const char* sourcePath, const char* outputPath,
                                               const char* boundary, int type, int append) {
    if (type == KODRA_YENC) return 0;  // the classic contract knows types 1 to 5 only
    const Utf8Argument source(sourcePath), output(outputPath);
    return kodra::encodeFile(source.get(), output.get(), boundary, type, append, 0);
}

extern "C" KODRA_API int KODRA_CALL EncodeFileEx(const char* sourcePath, const char* outputPath,
                                                 const char* boundary, int type, int append,
                                                 int flags) {
    const Utf8Argument source(sourcePath), output(outputPath);
    return kodra::encodeFile(source.get(), output.get(), boundary, type, append, flags);
}

extern "C" KODRA_API int KODRA_CALL FinishAttachments(const char* outputPath) {
    const Utf8Argument output(outputPath);
    return kodra::finishAttachments(output.get());
}
