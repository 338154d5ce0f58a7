// The shared six-bit line decoder at every instruction-set level this processor has,
// against its scalar core: the first byte picks the table and the rules, the second
// shifts a UU count, the rest is the line. Input and output stand in buffers of exactly
// their sizes, so that a read or write beyond them is caught by AddressSanitizer.
#include "decode/six_bit_lines.h"
#include "fuzz_support.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using kodra::fuzz::check;
    using kodra::SimdLevel;
    using kodra::SixBitRules;
    using kodra::SixBitStop;
    if (size < 2) return 0;
    const kodra::DecodeTable* const tables[] = {&kodra::base64Table, &kodra::uuTable, &kodra::xxTable};
    const SixBitRules allRules[] = {SixBitRules::fileUu, SixBitRules::fileBase64, SixBitRules::bufferUu,
                                    SixBitRules::bufferBase64};
    const kodra::DecodeTable& table = *tables[data[0] % 3];
    const SixBitRules rules = allRules[data[0] / 3 % 4];
    const std::size_t length = size - 2;
    std::size_t count = length / 4 * 3;
    if (rules == SixBitRules::fileUu || rules == SixBitRules::bufferUu) {
        const std::size_t shift = data[1] % 16u;
        count = count + shift >= 8 ? count + shift - 8 : 0;
    }
    const std::unique_ptr<char[]> line(new char[length + 1]);
    std::memcpy(line.get(), data + 2, length);

    std::vector<std::uint8_t> scalarOut(count + 1, 0x5A);  // the spare byte must stay untouched
    const kodra::SixBitLineResult scalar =
        kodra::decodeSixBitLineAt(SimdLevel::scalar, line.get(), length, count, table, rules, scalarOut.data());
    check(scalar.bytes <= count || scalar.stop == SixBitStop::failed, "more bytes than the count");
    check(scalar.consumed <= length + 4, "consumed beyond the line");
    check(scalarOut[count] == 0x5A, "wrote beyond the count");
    for (const SimdLevel level : {SimdLevel::ssse3, SimdLevel::avx2}) {
        if (level > kodra::supportedSimdLevel()) break;
        std::vector<std::uint8_t> out(count + 1, 0x5A);
        const kodra::SixBitLineResult got =
            kodra::decodeSixBitLineAt(level, line.get(), length, count, table, rules, out.data());
        const std::string where = level == SimdLevel::avx2 ? "avx2" : "ssse3";
        check(got.stop == scalar.stop, "stop differs from scalar at", where);
        check(got.bytes == scalar.bytes, "bytes differ from scalar at", where);
        check(got.consumed == scalar.consumed, "consumed differs from scalar at", where);
        check(scalar.stop == SixBitStop::failed || out == scalarOut, "output differs from scalar at", where);
    }
    return 0;
}
