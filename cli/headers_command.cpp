// kodra headers: the nine header values the library reads from a stored message.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cstdio>
#include <memory>
#include <string>

#include "commands.h"
#include "exit_codes.h"
#include "file_checks.h"
#include "printable_text.h"

namespace kodra::cli {
namespace {

struct HeadersOptions {
    std::string file;
};

// Releases the library's strings however the command ends.
struct MessageInfo {
    MessageInfoRecord record{};
    ~MessageInfo() { FreeMessageInfo(&record); }
};

void printField(const char* label, const char* value) {
    std::printf("%-14s%s\n", label, value ? printable(value).c_str() : "");
}

// Prints the delivery lines indented under their label, one per line.
void printBlock(const char* label, const char* block) {
    std::printf("%s\n", label);
    if (!block) return;
    std::string line;
    for (const char* c = block;; ++c) {
        if (*c == '\n' || *c == '\0') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::printf("  %s\n", printable(line).c_str());
            line.clear();
            if (*c == '\0') break;
        } else {
            line += *c;
        }
    }
}

int runHeaders(const HeadersOptions& options) {
    const std::string path = absolutePath(options.file);
    if (!checkReadableFile(path)) return kFailure;
    MessageInfo info;
    if (GetMessageInfo(path.c_str(), &info.record) != 1) {
        reportError(options.file, "cannot read the message");
        return kFailure;
    }
    const MessageInfoRecord& r = info.record;
    printField("Received:", r.received);
    printField("From:", r.from);
    printField("To:", r.to);
    printField("Subject:", r.subject);
    printField("Date:", r.date);
    printField("Cc:", r.cc);
    printField("Reply-To:", r.replyTo);
    printField("Organization:", r.organization);
    printBlock("Delivery lines:", r.headerBlock);
    return kSuccess;
}

}  // namespace

void addHeadersCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<HeadersOptions>();
    CLI::App* command = app.add_subcommand(
        "headers", "Print the header values of a stored message (received time, From, To, Subject, "
                   "Date, Cc, Reply-To, Organization, delivery lines)");
    command->add_option("FILE", options->file, "The message file")->required();
    command->callback([options, &exitCode] { exitCode = runHeaders(*options); });
}

}  // namespace kodra::cli
