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

// Closes the library context however the command ends.
struct Context {
    KodraContext* context = KodraOpenContext();
    ~Context() { KodraCloseContext(context); }
};

// The field as UTF-8, encoded words of any charset decoded; empty when it is absent.
std::string utf8Field(KodraContext* context, const std::string& path, const char* name) {
    std::string value(256, '\0');
    int length = KodraGetHeaderField(context, path.c_str(), name, value.data(), value.size());
    if (length >= 0 && static_cast<std::size_t>(length) >= value.size()) {
        value.assign(static_cast<std::size_t>(length) + 1, '\0');
        length = KodraGetHeaderField(context, path.c_str(), name, value.data(), value.size());
    }
    if (length < 0) return {};
    // The file may have changed between the two calls: what was written is NUL-terminated.
    value.resize(std::char_traits<char>::length(value.c_str()));
    return value;
}

void printField(const char* label, const std::string& value) {
    std::printf("%-14s%s\n", label, printable(value).c_str());
}

void printField(const char* label, const char* value) { printField(label, std::string(value ? value : "")); }

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
    Context context;
    if (!context.context) {
        reportError(options.file, "out of memory");
        return kFailure;
    }
    // The fields come as UTF-8; the receiving time and the delivery lines, from the
    // classic record, are shown with every byte that is not UTF-8 escaped.
    const auto field = [&](const char* name) { return utf8Field(context.context, path, name); };
    const MessageInfoRecord& r = info.record;
    printField("Received:", r.received);
    printField("From:", field("From"));
    printField("To:", field("To"));
    printField("Subject:", field("Subject"));
    printField("Date:", field("Date"));
    printField("Cc:", field("Cc"));
    printField("Reply-To:", field("Reply-To"));
    printField("Organization:", field("Organization"));
    printBlock("Delivery lines:", r.headerBlock);
    return kSuccess;
}

}  // namespace

void addHeadersCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<HeadersOptions>();
    CLI::App* command = app.add_subcommand(
        "headers", "Print the header values of a stored message (received time, From, To, Subject, "
                   "Date, Cc, Reply-To, Organization, delivery lines), as UTF-8");
    command->add_option("FILE", options->file, "The message file")->required();
    command->callback([options, &exitCode] { exitCode = runHeaders(*options); });
}

}  // namespace kodra::cli
