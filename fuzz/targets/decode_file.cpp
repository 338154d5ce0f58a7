// DecodeFile in silent mode after GetNumFilesToDecode, on a file in a private folder: no
// question may be asked, nothing may appear outside the folder, and every name is a plain
// file name in it; the files the decode wrote must be exactly those the pre-scan listed, and
// no listed name may hold ";" or a control character; and a mode-1 decode given one fresh
// name per listed entry must create exactly those.
#include "fuzz_support.h"

#include <cstring>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodra::fuzz;
    Sandbox& sandbox = Sandbox::instance();
    const std::string input = sandbox.writeInput("message.txt", data, size);
    QuietInterface::questions() = 0;

    const int listed = GetNumFilesToDecode(input.c_str());
    check(listed >= 0, "GetNumFilesToDecode returned a negative count");
    std::set<std::string> predicted;
    char entry[1024];
    for (int i = 0; i < listed; ++i) {
        std::memset(entry, 0, sizeof entry);
        check(GetEncodedFile(entry, i) == 1, "GetEncodedFile lost a listed entry");
        const std::filesystem::path path(entry);
        check(path.parent_path() == sandbox.folder(), "pre-scan listed a path outside the folder:", entry);
        // A listed name must round-trip through a ";"-separated mode-1 list and never drive
        // a terminal.
        for (const char* c = entry; *c; ++c)
            check(*c != ';' && static_cast<unsigned char>(*c) >= 0x20 && *c != 0x7F,
                  "pre-scan listed a name with \";\" or a control character:", entry);
        predicted.insert(path.filename().string());
    }
    check(GetEncodedFile(entry, listed) == 0, "GetEncodedFile gave an entry past the count");
    predicted.erase("message.txt");  // the decode never writes over its input

    const int result = DecodeFile(input.c_str(), nullptr, 3);
    check(result >= 0 && result <= KODRA_QUOTED_PRINTABLE, "DecodeFile result out of range");
    check(QuietInterface::questions() == 0, "DecodeFile asked a question in silent mode");
    sandbox.checkNothingOutside();

    std::set<std::string> written = sandbox.names();
    check(written.erase("message.txt") == 1, "DecodeFile removed its input");
    for (const std::string& name : written)
        check(name.find_first_of("/\\") == std::string::npos && name != "." && name != "..",
              "DecodeFile wrote an unsafe name:", name);
    for (const std::string& name : written)
        check(predicted.count(name) == 1, "DecodeFile wrote a file the pre-scan did not list:", name);
    for (const std::string& name : predicted)
        check(written.count(name) == 1, "pre-scan listed a file DecodeFile did not write:", name);
    if (result != 0) check(!written.empty(), "DecodeFile reported a section but wrote no file");

    // Mode 1 takes one name per listed entry, in order: given as many fresh names as the
    // pre-scan listed, it creates each of them and nothing else.
    if (listed > 0) {
        std::error_code error;
        for (const std::string& name : written) std::filesystem::remove(sandbox.folder() / name, error);
        std::string names;
        std::set<std::string> fresh;
        for (int i = 0; i < listed; ++i) {
            const std::string name = "kodra-given-" + std::to_string(i);
            names += (i ? ";" : "") + sandbox.file(name.c_str());
            fresh.insert(name);
        }
        names += ";" + sandbox.file("kodra-given-spare");  // taken only by a section not listed
        DecodeFile(input.c_str(), names.c_str(), 1);
        check(QuietInterface::questions() == 0, "DecodeFile asked a question in mode 1");
        sandbox.checkNothingOutside();
        std::set<std::string> given = sandbox.names();
        check(given.erase("message.txt") == 1, "DecodeFile removed its input in mode 1");
        check(given == fresh, "mode 1 did not create exactly one given name per listed entry");
    }
    return 0;
}
