// kodra buffer: the library's buffer codec from standard input to standard output.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "encoding_types.h"
#include "exit_codes.h"
#include "printable_text.h"

namespace kodra::cli {
namespace {

struct BufferOptions {
    std::string direction;
    std::string type;
};

// Output room the buffer codec needs for n input bytes (its documented bounds).
std::size_t encodedRoom(std::size_t n, int type) {
    switch (type) {
        case KODRA_UUENCODE:
        case KODRA_XXENCODE: return (n + 44) / 45 * (1 + 60 + 2);
        case KODRA_BASE64: return (n + 56) / 57 * (76 + 2);
        case KODRA_YENC: return 2 * n + 2 * (2 * n / 128 + 1) + 4;
        default: return 3 * n + 3 * (n / 72 + 1) + 3;
    }
}

std::size_t decodedRoom(std::size_t n, int type) {
    switch (type) {
        case KODRA_QUOTED_PRINTABLE: return n + 1;
        case KODRA_YENC: return n;
        default: return 3 * (n / 4) + 3;
    }
}

// Reads standard input whole; false when a read fails.
bool readStandardInput(std::vector<char>& data) {
    char chunk[65536];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, stdin);
        data.insert(data.end(), chunk, chunk + got);
        if (got < sizeof chunk) return !std::ferror(stdin);
    }
}

int runBuffer(const BufferOptions& options) {
    const EncodingType* type = findEncodingType(options.type);
    if (!type || !type->buffers) {
        std::fprintf(stderr, "kodra: buffer: unknown type \"%s\" (use base64, uu, xx, qp or yenc; "
                             "BinHex works on files only)\n", printable(options.type).c_str());
        return kFailure;
    }
    const bool encode = options.direction == "encode";
    std::vector<char> input;
    if (!readStandardInput(input)) {
        std::fprintf(stderr, "kodra: buffer: cannot read standard input\n");
        return kFailure;
    }
    const std::size_t n = input.size();
    // Every room stays below 4 n + 64; a larger input could not be held anyway.
    if (n > (std::numeric_limits<std::size_t>::max() - 64) / 4) {
        std::fprintf(stderr, "kodra: buffer: standard input is too large\n");
        return kFailure;
    }
    std::vector<char> output(std::max<std::size_t>(1, encode ? encodedRoom(n, type->type) : decodedRoom(n, type->type)));
    const char* bytes = input.empty() ? "" : input.data();  // never null, also for no input
    const long long written = encode ? KodraEncodeBuffer(bytes, n, output.data(), output.size(), type->type)
                                     : KodraDecodeBuffer(bytes, n, output.data(), output.size(), type->type);
    if (written < 0) {
        std::fprintf(stderr, "kodra: buffer: the library refused the input\n");
        return kFailure;
    }
    const auto size = static_cast<std::size_t>(written);
    if (std::fwrite(output.data(), 1, size, stdout) != size || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "kodra: buffer: cannot write standard output\n");
        return kFailure;
    }
    return kSuccess;
}

}  // namespace

void addBufferCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<BufferOptions>();
    CLI::App* command = app.add_subcommand(
        "buffer", "Encode or decode standard input to standard output with the buffer codec");
    command->add_option("DIRECTION", options->direction, "encode or decode")
        ->required()
        ->check(CLI::IsMember({"encode", "decode"}));
    command->add_option("-t,--type", options->type, "base64, uu, xx, qp or yenc (data lines only)")->required();
    command->callback([options, &exitCode] { exitCode = runBuffer(*options); });
}

}  // namespace kodra::cli
