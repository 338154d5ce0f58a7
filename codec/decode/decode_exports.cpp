// The classic decoding exports: thin entries into the engine, on the default context.
#include "decode/decode_file.h"
#include "frame/context.h"
#include "kodra32.h"

extern "C" KODRA_API int KODRA_CALL DecodeFile(const char* path, const char* names, int mode) {
    return kodra::classicType(kodra::decodeFile(kodra::defaultContext(), path, names, mode));
}

extern "C" KODRA_API int KODRA_CALL GetNumFilesToDecode(const char* path) {
    return kodra::listFilesToDecode(kodra::defaultContext(), path);
}

extern "C" KODRA_API int KODRA_CALL GetEncodedFile(char* buffer, int index) {
    return kodra::copyFileToDecode(kodra::defaultContext(), buffer, index);
}
