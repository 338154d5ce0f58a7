// Listing archive inputs as units of work, and reading a unit's bytes.
#include "archive/archive_units.h"
#include "archive/folder_units.h"
#include "archive/mbox_file.h"
#include "archive/mbox_from_lines.h"
#include "frame/stdio_file.h"
#include "platform/platform.h"

#include <new>

namespace kodra {
namespace {

void ignoreName(void*, const char*) {}

bool isFolder(const std::string& path) {
    platform::PathInfo info;
    return platform::inspectPath(path.c_str(), info) && info.kind == platform::PathKind::folder;
}

// A file input: an mbox when its first line begins "From ", else one message.
void listFile(const std::string& input, std::size_t inputIndex, std::size_t chunkSize, StdioFile file,
              ArchiveListing& listing) {
    char start[5] = {};
    const std::size_t got = std::fread(start, 1, sizeof start, file.get());
    if (std::ferror(file.get())) {
        listing.error = "cannot read the file";
        return;
    }
    if (std::string_view(start, got) == kMboxFromPrefix) {
        listing.kind = ArchiveKind::mbox;
        std::vector<MboxRange> ranges;
        if (!cutMboxFile(file.get(), chunkSize, ranges, listing.error)) return;
        for (const MboxRange& range : ranges) {
            ArchiveUnit unit;
            unit.input = inputIndex;
            unit.kind = ArchiveKind::mbox;
            unit.path = input;
            unit.offset = range.offset;
            unit.size = range.size;
            listing.bytes += range.size;
            listing.units.push_back(std::move(unit));
        }
        return;
    }
    listing.kind = ArchiveKind::message;
    ArchiveUnit unit;
    unit.input = inputIndex;
    unit.kind = ArchiveKind::message;
    unit.path = input;
    unit.size = static_cast<long long>(platform::sizeOfOpenFile(file.get()));
    listing.bytes = unit.size;
    listing.units.push_back(std::move(unit));
}

void listFolderInput(const std::string& input, std::size_t inputIndex, ArchiveListing& listing) {
    if (!platform::listFolder(input.c_str(), ignoreName, nullptr)) {
        listing.kind = ArchiveKind::folder;
        listing.error = "cannot read the folder";
        return;
    }
    if (isFolder(joinPath(input, "cur")) || isFolder(joinPath(input, "new"))) {
        listing.kind = ArchiveKind::maildir;
        listMaildirUnits(input, inputIndex, listing);
    } else {
        listing.kind = ArchiveKind::folder;
        listFolderUnits(input, inputIndex, listing);
    }
}

}  // namespace

ArchiveListing listArchiveUnits(const std::string& input, std::size_t inputIndex, std::size_t chunkSize) {
    ArchiveListing listing;
    try {
        if (input == "-") {
            listing.kind = ArchiveKind::standardInput;
            ArchiveUnit unit;
            unit.input = inputIndex;
            unit.kind = ArchiveKind::standardInput;
            unit.path = input;
            listing.units.push_back(std::move(unit));
            return listing;
        }
        platform::PathInfo info;
        if (!platform::inspectPath(input.c_str(), info)) {
            listing.error = "cannot inspect the path";
            return listing;
        }
        switch (info.kind) {
            case platform::PathKind::missing:
                listing.error = "no such file or folder";
                return listing;
            case platform::PathKind::folder:
                listFolderInput(input, inputIndex, listing);
                return listing;
            case platform::PathKind::regularFile:
            case platform::PathKind::symbolicLink:
            case platform::PathKind::other:
                break;
        }
        // An input named by the user may be reached through a link, to a file or a folder.
        if (StdioFile file{platform::openInputFile(input.c_str())}) {
            listFile(input, inputIndex, chunkSize, std::move(file), listing);
        } else if (info.kind == platform::PathKind::symbolicLink &&
                   platform::listFolder(input.c_str(), ignoreName, nullptr)) {
            listFolderInput(input, inputIndex, listing);
        } else {
            listing.error = info.kind == platform::PathKind::other ? "not a regular file or folder"
                                                                   : "cannot open the file";
        }
    } catch (const std::bad_alloc&) {
        listing.units.clear();
        listing.error = "out of memory";
    }
    return listing;
}

bool readArchiveUnit(const ArchiveUnit& unit, std::string& bytes, std::string& error) {
    const auto fail = [&](const std::string& reason) {
        bytes.clear();
        error = reason;
        return false;
    };
    if (!unit.error.empty()) return fail(unit.error);
    if (unit.kind == ArchiveKind::standardInput) return fail("standard input is read as a stream");
    const StdioFile file(platform::openInputFile(unit.path.c_str()));
    if (!file) return fail("cannot open the file");
    try {
        if (unit.kind == ArchiveKind::mbox) {
            if (unit.offset < 0 || unit.size < 0 ||
                !platform::seekInputFile(file.get(), static_cast<std::uint64_t>(unit.offset)))
                return fail("cannot seek in the file");
            // Resized, not cleared first: the buffer is read over unit after unit, and only
            // the bytes it grows by are zeroed.
            bytes.resize(static_cast<std::size_t>(unit.size));
            const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file.get());
            if (got != bytes.size())
                return fail(std::ferror(file.get()) ? "cannot read the file" : "the file is shorter than when it was listed");
            return true;
        }
        // A message file is read whole, as it is now.
        bytes.clear();
        bytes.reserve(static_cast<std::size_t>(platform::sizeOfOpenFile(file.get())));
        char chunk[64 * 1024];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;) bytes.append(chunk, got);
        if (std::ferror(file.get())) return fail("cannot read the file");
    } catch (const std::bad_alloc&) {
        return fail("out of memory");
    }
    return true;
}

bool readStandardInputMbox(std::size_t chunkSize,
                           const std::function<bool(long long offset, std::string_view block)>& visit) {
    return readMboxStream(platform::standardInput(), chunkSize, visit);
}

}  // namespace kodra
