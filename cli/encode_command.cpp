// kodra encode: one multipart message carrying every FILE as an attachment.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "encoding_types.h"
#include "exit_codes.h"
#include "file_checks.h"
#include "message_header.h"
#include "numbered_names.h"
#include "platform/platform.h"
#include "printable_text.h"
#include "progress_line.h"
#include "size_argument.h"
#include "yenc_posting.h"

namespace kodra::cli {
namespace {

struct EncodeOptions {
    std::string type = "base64";
    std::string output;
    std::string subject;
    std::string from;
    bool classic = false;
    std::string partSize;
    std::vector<std::string> files;
};

std::string defaultSubject(const std::vector<std::string>& files) {
    std::string subject;
    for (const std::string& file : files) subject += (subject.empty() ? "" : ", ") + lastComponent(file);
    return subject;
}

// The message being written, removed again on failure only when this run created it.
struct MessageOutput {
    std::string path;
    platform::OutputFile file;
};

// Opens the output named by the user: a new file or a regular one replaced, never a link
// nor any of the sources. False (and reported) when refused.
bool openGivenOutput(const std::string& path, platform::ProtectedFiles sources, MessageOutput& output) {
    errno = 0;
    output.path = path;
    output.file = platform::openOutput(path.c_str(), platform::OutputMode::replace, sources);
    if (output.file.file) return true;
    reportError(path, outputRefusal(path, sources, errno));
    return false;
}

// Creates the output named after the first source: its extension replaced by the type's,
// numbered while anything at all stands at the name (taken literally); nothing existing is
// opened. False (and reported) when no such name fits or the file cannot be made.
bool createDerivedOutput(const std::string& source, const EncodingType& type, platform::ProtectedFiles sources,
                         MessageOutput& output) {
    const std::size_t nameStart = source.size() - lastComponent(source).size();
    std::size_t dot = source.rfind('.');
    if (dot == std::string::npos || dot < nameStart) dot = source.size();
    std::string candidate = source.substr(0, dot) + type.extension;
    for (; candidate.size() <= kMaxPathLength; candidate = nextNumberedName(candidate)) {
        errno = 0;
        output.file = platform::openOutput(candidate.c_str(), platform::OutputMode::createNew, sources);
        if (output.file.file) {
            output.path = candidate;
            return true;
        }
        const int error = errno;
        if (!platform::pathExists(candidate.c_str())) {
            reportError(candidate, outputRefusal(candidate, sources, error));
            return false;
        }
    }
    reportError(source, "no free output name fits the path limit; use -o");
    return false;
}

// Writes the message header through the opened output and closes it; false (and
// reported) when that failed.
bool writeHeader(MessageOutput& output, const std::string& text) {
    std::FILE* file = output.file.file;
    output.file.file = nullptr;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        reportError(output.path, "cannot write the message header");
        return false;
    }
    return true;
}

// Removes a failed message when this run created it; a file it replaced stays, and is named.
void discard(const MessageOutput& output) {
    if (output.file.file) std::fclose(output.file.file);
    if (output.file.created) {
        platform::deleteCreatedFile(output.path.c_str(), output.file.identity);
        return;
    }
    reportError(output.path, "was replaced and is left incomplete");
}

// A yEnc posting of one file, whole or in parts of --part-size bytes.
int runYencEncode(const EncodeOptions& options) {
    if (options.files.size() != 1) {
        std::fprintf(stderr, "kodra: encode: -t yenc takes one FILE\n");
        return kFailure;
    }
    if (options.classic) {
        std::fprintf(stderr, "kodra: encode: --classic does not apply to -t yenc\n");
        return kFailure;
    }
    long long partSize = 0;
    if (!options.partSize.empty()) {
        const std::optional<int> size = parseSize(options.partSize);
        if (!size) {
            std::fprintf(stderr, "kodra: encode: bad --part-size \"%s\" (a positive byte count, k or m suffix)\n",
                         printable(options.partSize).c_str());
            return kFailure;
        }
        partSize = *size;
    }
    return writeYencPosting(options.files.front(), options.output, partSize);
}

int runEncode(const EncodeOptions& options) {
    const EncodingType* type = findEncodingType(options.type);
    if (!type) {
        std::fprintf(stderr, "kodra: encode: unknown type \"%s\" (use base64, uu, xx, binhex, qp or yenc)\n",
                     printable(options.type).c_str());
        return kFailure;
    }
    if (type->type == KODRA_YENC) return runYencEncode(options);
    if (!options.partSize.empty()) {
        std::fprintf(stderr, "kodra: encode: --part-size needs -t yenc\n");
        return kFailure;
    }
    std::vector<std::string> sources;
    std::vector<platform::FileIdentity> identities;
    for (const std::string& file : options.files) {
        sources.push_back(absolutePath(file));
        InputFacts input;
        if (!checkReadableFile(sources.back(), &input) || !checkPathLength(sources.back())) return kFailure;
        identities.push_back(input.identity);
    }
    // The output may be none of the sources, however it is spelled (a hard link, a
    // symbolic link, a path through a linked folder): they are compared as files.
    const platform::ProtectedFiles protectedSources{identities.data(), identities.size()};
    MessageOutput output;
    if (options.output.empty()) {
        if (!createDerivedOutput(sources.front(), *type, protectedSources, output)) return kFailure;
    } else {
        const std::string path = absolutePath(options.output);
        if (!checkPathLength(path) || !openGivenOutput(path, protectedSources, output)) return kFailure;
    }

    const std::string boundary = makeBoundary();
    const std::string from = options.from.empty() ? defaultSender() : options.from;
    const std::string subject = options.subject.empty() ? defaultSubject(options.files) : options.subject;
    if (!writeHeader(output, messageHeader(from, subject, boundary))) {
        discard(output);
        return kFailure;
    }

    SetEncodingApplication("kodra " KODRA_VERSION);
    const int flags = options.classic ? 0 : 1;
    for (const std::string& source : sources) {
        ProgressLine progress("encoding " + lastComponent(source));
        if (EncodeFileEx(source.c_str(), output.path.c_str(), boundary.c_str(), type->type, 1, flags) != 1) {
            reportError(source, "could not be encoded into " + output.path + " (read or write failed)");
            discard(output);
            return kFailure;
        }
    }
    if (FinishAttachments(output.path.c_str()) != 0) {
        reportError(output.path, "could not be completed");
        discard(output);
        return kFailure;
    }
    std::printf("%s\n", printable(output.path).c_str());
    return kSuccess;
}

}  // namespace

void addEncodeCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<EncodeOptions>();
    CLI::App* command = app.add_subcommand(
        "encode", "Write one MIME message carrying every FILE as an attachment, or one FILE as a yEnc posting");
    command->add_option("-t,--type", options->type, "base64 (default), uu, xx, binhex, qp or yenc");
    command->add_option("-o,--output", options->output,
                        "Message file to write (default: the first FILE with extension .MIM, .UUE, "
                        ".XXE, .HQX, .QP or .YNC, numbered when it exists)");
    command->add_option("--part-size", options->partSize,
                        "yenc: cut FILE into parts of SIZE bytes (k or m suffix), one file each: "
                        "the output, then its numbered names");
    command->add_flag("--classic", options->classic,
                      "Write the library's original part layout instead of the standard one");
    command->add_option("--subject", options->subject, "Subject (default: the file names)");
    command->add_option("--from", options->from, "Sender (default: user@host)");
    command->add_option("FILE", options->files, "Files to attach")->required();
    command->callback([options, &exitCode] { exitCode = runEncode(*options); });
}

}  // namespace kodra::cli
