// Where a join's parts go: files in a folder (written under a temporary name and given
// their final name only when complete, else the name with ".incomplete"), or a caller's
// sink (told KODRA_PART_FAILED for what is not complete). Parts are numbered across the
// whole job.
#pragma once

#include "frame/stdio_file.h"
#include "kodra32.h"
#include "platform/platform.h"

#include <string>

namespace kodra {

class JoinOutput {
public:
    // Files in folder; mode 1 takes output paths from names in order (the last one reused).
    JoinOutput(const char* folder, int mode, const char* names, platform::ProtectedFiles inputs) noexcept
        : folder_(folder), mode_(mode), names_(names ? names : ""), inputs_(inputs) {}
    explicit JoinOutput(const KodraSink& sink) noexcept : sink_(&sink) {}
    JoinOutput(const JoinOutput&) = delete;
    JoinOutput& operator=(const JoinOutput&) = delete;
    ~JoinOutput();

    bool toFolder() const noexcept { return folder_ != nullptr; }
    const char* folder() const noexcept { return folder_; }
    int mode() const noexcept { return mode_; }
    // The mode-1 names not taken yet; the folder decodes of ordinary stretches continue them.
    const char* names() const noexcept { return names_; }
    void setNames(const char* names) noexcept { names_ = names ? names : ""; }
    // The next part index a sink is told.
    int& partIndex() noexcept { return index_; }

    // Begins a part called name (as found in the content); false when it is not taken (the
    // sink declined it, or no file could be made): its bytes are then dropped.
    bool begin(const std::string& name, int encoding, long long offset) noexcept;
    // The part's next bytes; false once it has failed.
    bool write(const void* data, std::size_t size) noexcept;
    // Ends the part: complete gives it its final name (sink: DECODED), else it is marked.
    // Returns whether the part reached its final name (sink: DECODED was told).
    bool end(bool complete) noexcept;
    // The file the last part ended in (empty: none, or a sink).
    const std::string& writtenPath() const noexcept { return written_; }

private:
    std::string takeOutputPath(const std::string& name);

    const char* folder_ = nullptr;
    int mode_ = 3;
    const char* names_ = "";
    platform::ProtectedFiles inputs_{};
    const KodraSink* sink_ = nullptr;
    int index_ = 0;

    bool open_ = false, failed_ = false, skipped_ = false;
    KodraPart part_{};
    std::string name_, nameUtf8_;
    StdioFile file_;
    std::string temporary_, final_, written_;
    platform::FileIdentity identity_{};
    int temporaries_ = 0;
};

}  // namespace kodra
