#include "yenc_posting.h"

#include <kodra32.h>

#include <cstdio>
#include <memory>

#include "exit_codes.h"
#include "file_checks.h"
#include "numbered_names.h"
#include "platform/platform.h"
#include "printable_text.h"

namespace kodra::cli {
namespace {

struct ContextCloser {
    void operator()(KodraContext* context) const { KodraCloseContext(context); }
};

// The number of files the library writes for size bytes.
unsigned long long partCount(unsigned long long size, long long partSize) {
    if (partSize <= 0 || size == 0) return 1;
    const auto bytes = static_cast<unsigned long long>(partSize);
    return (size - 1) / bytes + 1;
}

// True when nothing at all stands at first nor at the names of the parts after it.
bool familyIsFree(const std::string& first, unsigned long long parts) {
    std::string name = first;
    for (unsigned long long i = 0; i < parts; ++i, name = nextNumberedName(name))
        if (name.size() > kMaxPathLength || platform::pathExists(name.c_str())) return false;
    return true;
}

// The output named after source: its extension replaced by ".YNC", numbered until the whole
// family of part names is free. Empty (and reported) when no such name fits.
std::string derivedOutput(const std::string& source, unsigned long long parts) {
    const std::size_t nameStart = source.size() - lastComponent(source).size();
    std::size_t dot = source.rfind('.');
    if (dot == std::string::npos || dot < nameStart) dot = source.size();
    for (std::string candidate = source.substr(0, dot) + ".YNC"; candidate.size() <= kMaxPathLength;
         candidate = nextNumberedName(candidate))
        if (familyIsFree(candidate, parts)) return candidate;
    reportError(source, "no free output name fits the path limit; use -o");
    return std::string();
}

}  // namespace

int writeYencPosting(const std::string& source, const std::string& output, long long partSize) {
    const std::string sourcePath = absolutePath(source);
    InputFacts input;
    if (!checkReadableFile(sourcePath, &input) || !checkPathLength(sourcePath)) return kFailure;
    const unsigned long long parts = partCount(input.size, partSize);
    const std::string outputPath = output.empty() ? derivedOutput(sourcePath, parts) : absolutePath(output);
    if (outputPath.empty() || !checkPathLength(outputPath)) return kFailure;

    std::unique_ptr<KodraContext, ContextCloser> context(KodraOpenContext());
    if (!context) {
        reportError(sourcePath, "cannot be encoded: out of memory");
        return kFailure;
    }
    const int written = KodraEncodeFile(context.get(), sourcePath.c_str(), outputPath.c_str(), KODRA_YENC, partSize);
    if (written <= 0) {
        reportError(sourcePath, "could not be encoded into " + outputPath +
                                    " (an output name is a link, a folder or the source, or a read or write failed)");
        return kFailure;
    }
    std::string name = outputPath;
    for (int i = 0; i < written; ++i, name = nextNumberedName(name)) std::printf("%s\n", printable(name).c_str());
    return kSuccess;
}

}  // namespace kodra::cli
