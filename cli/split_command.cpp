// kodra split: cut a file into a numbered family of pieces.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "file_checks.h"
#include "numbered_names.h"
#include "platform/platform.h"
#include "printable_text.h"
#include "size_argument.h"

namespace kodra::cli {
namespace {

// More pieces than this are almost surely a mistyped size.
constexpr long long kMostPieces = 100000;

struct SplitOptions {
    std::string size;
    std::string file;
    bool force = false;
};

int runSplit(const SplitOptions& options) {
    const std::optional<int> size = parseSize(options.size);
    if (!size) {
        reportError(options.size, "bad size (want a whole number of bytes from 1 to 2147483647, "
                                  "optionally with k or M, e.g. 512k)");
        return kFailure;
    }
    const std::string path = absolutePath(options.file);
    InputFacts input;
    if (!checkReadableFile(path, &input) || !checkPathLength(path)) return kFailure;

    // The library replaces pieces that exist; an unrelated file of a piece's name would
    // be lost, so the command refuses unless told to replace.
    const long long length = static_cast<long long>(input.size);
    const long long pieceCount = length / *size + 1;
    if (pieceCount > kMostPieces) {
        reportError(options.file, "would make " + std::to_string(pieceCount) +
                                      " pieces; choose a larger size");
        return kFailure;
    }
    if (!options.force) {
        std::string piece = path;
        for (long long i = 0; i < pieceCount; ++i) {
            piece = nextNumberedName(piece);
            if (platform::pathExists(piece.c_str())) {
                reportError(piece, "exists already and would be replaced by a piece (use --force)");
                return kFailure;
            }
        }
    }

    std::vector<char> buffer(kMaxPathLength + 1, '\0');
    std::memcpy(buffer.data(), path.c_str(), path.size() + 1);
    if (SplitFile(buffer.data(), *size) != 1) {
        reportError(options.file, "could not be split (a piece name too long, or a read or write failed)");
        return kFailure;
    }
    const std::string last = buffer.data();
    std::string piece = path;
    do {
        piece = nextNumberedName(piece);
        std::printf("%s\n", printable(piece).c_str());
    } while (piece != last && piece.size() <= kMaxPathLength);
    return kSuccess;
}

}  // namespace

void addSplitCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<SplitOptions>();
    CLI::App* command = app.add_subcommand(
        "split", "Cut FILE into pieces of SIZE bytes: report.txt gives report1.txt, report2.txt, ...");
    command->add_option("-s,--size", options->size, "Bytes per piece; k and M suffixes allowed (512k, 2M)")
        ->required();
    command->add_flag("-f,--force", options->force, "Replace existing files that have a piece's name");
    command->add_option("FILE", options->file, "The file to split")->required();
    command->callback([options, &exitCode] { exitCode = runSplit(*options); });
}

}  // namespace kodra::cli
