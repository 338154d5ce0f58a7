// kodra buffer: the library's buffer codec from standard input to standard output.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <climits>
#include <cstdio>
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
unsigned long long encodedRoom(unsigned long long n, int type) {
    switch (type) {
        case KODRA_UUENCODE:
        case KODRA_XXENCODE: return (n + 44) / 45 * (1 + 60 + 2);
        case KODRA_BASE64: return (n + 56) / 57 * (76 + 2);
        default: return 3 * n + 3 * (n / 72 + 1) + 3;
    }
}

unsigned long long decodedRoom(unsigned long long n, int type) {
    return type == KODRA_QUOTED_PRINTABLE ? n + 1 : 3 * (n / 4) + 3;
}

// Reads standard input whole; false when it holds more than limit bytes or a read fails.
bool readStandardInput(std::vector<char>& data, unsigned long long limit, bool& tooLarge) {
    char chunk[65536];
    tooLarge = false;
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, stdin);
        data.insert(data.end(), chunk, chunk + got);
        if (data.size() > limit) {
            tooLarge = true;
            return false;
        }
        if (got < sizeof chunk) return !std::ferror(stdin);
    }
}

// The largest input whose output room still fits the library's 32-bit lengths.
unsigned long long inputLimit(bool encode, int type) {
    unsigned long long low = 0;
    unsigned long long high = INT_MAX;
    while (low < high) {
        const unsigned long long middle = (low + high + 1) / 2;
        const unsigned long long room = encode ? encodedRoom(middle, type) : decodedRoom(middle, type);
        if (room <= INT_MAX) low = middle;
        else high = middle - 1;
    }
    return low;
}

int runBuffer(const BufferOptions& options) {
    const EncodingType* type = findEncodingType(options.type);
    if (!type || !type->buffers) {
        std::fprintf(stderr, "kodra: buffer: unknown type \"%s\" (use base64, uu, xx or qp; "
                             "BinHex works on files only)\n", printable(options.type).c_str());
        return kFailure;
    }
    const bool encode = options.direction == "encode";
    std::vector<char> input;
    bool tooLarge = false;
    const unsigned long long limit = inputLimit(encode, type->type);
    if (!readStandardInput(input, limit, tooLarge)) {
        if (tooLarge)
            std::fprintf(stderr, "kodra: buffer: standard input is larger than %llu bytes\n", limit);
        else
            std::fprintf(stderr, "kodra: buffer: cannot read standard input\n");
        return kFailure;
    }
    const unsigned long long n = input.size();
    std::vector<char> output(encode ? encodedRoom(n, type->type) : decodedRoom(n, type->type));
    const int length = static_cast<int>(n);
    const int written = encode ? EncodeBuffer(input.data(), output.data(), length, type->type)
                               : DecodeBuffer(input.data(), output.data(), length, type->type);
    if (written < 0 || (written == 0 && n > 0 && encode)) {
        std::fprintf(stderr, "kodra: buffer: the library refused the input\n");
        return kFailure;
    }
    if (std::fwrite(output.data(), 1, static_cast<std::size_t>(written), stdout) !=
            static_cast<std::size_t>(written) ||
        std::fflush(stdout) != 0) {
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
    command->add_option("-t,--type", options->type, "base64, uu, xx or qp")->required();
    command->callback([options, &exitCode] { exitCode = runBuffer(*options); });
}

}  // namespace kodra::cli
