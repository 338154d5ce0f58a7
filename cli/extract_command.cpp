// kodra extract: every part of every message of mbox files, Maildir folders, folders of
// messages and single messages into a folder, described by a manifest.
#include <CLI/CLI.hpp>

#include <memory>

#include "archive_run.h"
#include "commands.h"

namespace kodra::cli {

void addExtractCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ArchiveRunOptions>();
    CLI::App* command = app.add_subcommand(
        "extract", "Decode every part of every message of each INPUT (mbox, Maildir, folder, message; - for "
                   "standard input) into a folder, one record per part in a JSON Lines manifest");
    command->add_option("-o,--output", options->outputFolder, "Folder the parts go to")->required();
    command->add_option("--jobs", options->jobs, "Workers (default: one per core); results do not depend on it")
        ->check(CLI::Range(1, 256));
    command->add_option("--manifest", options->manifest,
                        "JSON Lines file the records are appended to; a rerun skips the messages it holds");
    command->add_flag("--by-hash", options->byHash,
                      "One file per distinct content, named by its SHA-256 (ab/abcdef...), stored once");
    command->add_option("INPUT", options->inputs, "mbox files, Maildir folders, folders of messages, messages")
        ->required();
    command->callback([options, &exitCode] { exitCode = runArchive(*options); });
}

}  // namespace kodra::cli
