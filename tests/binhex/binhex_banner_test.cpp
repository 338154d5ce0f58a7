// Whole messages whose BinHex 4.0 banner stands after blanks or tabs, decoded to files.
#include "binhex/binhex_test_support.h"
#include "kodra32.h"
#include "support/scripted_user_interface.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kodra {
namespace {

TEST(BinHexBanner, IndentedBannerIsDecoded) {
    const test::Bytes data = {'K', 'o', 'd', 'r', 'a', 0x90, 0, 1, 2, '\r', '\n'};
    const std::string section = test::plainBinHexSection("indented.txt", data);
    struct Case {
        const char* name;
        std::string indent;
        bool wantFile;
    };
    const Case cases[] = {
        {"no indent", "", true},
        {"one blank", " ", true},
        {"blanks", "    ", true},
        {"tab", "\t", true},
        {"blanks and tabs", " \t  \t", true},
        {"quoted", "> ", false},
        {"text first", "x ", false},
    };
    for (const Case& c : cases) {
        test::TempFolder folder;
        const std::string message = "From: a@example.org\r\nSubject: BinHex\r\n\r\nHere it is:\r\n\r\n" + c.indent +
                                    section + "\r\nBye\r\n";
        test::writeFile(folder.path() / "msg.txt", test::Bytes(message.begin(), message.end()));
        testing::ScriptedUserInterface ui;
        const int result = DecodeFile(folder.file("msg.txt").c_str(), nullptr, 3);
        const int wantResult = c.wantFile ? KODRA_BINHEX : 0;
        EXPECT_EQ(result, wantResult) << c.name << ": got " << result << ", want " << wantResult;
        const std::set<std::string> want =
            c.wantFile ? std::set<std::string>{"msg.txt", "indented.txt"} : std::set<std::string>{"msg.txt"};
        EXPECT_EQ(folder.names(), want) << c.name;
        if (c.wantFile) {
            const test::Bytes got = test::readFile(folder.path() / "indented.txt");
            EXPECT_EQ(got, data) << c.name << ": got " << got.size() << " bytes, want " << data.size();
        }
        EXPECT_TRUE(ui.prompts.empty()) << c.name;
    }
}

}  // namespace
}  // namespace kodra
