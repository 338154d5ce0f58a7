#include "decode/decode_group.h"

#include <gtest/gtest.h>

#include <string>

namespace kodra {
namespace {

struct GroupCase {
    const char* name;
    std::string symbols;
    const DecodeTable* table;
    int wantCount;
    std::string wantBytes;
};

TEST(DecodeGroup, Groups) {
    const GroupCase cases[] = {
        // RFC 4648 section 10 vectors, one group each.
        {"base64 full", "YWJj", &base64Table, 3, "abc"},
        {"base64 one pad", "Zm8=", &base64Table, 2, "fo"},
        {"base64 two pads", "Zg==", &base64Table, 1, "f"},
        {"base64 starts with pad", "=abc", &base64Table, 0, ""},
        {"base64 second not in alphabet", "Y*Jj", &base64Table, 0, ""},
        {"base64 high byte in last place", "YWJ\xE9", &base64Table, 0, ""},
        {"base64 high byte in first place", "\xE9WJj", &base64Table, 0, ""},
        {"uu space and grave are zero", " `  ", &uuTable, 3, std::string(3, '\0')},
        {"uu letters", "86)C", &uuTable, 3, "abc"},
        {"xx letters", "MK7X", &xxTable, 3, "abc"},
        {"xx outside alphabet", "N/-X", &xxTable, 0, ""},
    };
    for (const GroupCase& c : cases) {
        std::uint8_t out[3] = {0xAA, 0xAA, 0xAA};
        const int got = decodeGroup(c.symbols.data(), c.symbols.size(), out, *c.table);
        EXPECT_EQ(got, c.wantCount) << c.name;
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), static_cast<std::size_t>(got)), c.wantBytes)
            << c.name;
    }
}

TEST(DecodeGroup, NeverReadsBeyondWhatIsAvailable) {
    // Symbols past `available` count as outside the alphabet, even if memory holds valid ones.
    const char symbols[] = "YWJj";
    std::uint8_t out[3];
    EXPECT_EQ(decodeGroup(symbols, 3, out, base64Table), 2);
    EXPECT_EQ(decodeGroup(symbols, 2, out, base64Table), 1);
    EXPECT_EQ(decodeGroup(symbols, 1, out, base64Table), 0);
    EXPECT_EQ(decodeGroup(symbols, 0, out, base64Table), 0);
}

TEST(DecodeGroup, EveryHighCodeInvalidatesTheGroup) {
    for (int code = 128; code < 256; ++code) {
        for (std::size_t position = 0; position < 4; ++position) {
            std::string symbols = "QUJD";
            symbols[position] = static_cast<char>(code);
            std::uint8_t out[3];
            ASSERT_EQ(decodeGroup(symbols.data(), 4, out, base64Table), 0)
                << "code " << code << " at " << position;
            ASSERT_EQ(decodeGroup(symbols.data(), 4, out, uuTable), 0);
        }
    }
}

TEST(DecodeTables, AlphabetsAreExactlyTheirCharacters) {
    int base64Members = 0, uuMembers = 0, xxMembers = 0;
    for (int code = 0; code < 128; ++code) {
        base64Members += base64Table[static_cast<std::size_t>(code)] != kNotInAlphabet;
        uuMembers += uuTable[static_cast<std::size_t>(code)] != kNotInAlphabet;
        xxMembers += xxTable[static_cast<std::size_t>(code)] != kNotInAlphabet;
    }
    EXPECT_EQ(base64Members, 64);
    EXPECT_EQ(uuMembers, 65) << "space and grave accent both stand for zero";
    EXPECT_EQ(xxMembers, 64);
    EXPECT_EQ(lookupSymbol(base64Table, static_cast<char>(0xC1)), kNotInAlphabet);
}

}  // namespace
}  // namespace kodra
