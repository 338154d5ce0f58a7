// The yEnc file encoder's export: a thin entry into its core. Paths are UTF-8.
#include "kodra32.h"
#include "yenc/yenc_file_encoder.h"

extern "C" KODRA_API int KODRA_CALL KodraEncodeFile(KodraContext* context, const char* sourcePath,
                                                    const char* outputPath, int type, long long partSize) {
    if (!context) return 0;
    return kodra::encodeYencFile(sourcePath, outputPath, type, partSize);
}
