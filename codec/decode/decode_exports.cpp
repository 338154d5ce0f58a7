// The classic decoding exports: thin entries into the engine, on the default context.
// Their paths are in the ANSI code page on Windows and UTF-8 inside.
#include "decode/decode_file.h"
#include "frame/context.h"
#include "kodra32.h"
#include "platform/classic_text.h"

namespace {

// GetEncodedFile's caller hands a buffer of this many bytes, NUL included.
constexpr std::size_t kEncodedFileBuffer = 1024;

}  // namespace

extern "C" KODRA_API int KODRA_CALL DecodeFile(const char* path, const char* names, int mode) {
    const kodra::platform::Utf8Argument utf8Path(path), utf8Names(names);
    if (utf8Path.failed() || utf8Names.failed()) return 0;
    return kodra::classicType(kodra::decodeFile(kodra::defaultContext(), utf8Path.get(), utf8Names.get(), mode));
}

extern "C" KODRA_API int KODRA_CALL GetNumFilesToDecode(const char* path) {
    const kodra::platform::Utf8Argument utf8Path(path);
    return kodra::listFilesToDecode(kodra::defaultContext(), utf8Path.get());
}

extern "C" KODRA_API int KODRA_CALL GetEncodedFile(char* buffer, int index) {
    if constexpr (kodra::platform::kClassicTextIsUtf8)
        return kodra::copyFileToDecode(kodra::defaultContext(), buffer, index);
    if (!buffer) return 0;
    char entry[kEncodedFileBuffer];
    if (!kodra::copyFileToDecode(kodra::defaultContext(), entry, index)) return 0;
    return kodra::platform::handBackName(entry, buffer, kEncodedFileBuffer) ? 1 : 0;
}
