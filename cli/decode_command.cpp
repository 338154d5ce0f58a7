// kodra decode: every encoded section of each file, written beside it or into a folder.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "exit_codes.h"
#include "file_checks.h"
#include "folder_decode.h"
#include "joined_postings.h"
#include "platform/platform.h"
#include "printable_text.h"
#include "progress_line.h"
#include "written_files.h"

namespace kodra::cli {
namespace {

// DecodeFile's modes.
constexpr int kAskAll = 0;
constexpr int kSilentWithNames = 1;
constexpr int kAskOverwrite = 2;
constexpr int kSilent = 3;

struct DecodeOptions {
    std::vector<std::string> files;
    bool yes = false;
    bool askOverwrite = false;
    std::string directory;
    std::string names;
};

std::vector<std::string> splitNames(const std::string& names) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = names.find(';', start);
        const std::string part = names.substr(start, end == std::string::npos ? end : end - start);
        if (!part.empty()) parts.push_back(part);
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

// Decodes one file; returns its exit code.
int decodeOne(const std::string& file, const DecodeOptions& options, const std::string& folder) {
    const std::string path = absolutePath(file);
    InputFacts input;
    if (!checkReadableFile(path, &input) || !checkPathLength(path)) return kFailure;
    if (!folder.empty()) return decodeIntoFolder(path, file, folder, splitNames(options.names));

    int mode = options.yes ? kSilent : options.askOverwrite ? kAskOverwrite : kAskAll;
    std::string names;
    WrittenFiles written;
    if (!options.names.empty()) {
        const platform::ProtectedFiles inputs{&input.identity, 1};
        for (const std::string& name : splitNames(options.names)) {
            const std::string target = absolutePath(name);
            if (!checkPathLength(target)) return kFailure;
            // The library would skip such a name silently; say so before anything is written.
            if (!platform::isReplaceableOutput(target.c_str(), inputs)) {
                reportError(target, outputRefusal(target, inputs, 0));
                return kFailure;
            }
            names += (names.empty() ? "" : ";") + target;
            written.watchPath(target);
        }
        mode = kSilentWithNames;
    } else {
        written.watchFolder(folderOf(path));
    }

    int result = 0;
    {
        ProgressLine progress("decoding " + lastComponent(path));
        result = DecodeFile(path.c_str(), names.c_str(), mode);
    }
    const std::vector<std::string> outputs = written.changed();
    for (const std::string& output : outputs) std::printf("%s\n", printable(output).c_str());
    std::fflush(stdout);
    if (result == 0 && outputs.empty()) {
        reportError(file, "nothing decoded (no encoded section found, or every file declined)");
        return kNothingFound;
    }
    return kSuccess;
}

int runDecode(const DecodeOptions& options) {
    std::string folder;
    if (!options.directory.empty()) {
        folder = absolutePath(options.directory);
        // The library takes output names as one ";"-separated list.
        if (folder.find(';') != std::string::npos) {
            reportError(options.directory, "output folder names must not contain \";\"");
            return kFailure;
        }
        if (!prepareOutputFolder(folder)) return kFailure;
        if (folder.back() != '/') folder += '/';
    }
    // Pieces of split postings are joined across all the files, written where the files'
    // decodes go (with no -C: beside the first file); files with yEnc sections take that way
    // too, the only one that reads them.
    std::vector<std::string> paths;
    bool allFiles = true;
    for (const std::string& file : options.files) {
        paths.push_back(absolutePath(file));
        platform::PathInfo info;
        allFiles = allFiles && platform::inspectPath(paths.back().c_str(), info) &&
                   info.kind == platform::PathKind::regularFile && paths.back().size() <= kMaxPathLength;
    }
    bool anyYenc = false;
    for (const std::string& path : paths) anyYenc = anyYenc || (allFiles && !yencSectionNames(path).empty());
    if (allFiles && options.names.empty() && (anyYenc || holdPostings(paths)))
        return decodeJoined(paths, folder.empty() ? folderOf(paths.front()) : folder);
    int exitCode = kSuccess;
    for (const std::string& file : options.files) exitCode = worse(exitCode, decodeOne(file, options, folder));
    return exitCode;
}

}  // namespace

void addDecodeCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<DecodeOptions>();
    CLI::App* command = app.add_subcommand(
        "decode", "Decode every encoded section of each FILE into files beside it (asking on the "
                  "terminal first unless told not to)");
    CLI::Option* yes = command->add_flag("-y,--yes", options->yes, "Never ask: write every file, replacing existing ones");
    CLI::Option* askOverwrite = command->add_flag(
        "--ask-overwrite", options->askOverwrite, "Ask only before replacing an existing file");
    command->add_option("-C,--directory", options->directory,
                        "Write into DIR instead (created when missing; never asks, never replaces: "
                        "names that exist get a number; exit 2 naming every section not written)");
    command->add_option("-n,--names", options->names,
                        "Output names for the sections in order, separated by \";\" (the last one "
                        "is reused; with -C, sections past them keep their own names); never asks");
    yes->excludes(askOverwrite);
    command->add_option("FILE", options->files, "Messages, articles or other text files")->required();
    command->callback([options, &exitCode] { exitCode = runDecode(*options); });
}

}  // namespace kodra::cli
