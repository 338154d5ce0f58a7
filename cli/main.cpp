// kodra: the codec library's main jobs from a shell.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "exit_codes.h"
#include "library_dialogs.h"

int main(int argc, char** argv) {
    using namespace kodra::cli;
    CLI::App app{"Decode and encode mail and news attachments (UUencode, XXencode, Base64, "
                 "quoted-printable, BinHex)",
                 "kodra"};
    app.set_version_flag("--version", "kodra " KODRA_VERSION);
    app.footer("Exit status: 0 done; 1 the input held nothing of what was asked for; 2 a usage or "
               "input/output error, or a section found but not written (each named on standard error).");
    app.require_subcommand(1);
    installLibraryDialogs();

    int exitCode = kSuccess;
    addDecodeCommand(app, exitCode);
    addListCommand(app, exitCode);
    addEncodeCommand(app, exitCode);
    addSplitCommand(app, exitCode);
    addJoinCommand(app, exitCode);
    addHeadersCommand(app, exitCode);
    addTextCommand(app, exitCode);
    addDateCommand(app, exitCode);
    addBufferCommand(app, exitCode);
    addExtractCommand(app, exitCode);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help and version exit 0; every other parse error is a usage error.
        const int parserCode = app.exit(error);
        return parserCode == 0 ? kSuccess : kFailure;
    }
    return exitCode;
}
