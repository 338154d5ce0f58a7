// GetMessageText on a message in a private folder: nothing may appear outside it, no
// question may be asked, and the intermediate file is always gone afterwards.
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodra::fuzz;
    Sandbox& sandbox = Sandbox::instance();
    const std::string path = sandbox.writeInput("message.eml", data, size);
    QuietInterface::questions() = 0;

    const int result = GetMessageText(path.c_str(), "text.txt");
    check(result >= 0 && result <= KODRA_QUOTED_PRINTABLE, "GetMessageText result out of range");
    check(QuietInterface::questions() == 0, "GetMessageText asked a question");
    sandbox.checkNothingOutside();
    for (const std::string& name : sandbox.names())
        check(name.rfind("54sfh$42", 0) != 0, "GetMessageText left its intermediate file:", name);
    return 0;
}
