// DecodeBuffer with every type: the first byte picks the type, the rest is the input. The
// input and the output stand in buffers of exactly the documented sizes, so that a read
// past the input or a write past the output room is caught by AddressSanitizer.
#include "fuzz_support.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kodra::fuzz::check;
    if (size < 1) return 0;
    static const int kTypes[] = {KODRA_UUENCODE, KODRA_BASE64, KODRA_XXENCODE, KODRA_QUOTED_PRINTABLE,
                                 KODRA_BINHEX, 0, -1, 6};
    const int type = kTypes[data[0] % (sizeof kTypes / sizeof kTypes[0])];
    const std::size_t length = size - 1;
    if (length > 1u << 24) return 0;
    std::vector<char> input(data + 1, data + size);
    const int n = static_cast<int>(length);

    std::size_t room = 1;
    if (type == KODRA_QUOTED_PRINTABLE)
        room = length + (length > 0 && input[length - 1] == '\0' ? 0 : 1);
    else if (type == KODRA_UUENCODE || type == KODRA_BASE64 || type == KODRA_XXENCODE)
        room = 3 * (length / 4) + 3;
    // A fresh heap block of the exact room: the tail of the vector is the red zone.
    std::vector<char> output(room, '\x55');
    const int got = DecodeBuffer(input.empty() ? "" : input.data(), output.data(), n, type);
    check(got >= 0 && static_cast<std::size_t>(got) <= room, "DecodeBuffer result out of range");
    if (type != KODRA_UUENCODE && type != KODRA_BASE64 && type != KODRA_XXENCODE && type != KODRA_QUOTED_PRINTABLE) {
        check(got == 0, "DecodeBuffer decoded an unknown type");
        for (char c : output) check(c == '\x55', "DecodeBuffer wrote for an unknown type");
    }
    check(DecodeBuffer(nullptr, output.data(), n, type) == 0, "DecodeBuffer accepted a null input");
    check(DecodeBuffer(input.data(), output.data(), -1 - n, type) == 0, "DecodeBuffer accepted a negative length");
    return 0;
}
