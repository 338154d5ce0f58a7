// kodra encode: one multipart message carrying every FILE as an attachment.
#include <CLI/CLI.hpp>
#include <kodra32.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "commands.h"
#include "encoding_types.h"
#include "exit_codes.h"
#include "file_checks.h"
#include "message_header.h"
#include "progress_line.h"

namespace kodra::cli {
namespace {

struct EncodeOptions {
    std::string type = "base64";
    std::string output;
    std::string subject;
    std::string from;
    bool classic = false;
    std::vector<std::string> files;
};

// The first file's path with its extension replaced by the type's, numbered by the
// library until it names nothing that exists; empty when no such name fits.
std::string derivedOutputPath(const std::string& source, const EncodingType& type) {
    const std::size_t nameStart = source.size() - lastComponent(source).size();
    std::size_t dot = source.rfind('.');
    if (dot == std::string::npos || dot < nameStart) dot = source.size();
    const std::string proposal = source.substr(0, dot) + type.extension;
    if (proposal.size() > kMaxPathLength) return {};
    std::vector<char> buffer(kMaxPathLength + 1, '\0');
    std::memcpy(buffer.data(), proposal.c_str(), proposal.size() + 1);
    if (GetUniqueFileName(buffer.data()) != 0) return {};
    return buffer.data();
}

std::string defaultSubject(const std::vector<std::string>& files) {
    std::string subject;
    for (const std::string& file : files) subject += (subject.empty() ? "" : ", ") + lastComponent(file);
    return subject;
}

// Writes text to a new file at path; false (and reported) when it cannot.
bool writeNewFile(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        reportError(path, std::strerror(errno));
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written) {
        reportError(path, "cannot write the message header");
        return false;
    }
    return true;
}

int runEncode(const EncodeOptions& options) {
    const EncodingType* type = findEncodingType(options.type);
    if (!type) {
        std::fprintf(stderr, "kodra: encode: unknown type \"%s\" (use base64, uu, xx, binhex or qp)\n",
                     options.type.c_str());
        return kFailure;
    }
    std::vector<std::string> sources;
    for (const std::string& file : options.files) {
        sources.push_back(absolutePath(file));
        if (!checkReadableFile(sources.back())) return kFailure;
    }
    const std::string output =
        options.output.empty() ? derivedOutputPath(sources.front(), *type) : absolutePath(options.output);
    if (output.empty()) {
        reportError(options.files.front(), "no free output name fits the path limit; use -o");
        return kFailure;
    }
    for (const std::string& source : sources) {
        if (source == output) {
            reportError(output, "is both an input and the output");
            return kFailure;
        }
    }

    const std::string boundary = makeBoundary();
    const std::string from = options.from.empty() ? defaultSender() : options.from;
    const std::string subject = options.subject.empty() ? defaultSubject(options.files) : options.subject;
    if (!writeNewFile(output, messageHeader(from, subject, boundary))) return kFailure;

    SetEncodingApplication("kodra " KODRA_VERSION);
    const int flags = options.classic ? 0 : 1;
    for (const std::string& source : sources) {
        ProgressLine progress("encoding " + lastComponent(source));
        if (EncodeFileEx(source.c_str(), output.c_str(), boundary.c_str(), type->type, 1, flags) != 1) {
            reportError(source, "could not be encoded into " + output + " (read or write failed)");
            std::remove(output.c_str());
            return kFailure;
        }
    }
    if (FinishAttachments(output.c_str()) != 0) {
        reportError(output, "could not be completed");
        std::remove(output.c_str());
        return kFailure;
    }
    std::printf("%s\n", output.c_str());
    return kSuccess;
}

}  // namespace

void addEncodeCommand(CLI::App& app, int& exitCode) {
    auto options = std::make_shared<EncodeOptions>();
    CLI::App* command = app.add_subcommand(
        "encode", "Write one MIME message carrying every FILE as an attachment");
    command->add_option("-t,--type", options->type, "base64 (default), uu, xx, binhex or qp");
    command->add_option("-o,--output", options->output,
                        "Message file to write (default: the first FILE with extension .MIM, .UUE, "
                        ".XXE, .HQX or .QP, numbered when it exists)");
    command->add_flag("--classic", options->classic,
                      "Write the library's original part layout instead of the standard one");
    command->add_option("--subject", options->subject, "Subject (default: the file names)");
    command->add_option("--from", options->from, "Sender (default: user@host)");
    command->add_option("FILE", options->files, "Files to attach")->required();
    command->callback([options, &exitCode] { exitCode = runEncode(*options); });
}

}  // namespace kodra::cli
