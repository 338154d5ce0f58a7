// The file encoder's exports: thin entries into the internal cores.
#include "encode/application_name.h"
#include "encode/file_encoder.h"
#include "kodra32.h"

extern "C" KODRA_API const char* KODRA_CALL SetEncodingApplication(const char* name) {
    return kodra::setApplicationName(name);
}

extern "C" KODRA_API int KODRA_CALL EncodeFile(const char* sourcePath, const char* outputPath,
                                               const char* boundary, int type, int append) {
    return kodra::encodeFile(sourcePath, outputPath, boundary, type, append, 0);
}

extern "C" KODRA_API int KODRA_CALL EncodeFileEx(const char* sourcePath, const char* outputPath,
                                                 const char* boundary, int type, int append,
                                                 int flags) {
    return kodra::encodeFile(sourcePath, outputPath, boundary, type, append, flags);
}

extern "C" KODRA_API int KODRA_CALL FinishAttachments(const char* outputPath) {
    return kodra::finishAttachments(outputPath);
}
