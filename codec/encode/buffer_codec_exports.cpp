// The buffer codec's exports: thin entries into the internal cores.
#include "encode/buffer_codec.h"
#include "kodra32.h"

extern "C" KODRA_API int KODRA_CALL EncodeBuffer(const char* input, char* output, int length,
                                                 int type) {
    return kodra::encodeBuffer(input, output, length, type);
}

extern "C" KODRA_API int KODRA_CALL DecodeBuffer(const char* input, char* output, int length,
                                                 int type) {
    return kodra::decodeBuffer(input, output, length, type);
}

extern "C" KODRA_API long long KODRA_CALL KodraEncodeBuffer(const void* input, size_t size, void* output,
                                                            size_t room, int type) {
    return kodra::encodeBufferSized(input, size, output, room, type);
}

extern "C" KODRA_API long long KODRA_CALL KodraDecodeBuffer(const void* input, size_t size, void* output,
                                                            size_t room, int type) {
    return kodra::decodeBufferSized(input, size, output, room, type);
}
