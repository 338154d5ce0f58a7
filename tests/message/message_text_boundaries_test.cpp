// GetMessageText with the boundary parameter in the forms real mailers write it: each
// gives the text the plain quoted form gives.
#include "kodra32.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>

namespace kodra::testing {
namespace {

struct Outcome {
    int result = 0;
    std::string text;
};

Outcome messageText(const std::string& message) {
    TempFolder folder;
    writeFile(folder.file("message.eml"), message);
    Outcome outcome;
    outcome.result = GetMessageText(folder.file("message.eml").c_str(), folder.file("out.txt").c_str());
    outcome.text = readFile(folder.file("out.txt"));
    return outcome;
}

// A message whose Content-Type field body is contentType, with the boundary `boundary`.
std::string message(const std::string& contentType, const std::string& boundary) {
    return "From: a@example.org\r\nSubject: forms\r\nMIME-Version: 1.0\r\nContent-Type: " + contentType +
           "\r\n\r\npreamble\r\n--" + boundary +
           "\r\nContent-Type: text/plain; charset=us-ascii\r\n\r\nthe plain body\r\n--" + boundary +
           "\r\nContent-Type: application/octet-stream; name=\"a.bin\"\r\nContent-Transfer-Encoding: base64\r\n\r\n"
           "QUJDREVG\r\n--" + boundary + "--\r\n";
}

TEST(GetMessageTextBoundaries, EveryFormGivesTheQuotedFormsText) {
    const std::string b = "Apple-Mail-3--77";
    const Outcome want = messageText(message("multipart/mixed; boundary=\"" + b + "\"", b));
    ASSERT_NE(want.result, 0);
    ASSERT_NE(want.text.find("the plain body"), std::string::npos) << want.text;
    ASSERT_EQ(want.text.find("QUJDREVG"), std::string::npos) << want.text;
    struct Case {
        const char* name;
        std::string contentType;
    };
    const Case cases[] = {
        {"Apple Mail: unquoted, \";\", type= on the next line",
         "multipart/mixed;\r\n\tboundary=" + b + ";\r\n\ttype=\"text/plain\""},
        {"\"=\" before it on its line", "multipart/mixed; x-note=\"a=b\"; boundary=\"" + b + "\""},
        {"unquoted, then a blank", "multipart/mixed; boundary=" + b + " type=x"},
        {"unquoted, then a comment", "multipart/mixed; boundary=" + b + " (generated)"},
        {"folded alone", "multipart/mixed;\r\n boundary=\"" + b + "\""},
    };
    for (const Case& c : cases) {
        const Outcome got = messageText(message(c.contentType, b));
        EXPECT_EQ(got.result, want.result) << c.name;
        EXPECT_EQ(got.text, want.text) << c.name << ": got \"" << got.text << "\", want \"" << want.text << "\"";
    }
}

}  // namespace
}  // namespace kodra::testing
