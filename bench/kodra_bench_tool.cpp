// Whole-process driver for the comparison script: decodes a file silently, or encodes
// one file as a complete single-attachment MIME message.
//
//   kodra_bench_tool decode INPUT            outputs land beside INPUT, named from it
//   kodra_bench_tool encode TYPE SOURCE OUT  TYPE 1 UU, 2 Base64, 3 BinHex, 4 XX, 5 QP
#include "kodra32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kSilent = 3;
constexpr const char* kBoundary = "kodra-bench-boundary";

int usage() {
    std::fputs("usage: kodra_bench_tool decode INPUT | encode TYPE SOURCE OUTPUT\n", stderr);
    return 2;
}

// The message header and the first delimiter (left open: the part ends its line).
bool writePreamble(const char* output) {
    std::FILE* file = std::fopen(output, "wb");
    if (!file) return false;
    std::fprintf(file,
                 "MIME-Version: 1.0\r\nSubject: bench\r\n"
                 "Content-Type: multipart/mixed; boundary=\"%s\"\r\n\r\n--%s",
                 kBoundary, kBoundary);
    return std::fclose(file) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "decode") == 0) return DecodeFile(argv[2], "", kSilent) > 0 ? 0 : 1;
    if (argc == 5 && std::strcmp(argv[1], "encode") == 0) {
        const int type = std::atoi(argv[2]);
        if (!writePreamble(argv[4])) return 1;
        // The strict layout, so that any MIME reader can check the result.
        if (EncodeFileEx(argv[3], argv[4], kBoundary, type, 1, 1) != 1) return 1;
        return FinishAttachments(argv[4]) == 0 ? 0 : 1;
    }
    return usage();
}
