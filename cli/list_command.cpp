// kodra list: the files a decode would write, without writing anything.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "archive_run.h"
#include "commands.h"
#include "exit_codes.h"
#include "file_checks.h"
#include "joined_postings.h"
#include "platform/platform.h"
#include "prescan.h"
#include "printable_text.h"

namespace kodra::cli {
namespace {

struct ListOptions {
    std::vector<std::string> files;
    bool json = false;
    int jobs = 0;
};

int runList(const ListOptions& options) {
    int exitCode = kSuccess;
    std::vector<std::string> paths;
    for (const std::string& file : options.files) {
        const std::string path = absolutePath(file);
        platform::PathInfo info;
        if (platform::inspectPath(path.c_str(), info) && info.kind == platform::PathKind::regularFile)
            paths.push_back(path);
    }
    const bool postings = !paths.empty() && holdPostings(paths);
    for (const std::string& file : options.files) {
        const std::string path = absolutePath(file);
        InputFacts input;
        if (!checkReadableFile(path, &input)) {
            exitCode = worse(exitCode, kFailure);
            continue;
        }
        const std::vector<std::string> names = prescanNames(path);
        // yEnc sections, which the prescan does not read; pieces of postings are shown below.
        const std::vector<std::string> yencNames = postings ? std::vector<std::string>{} : yencSectionNames(path);
        for (const std::string& name : yencNames) std::printf("%s\n", printable(folderOf(path) + name).c_str());
        if (names.empty() && yencNames.empty() && !postings) {
            reportError(file, "nothing encoded found");
            exitCode = worse(exitCode, kNothingFound);
        }
        // A decode beside the message refuses a link, a folder or the message itself.
        const platform::ProtectedFiles inputs{&input.identity, 1};
        for (std::size_t i = 0; i < names.size(); ++i) {
            const std::string& name = names[i];
            if (name.empty())
                reportError(file, "section " + std::to_string(i + 1) + ": its path is too long to show");
            else if (platform::isReplaceableOutput(name.c_str(), inputs))
                std::printf("%s\n", printable(name).c_str());
            else
                reportError(name, "a decode skips this path (it " + outputRefusal(name, inputs, 0) + ")");
        }
        std::fflush(stdout);
    }
    // Pieces of split postings, joined across all the files.
    if (postings) exitCode = worse(exitCode, listJoined(paths));
    return exitCode;
}

}  // namespace

void addListCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<ListOptions>();
    CLI::App* command = app.add_subcommand(
        "list", "Print the paths a decode of each FILE would write, one per line, writing nothing");
    command->add_flag("--json", options->json,
                      "Read each FILE as an archive (mbox, Maildir, folder, message; - for standard input) and "
                      "print the manifest record of every part, writing nothing");
    command->add_option("--jobs", options->jobs, "With --json: workers (default: one per core)")
        ->check(CLI::Range(1, 256));
    command->add_option("FILE", options->files, "Messages, articles or other text files")->required();
    command->callback([options, &exitCode] {
        if (!options->json) {
            exitCode = runList(*options);
            return;
        }
        ArchiveRunOptions archive;
        archive.inputs = options->files;
        archive.printRecords = true;
        archive.jobs = options->jobs;
        exitCode = runArchive(archive);
    });
}

}  // namespace kodra::cli
