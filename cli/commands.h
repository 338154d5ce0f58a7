// The subcommands of kodra. Each adds itself to the application; its callback runs the
// job and stores the exit code in exitCode.
#pragma once

namespace CLI {
class App;
}

namespace kodra::cli {

void addDecodeCommand(CLI::App& app, int& exitCode);
void addListCommand(CLI::App& app, int& exitCode);
void addEncodeCommand(CLI::App& app, int& exitCode);
void addSplitCommand(CLI::App& app, int& exitCode);
void addJoinCommand(CLI::App& app, int& exitCode);
void addHeadersCommand(CLI::App& app, int& exitCode);
void addTextCommand(CLI::App& app, int& exitCode);
void addDateCommand(CLI::App& app, int& exitCode);
void addBufferCommand(CLI::App& app, int& exitCode);
void addExtractCommand(CLI::App& app, int& exitCode);

}  // namespace kodra::cli
