// GetMessageInfo and GetMessageHeaderField on a message file: every field a terminated
// text, the record released without leaks, the field copy cut to the buffer.
#include "fuzz_support.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kodra::fuzz;
    Sandbox& sandbox = Sandbox::instance();
    const std::string path = sandbox.writeInput("message.eml", data, size);

    MessageInfoRecord record;
    std::memset(&record, 0x5a, sizeof record);
    check(GetMessageInfo(path.c_str(), &record) == 1, "GetMessageInfo could not read a readable file");
    const char* fields[] = {record.received, record.from,    record.to,           record.subject,   record.date,
                            record.cc,       record.replyTo, record.organization, record.headerBlock};
    std::size_t total = 0;
    for (const char* field : fields)
        if (field) total += std::strlen(field);
    (void)total;
    FreeMessageInfo(&record);
    for (const char* field : {record.received, record.headerBlock})
        check(field == nullptr, "FreeMessageInfo left a field set");

    // The input's size picks the field and the buffer length, leaving the bytes a message.
    const auto selector = static_cast<unsigned>(size % 10u);
    const int length = 2 + static_cast<int>(size / 10u % 40u);
    std::vector<char> buffer(static_cast<std::size_t>(length), '\x55');
    check(GetMessageHeaderField(path.c_str(), buffer.data(), length, selector) == 1,
          "GetMessageHeaderField could not read a readable file");
    check(std::memchr(buffer.data(), '\0', buffer.size()) != nullptr, "GetMessageHeaderField left no NUL");
    sandbox.checkNothingOutside();
    return 0;
}
