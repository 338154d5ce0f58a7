// The exports for numbered families of files: thin entries into the internal cores, the
// caller's path lent to them as UTF-8 and handed back in the caller's code page.
#include "encode/numbered_names.h"
#include "kodra32.h"
#include "platform/classic_text.h"

extern "C" KODRA_API int KODRA_CALL GetUniqueFileName(char* path) {
    kodra::platform::Utf8PathBuffer buffer(path);
    if (buffer.failed()) {
        path[0] = '\0';  // as when no name fits: nothing can be written through it
        return -1;
    }
    const int result = kodra::getUniqueFileName(buffer.get());
    buffer.handBack();
    return result;
}

extern "C" KODRA_API int KODRA_CALL SplitFile(char* path, int size) {
    kodra::platform::Utf8PathBuffer buffer(path);
    if (buffer.failed()) return 0;
    const int result = kodra::splitFile(buffer.get(), size);
    buffer.handBack();
    return result;
}

extern "C" KODRA_API int KODRA_CALL ConcatenateRelated(int deleteFlag, char* firstPath) {
    kodra::platform::Utf8PathBuffer buffer(firstPath);
    if (buffer.failed()) return 0;
    const int result = kodra::concatenateRelated(deleteFlag, buffer.get());
    buffer.handBack();
    return result;
}
