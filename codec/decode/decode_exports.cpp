// The decoding exports: thin entries into the driver and the pre-scan.
#include "decode/decode_file.h"
#include "kodra32.h"

extern "C" KODRA_API int KODRA_CALL DecodeFile(const char* path, const char* names, int mode) {
    return kodra::decodeFile(path, names, mode);
}

extern "C" KODRA_API int KODRA_CALL GetNumFilesToDecode(const char* path) {
    return kodra::listFilesToDecode(path);
}

extern "C" KODRA_API int KODRA_CALL GetEncodedFile(char* buffer, int index) {
    return kodra::copyFileToDecode(buffer, index);
}
