// The scratch file of GetMessageText, used only through the handle that created it.
#pragma once

#include "frame/stdio_file.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdio>
#include <string>

namespace kodra {

// Created new (never through a link, never over anything standing there), then written,
// resized, rewound and read only through its own stream, so that whatever is put at its
// name afterwards is never touched; removed at the end only while its name still leads
// to it.
class IntermediateFile {
public:
    IntermediateFile() = default;
    IntermediateFile(const IntermediateFile&) = delete;
    IntermediateFile& operator=(const IntermediateFile&) = delete;
    ~IntermediateFile();

    // Creates folder + base + "." + n for the first n from 1 to 999 whose name is free and
    // differs from `avoid`. False when none could be made.
    bool create(const std::string& folder, const char* base, const std::string& avoid);

    std::FILE* file() const noexcept { return file_.get(); }
    const std::string& path() const noexcept { return path_; }
    const platform::FileIdentity& identity() const noexcept { return identity_; }

    long position() const noexcept { return std::ftell(file_.get()); }
    void seek(long offset) const noexcept { std::fseek(file_.get(), offset, SEEK_SET); }
    bool write(const char* bytes, std::size_t size) const noexcept;
    bool write(const char* text) const noexcept;

    // Empties the file and starts writing at its beginning again. False on failure.
    bool restart() const noexcept;

    // Cuts off whatever lies beyond the current position (writes that stepped back over
    // a line may have left a longer tail) and rewinds for reading. False on a write error.
    bool finish() const noexcept;

    // Hands the stream over (the file is still removed by this object).
    StdioFile release() noexcept { return std::move(file_); }

private:
    StdioFile file_;
    std::string path_;
    platform::FileIdentity identity_{};
};

}  // namespace kodra
