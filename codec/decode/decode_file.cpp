#include "decode/decode_file.h"

#include "frame/context.h"
#include "frame/file_name_limit.h"
#include "frame/file_names.h"

#include <cstring>

namespace kodra {
namespace {

// GetEncodedFile's caller hands a buffer of this many bytes, NUL included.
constexpr std::size_t kEncodedFileBuffer = 1024;

// folderPrefix (ending in a separator) and then name, cut and made safe.
std::string pathIn(std::string path, const char* name) {
    // A name longer than the system allows keeps its end, where the extension is.
    const std::size_t room = path.size() < platform::kSystemPathLimit ? platform::kSystemPathLimit - path.size() : 0;
    const std::string_view whole(name);
    path += whole.substr(fileNameTailStart(whole, room < kMaxFileNameBytes ? room : kMaxFileNameBytes));
    makeSafeFileName(&path[0]);
    return path;
}

}  // namespace

std::string outputPathFor(const char* inputPath, const char* name) {
    std::string folder;
    if (const char* separator = platform::lastPathSeparator(inputPath))
        folder.assign(inputPath, static_cast<std::size_t>(separator - inputPath) + 1);
    else
        folder = "./";  // a bare input name lies in the current folder
    return pathIn(std::move(folder), name);
}

std::string outputPathInFolder(const char* folder, const char* name) {
    std::string prefix(folder);
    if (prefix.empty()) prefix = ".";
    // The folder's own separator, or one added; outputPathFor finds the last one.
    const std::string probe = prefix + "x";
    const char* separator = platform::lastPathSeparator(probe.c_str());
    if (!separator || static_cast<std::size_t>(separator - probe.c_str()) != prefix.size() - 1) prefix += '/';
    return pathIn(std::move(prefix), name);
}

Encoding decodeFile(Context& context, const char* path, const char* names, int mode) noexcept {
    if (!path) return Encoding::none;
    DecodeInput input;
    input.path = path;
    DecodeTarget target;
    target.mode = mode;
    target.names = names ? names : "";
    return runDecode(context.ui, std::move(input), target).last;
}

Encoding decodeStreamTo(StdioFile input, const char* target, platform::ProtectedFiles refused) noexcept {
    if (!input || !target) return Encoding::none;
    DecodeInput from;
    from.stream = std::move(input);
    from.classicText = true;  // GetMessageText's intermediate file, in CR LF lines
    DecodeTarget to;
    to.kind = Destination::literal;
    to.literal = target;
    to.refused = refused;
    return runDecode(defaultContext().ui, std::move(from), to).last;
}

int listFilesToDecode(Context& context, const char* path) noexcept {
    if (!path) return 0;
    // An input that cannot be opened leaves the earlier list in place.
    if (std::FILE* probe = platform::openInputFile(path)) std::fclose(probe);
    else return 0;
    NameList& list = context.decodeNames;
    list.reset();
    DecodeInput input;
    input.path = path;
    DecodeTarget target;
    target.kind = Destination::listNames;
    target.listing = &list;
    runDecode(context.ui, std::move(input), target);
    return list.count();
}

int copyFileToDecode(Context& context, char* buffer, int index) noexcept {
    const char* entry = context.decodeNames.getAt(index);
    if (!entry || !buffer) return 0;
    const std::size_t length = std::strlen(entry);
    if (length >= kEncodedFileBuffer) return 0;
    std::memcpy(buffer, entry, length + 1);
    return 1;
}

}  // namespace kodra
