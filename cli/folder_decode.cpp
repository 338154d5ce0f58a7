#include "folder_decode.h"

#include <kodra32.h>

#include <cstdio>

#include "exit_codes.h"
#include "file_checks.h"
#include "output_names.h"
#include "platform/platform.h"
#include "prescan.h"
#include "printable_text.h"
#include "progress_line.h"

namespace kodra::cli {
namespace {

// DecodeFile's mode that takes the output paths, in order, from a ";"-separated list.
constexpr int kSilentWithNames = 1;

// A private folder beside the outputs, holding the one path the library gets after the
// listed ones: a file there means the message held more sections than were listed.
class OverflowCheck {
public:
    explicit OverflowCheck(const std::string& folder) {
        std::string pattern = folder + ".kodra-XXXXXX";
        if (platform::createPrivateFolder(pattern.data())) folder_ = pattern;
    }
    ~OverflowCheck() {
        if (folder_.empty()) return;
        platform::PathInfo info;
        if (platform::inspectPath(path().c_str(), info) && info.kind == platform::PathKind::regularFile)
            platform::deleteCreatedFile(path().c_str(), info.identity);
        platform::removeEmptyFolder(folder_.c_str());
    }
    OverflowCheck(const OverflowCheck&) = delete;
    OverflowCheck& operator=(const OverflowCheck&) = delete;

    bool ready() const { return !folder_.empty(); }
    std::string path() const { return folder_ + "/extra-section"; }
    // True when a section beyond the listed ones was written here.
    bool overflowed() const { return platform::pathExists(path().c_str()); }

private:
    std::string folder_;
};

// The regular file now standing at path, if any.
bool writtenFile(const std::string& path, platform::FileIdentity& identity) {
    platform::PathInfo info;
    if (!platform::inspectPath(path.c_str(), info) || info.kind != platform::PathKind::regularFile) return false;
    identity = info.identity;
    return true;
}

}  // namespace

int decodeIntoFolder(const std::string& path, const std::string& file, const std::string& folder,
                     const std::vector<std::string>& givenNames) {
    // The pre-scan lists one entry per section that takes a name from the list, in order;
    // pairing stays 1:1 because every section gets a path of its own.
    const std::vector<std::string> sections = prescanNames(path);
    std::vector<std::string> wanted;
    for (std::size_t i = 0; i < sections.size(); ++i)
        wanted.push_back(i < givenNames.size() ? givenNames[i] : lastComponent(sections[i]));
    const std::vector<std::string> paths = folderPaths(folder, wanted);
    if (paths.size() != wanted.size()) {
        reportError(folder, "folder path too long to hold output names");
        return kFailure;
    }
    OverflowCheck overflow(folder);
    if (!overflow.ready()) {
        reportError(folder, "cannot make a private working folder in it");
        return kFailure;
    }

    // After the sections' own paths: the overflow check, then the folder itself, which the
    // library refuses to write to; it reuses that last entry for any section beyond, so no
    // two sections ever share a file.
    std::string names;
    for (const std::string& output : paths) names += output + ";";
    names += overflow.path() + ";" + folder + ".";

    {
        ProgressLine progress("decoding " + lastComponent(path));
        DecodeFile(path.c_str(), names.c_str(), kSilentWithNames);
    }

    std::vector<platform::FileIdentity> identities(paths.size());
    std::vector<bool> written(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) written[i] = writtenFile(paths[i], identities[i]);

    if (overflow.overflowed()) {
        // The list and the sections disagree: a file may hold another section's bytes
        // under this one's name, so none of them is kept.
        for (std::size_t i = 0; i < paths.size(); ++i)
            if (written[i]) platform::deleteCreatedFile(paths[i].c_str(), identities[i]);
        reportError(file, "holds more sections than the library's pre-scan listed (" +
                              std::to_string(paths.size()) +
                              "); their names cannot be paired with their contents, so nothing was kept");
        return kFailure;
    }

    int exitCode = kSuccess;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (written[i]) std::printf("%s\n", printable(paths[i]).c_str());
    std::fflush(stdout);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (written[i]) continue;
        reportError(file, "section " + std::to_string(i + 1) + " (" + wanted[i] + ") was not written to " +
                              paths[i]);
        exitCode = kFailure;
    }
    if (paths.empty()) {
        reportError(file, "nothing decoded (no encoded section found)");
        return kNothingFound;
    }
    return exitCode;
}

}  // namespace kodra::cli
