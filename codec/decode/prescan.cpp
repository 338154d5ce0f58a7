// The pre-scan: the names of the files a decode of a text file would write.
#include "binhex/binhex.h"
#include "decode/boundary_list.h"
#include "decode/decode_file.h"
#include "decode/section_scanner.h"
#include "frame/library_state.h"
#include "frame/line_reader.h"

#include <cstring>
#include <memory>
#include <new>

namespace kodra {
namespace {

constexpr int kLinesWithoutName = 2000;
constexpr std::size_t kUnnamedDataMinimum = 20;

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// Unnamed data: more than 20 characters, every one in the alphabet of the table.
bool looksLikeUnnamedData(const char* line, const DecodeTable& table) noexcept {
    std::size_t length = 0;
    for (; line[length]; ++length)
        if (lookupSymbol(table, line[length]) == kNotInAlphabet) return false;
    return length > kUnnamedDataMinimum;
}

}  // namespace

int listFilesToDecode(const char* path) noexcept {
    if (!path) return 0;
    std::unique_ptr<char[]> line(new (std::nothrow) char[kLineBufferSize]());
    std::unique_ptr<char[]> lower(new (std::nothrow) char[kLineBufferSize]());
    std::unique_ptr<char[]> name(new (std::nothrow) char[kLineBufferSize]());
    if (!line || !lower || !name) return 0;
    std::unique_ptr<std::FILE, FileCloser> input(std::fopen(path, "rb"));
    if (!input) return 0;
    NameList& list = libraryState().decodeNames;
    list.reset();
    try {
        BoundaryList boundaries;
        ScanState scan;
        int redeliver = 1;
        for (int lines = 0; lines < kLinesWithoutName || list.count() > 0; ++lines) {
            if (!readTextLine(&redeliver, input.get(), line.get())) break;
            const std::size_t length = std::min(std::strlen(line.get()), static_cast<std::size_t>(kMaxLineLength));
            std::memcpy(lower.get(), line.get(), length);
            lower[length] = '\0';
            lowerCaseText(lower.get());
            const int found = scanSectionLine(boundaries, input.get(), lower.get(), line.get(), name.get(), scan);
            if (scan.table && list.count() == 0 && name[0] == '\0' && looksLikeUnnamedData(line.get(), *scan.table))
                std::memcpy(name.get(), "NONAME.DAT", sizeof "NONAME.DAT");
            if (name[0] == '\0') continue;
            list.add(outputPathFor(path, name.get()).c_str());
            name[0] = '\0';
            // Read through what a decode writes in one go, as the decode does.
            if (found == kBinHexSection) {
                decodeBinHexForks(input.get(), nullptr, line.get());
                scan.table = nullptr;
            } else if (found == kTextSection) {
                copyTextSection(boundaries, input.get(), nullptr, line.get(), scan.quotedPrintable);
                scan.table = nullptr;
            }
        }
    } catch (const std::bad_alloc&) {
        // A name that could not be built is missing, as one the list could not take.
    }
    return list.count();
}

int copyFileToDecode(char* buffer, int index) noexcept {
    const char* entry = libraryState().decodeNames.getAt(index);
    if (!entry || !buffer) return 0;
    const std::size_t length = std::strlen(entry);
    if (length > static_cast<std::size_t>(kMaxLineLength)) return 0;  // would not fit 1024 bytes
    std::memcpy(buffer, entry, length + 1);
    return 1;
}

}  // namespace kodra
