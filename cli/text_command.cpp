// kodra text: the readable text of a stored message.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "file_checks.h"
#include "platform/platform.h"
#include "printable_text.h"
#include "terminal.h"
#include "terminal_text.h"

namespace kodra::cli {
namespace {

struct TextOptions {
    std::string file;
    std::string output;
};

// A private temporary folder for the text, removed with the text file at the end of its
// scope: whatever stands in it was made by this run.
class TemporaryFolder {
public:
    TemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/kodra-text.XXXXXX";
        if (platform::createPrivateFolder(pattern.data())) path_ = pattern;
    }
    ~TemporaryFolder() {
        if (path_.empty()) return;
        const std::string text = textPath();
        platform::PathInfo info;
        if (platform::inspectPath(text.c_str(), info) && info.kind == platform::PathKind::regularFile)
            platform::deleteCreatedFile(text.c_str(), info.identity);
        platform::removeEmptyFolder(path_.c_str());
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    bool made() const { return !path_.empty(); }
    std::string textPath() const { return path_ + "/message.txt"; }

private:
    std::string path_;
};

// Copies the text file at path to standard output (on a terminal with its control
// characters made visible) and removes it, the command's own temporary file; false when it
// cannot be read or shown.
bool showAndRemove(const std::string& path) {
    platform::FileIdentity identity;
    std::FILE* file = platform::openInputFile(path.c_str(), &identity);
    if (!file) return false;
    const bool onTerminal = standardOutputIsTerminal();
    TerminalText terminalText;
    char chunk[65536];
    bool ok = true;
    const auto show = [&](const std::string& text) {
        ok = std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && ok;
    };
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (onTerminal) show(terminalText.filter(chunk, got));
        else ok = std::fwrite(chunk, 1, got, stdout) == got && ok;
    }
    if (onTerminal) show(terminalText.finish());
    ok = ok && !std::ferror(file) && std::fflush(stdout) == 0;
    std::fclose(file);
    platform::deleteCreatedFile(path.c_str(), identity);
    return ok;
}

int runText(const TextOptions& options) {
    const std::string message = absolutePath(options.file);
    InputFacts input;
    if (!checkReadableFile(message, &input) || !checkPathLength(message)) return kFailure;

    TemporaryFolder temporary;
    std::string target;
    if (options.output.empty()) {
        if (!temporary.made()) {
            reportError("temporary folder", "cannot be made");
            return kFailure;
        }
        target = temporary.textPath();
    } else {
        target = absolutePath(options.output);
        // The library hands the target on as a ";"-separated name list.
        if (target.find(';') != std::string::npos) {
            reportError(options.output, "output names must not contain \";\"");
            return kFailure;
        }
        const platform::ProtectedFiles inputs{&input.identity, 1};
        if (!platform::isReplaceableOutput(target.c_str(), inputs)) {
            reportError(target, outputRefusal(target, inputs, 0));
            return kFailure;
        }
    }
    if (!checkPathLength(target)) return kFailure;

    if (GetMessageText(message.c_str(), target.c_str()) == 0) {
        reportError(options.file, "no readable text found");
        return kNothingFound;
    }
    if (options.output.empty()) {
        if (!showAndRemove(target)) {
            reportError(options.file, "cannot show the text");
            return kFailure;
        }
    } else {
        std::printf("%s\n", printable(target).c_str());
    }
    return kSuccess;
}

}  // namespace

void addTextCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<TextOptions>();
    CLI::App* command = app.add_subcommand(
        "text", "Print the readable text of a stored message (plain body, or the first part of a "
                "multipart one), decoded");
    command->add_option("FILE", options->file, "The message file")->required();
    command->add_option("-o,--output", options->output, "Write the text to OUT instead of standard output");
    command->callback([options, &exitCode] { exitCode = runText(*options); });
}

}  // namespace kodra::cli
