// The exports for numbered families of files: thin entries into the internal cores.
#include "encode/numbered_names.h"
#include "kodra32.h"

extern "C" KODRA_API int KODRA_CALL GetUniqueFileName(char* path) {
    return kodra::getUniqueFileName(path);
}

extern "C" KODRA_API int KODRA_CALL SplitFile(char* path, int size) {
    return kodra::splitFile(path, size);
}

extern "C" KODRA_API int KODRA_CALL ConcatenateRelated(int deleteFlag, char* firstPath) {
    return kodra::concatenateRelated(deleteFlag, firstPath);
}
