// GetMessageText on a message in a private folder: nothing may appear outside it, no
// question may be asked, the message is never changed (the target may be the message
// itself, or hold a ";"), and nothing but the target is left beside it.
#include "fuzz_support.h"

#include <cstring>
#include <vector>

namespace {

std::vector<std::uint8_t> readAll(const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        std::uint8_t chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.insert(bytes.end(), chunk, chunk + got);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodra::fuzz;
    Sandbox& sandbox = Sandbox::instance();
    const std::string path = sandbox.writeInput("message.eml", data, size);
    QuietInterface::questions() = 0;

    // The input's size picks the target, leaving the bytes a message.
    const char* const targets[] = {"text.txt", "message.eml", "a;b.txt", nullptr};
    const char* target = targets[size % 4];
    const std::string targetPath = target ? std::string(target) : path;
    const bool isMessage = !target || std::strcmp(target, "message.eml") == 0;

    const int result = GetMessageText(path.c_str(), targetPath.c_str());
    check(result >= 0 && result <= KODRA_QUOTED_PRINTABLE, "GetMessageText result out of range");
    check(!isMessage || result == 0, "GetMessageText accepted the message as its target");
    check(QuietInterface::questions() == 0, "GetMessageText asked a question");
    const std::vector<std::uint8_t> after = readAll(path);
    check(after.size() == size && (size == 0 || std::memcmp(after.data(), data, size) == 0),
          "GetMessageText changed the message");
    sandbox.checkNothingOutside();
    for (const std::string& name : sandbox.names())
        check(name == "message.eml" || (target && name == target), "GetMessageText left a file beside the message:",
              name);
    return 0;
}
