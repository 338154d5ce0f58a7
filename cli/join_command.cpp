// kodra join: append the following pieces of a numbered family to its first file.
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
#include "printable_text.h"

namespace kodra::cli {
namespace {

struct JoinOptions {
    std::string first;
    bool keep = false;
};

int runJoin(const JoinOptions& options) {
    const std::string path = absolutePath(options.first);
    if (!checkReadableFile(path) || !checkPathLength(path)) return kFailure;
    std::vector<char> buffer(kMaxPathLength + 1, '\0');
    std::memcpy(buffer.data(), path.c_str(), path.size() + 1);
    if (ConcatenateRelated(options.keep ? 0 : 1, buffer.data()) != 1) {
        reportError(options.first, "could not be joined (a piece could not be read, written or deleted)");
        return kFailure;
    }
    const std::string missing = buffer.data();
    int pieces = 0;
    for (std::string piece = nextNumberedName(path); piece != missing && piece.size() <= kMaxPathLength;
         piece = nextNumberedName(piece))
        ++pieces;
    std::printf("%s: %d piece%s appended%s\n", printable(path).c_str(), pieces, pieces == 1 ? "" : "s",
                pieces > 0 && !options.keep ? " and deleted" : "");
    return kSuccess;
}

}  // namespace

void addJoinCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<JoinOptions>();
    CLI::App* command = app.add_subcommand(
        "join", "Append the pieces following FIRST (report2.txt, report3.txt, ... after report1.txt) "
                "to FIRST, deleting each piece once appended");
    command->add_flag("--keep", options->keep, "Keep the pieces");
    command->add_option("FIRST", options->first, "The first file of the family")->required();
    command->callback([options, &exitCode] { exitCode = runJoin(*options); });
}

}  // namespace kodra::cli
