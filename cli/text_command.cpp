// kodra text: the readable text of a stored message.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "commands.h"
#include "exit_codes.h"
#include "file_checks.h"

namespace kodra::cli {
namespace {

struct TextOptions {
    std::string file;
    std::string output;
};

// A private temporary folder, removed with everything in it at the end of its scope.
class TemporaryFolder {
public:
    TemporaryFolder() {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/kodra-text.XXXXXX";
        if (mkdtemp(pattern.data())) path_ = pattern;
    }
    ~TemporaryFolder() {
        std::error_code error;
        if (!path_.empty()) std::filesystem::remove_all(path_, error);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

bool copyToStandardOutput(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char chunk[65536];
    bool ok = true;
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        if (std::fwrite(chunk, 1, got, stdout) != got) ok = false;
    ok = ok && !std::ferror(file) && std::fflush(stdout) == 0;
    std::fclose(file);
    return ok;
}

int runText(const TextOptions& options) {
    const std::string message = absolutePath(options.file);
    if (!checkReadableFile(message) || !checkPathLength(message)) return kFailure;

    TemporaryFolder temporary;
    std::string target;
    if (options.output.empty()) {
        if (temporary.path().empty()) {
            reportError("temporary folder", std::strerror(errno));
            return kFailure;
        }
        target = temporary.path() + "/message.txt";
    } else {
        target = absolutePath(options.output);
        // The library hands the target on as a ";"-separated name list.
        if (target.find(';') != std::string::npos) {
            reportError(options.output, "output names must not contain \";\"");
            return kFailure;
        }
    }
    if (!checkPathLength(target)) return kFailure;

    if (GetMessageText(message.c_str(), target.c_str()) == 0) {
        reportError(options.file, "no readable text found");
        return kNothingFound;
    }
    if (options.output.empty()) {
        if (!copyToStandardOutput(target)) {
            reportError(options.file, "cannot show the text");
            return kFailure;
        }
    } else {
        std::printf("%s\n", target.c_str());
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
