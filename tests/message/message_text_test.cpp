#include "kodra32.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace kodra::testing {
namespace {

namespace fs = std::filesystem;

struct TextCase {
    const char* name;
    std::string message;
    int wantResult;
    std::string wantText;  // the target's bytes; empty with wantResult 0 means no target
};

// Runs GetMessageText on message in a fresh folder and checks what it leaves there.
void expectText(const TextCase& c) {
    TempFolder folder;
    writeFile(folder.file("message.eml"), c.message);
    const int got = GetMessageText(folder.file("message.eml").c_str(), folder.file("out.txt").c_str());
    EXPECT_EQ(got, c.wantResult) << c.name;
    const bool wantTarget = !c.wantText.empty() || c.wantResult != 0;
    std::set<std::string> want = {"message.eml"};
    if (wantTarget) want.insert("out.txt");
    EXPECT_EQ(folder.names(), want) << c.name << ": only the target may remain";
    if (wantTarget) {
        EXPECT_TRUE(sameBytes(readFile(folder.file("out.txt")), c.wantText)) << c.name;
    }
}

TEST(GetMessageText, PlainMessages) {
    const TextCase cases[] = {
        {"body only, headers dropped", "From: a@example.org\r\nSubject: hi\r\n\r\nline one\r\nline two\r\n", 5,
         "line one\r\nline two\r\n"},
        {"bare lf message", "From: a\nSubject: hi\n\nline one\nline two\n", 5, "line one\r\nline two\r\n"},
        {"quoted-printable body decoded line by line",
         "From: a\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\ncaf=E9 soft=\r\nnext\r\n", 5,
         "caf\xE9 soft\r\nnext\r\n"},
        {"base64 body without line ends", "From: a\r\nContent-Transfer-Encoding: base64\r\n\r\nSGVsbG8g\r\nV29ybGQh\r\n",
         2, "Hello World!"},
        {"base64 body keeps its zero bytes", "From: a\r\nContent-Transfer-Encoding: base64\r\n\r\nAAEC\r\n", 2,
         std::string("\0\1\2", 3)},
        {"no recognised header: nothing is dropped", "X-Foo: a\r\n\r\nbody\r\n", 5,
         "X-Foo: a\r\nfilename=\"out.txt\"\r\n\r\nbody\r\n"},
        {"inline uuencoded file ends the text",
         "From: a\r\n\r\nsee attached\r\nbegin 644 file.bin\r\n#86)C\r\n`\r\nend\r\n", 5, "see attached\r\n"},
        {"no blank line before line 100", "From: a\r\n" + std::string(120 * 7, 'x'), 0, ""},
    };
    for (const TextCase& c : cases) expectText(c);

    std::string late = "From: a\r\n";
    for (int i = 0; i < 120; ++i) late += "X-Line: " + std::to_string(i) + "\r\n";
    expectText({"blank line only at line 122", late + "\r\nbody\r\n", 0, ""});
}

std::string multipart(const char* eol) {
    std::string text =
        "From: a@example.org\n"
        "Subject: parts\n"
        "MIME-Version: 1.0\n"
        "Content-Type: multipart/mixed; boundary=\"outer\"\n"
        "\n"
        "preamble\n"
        "--outer\n"
        "Content-Type: multipart/alternative; boundary=\"inner\"\n"
        "\n"
        "--inner\n"
        "Content-Type: text/plain\n"
        "\n"
        "plain one\n"
        "--inner\n"
        "Content-Type: text/enriched\n"
        "\n"
        "plain two\n"
        "--inner--\n"
        "--outer\n"
        "Content-Type: text/html\n"
        "\n"
        "<p>html</p>\n"
        "--outer--\n";
    std::string out;
    for (char c : text) c == '\n' ? out += eol : out += c;
    return out;
}

TEST(GetMessageText, NestedMultipartSameForCrLfAndLf) {
    TempFolder folder;
    std::string texts[2];
    int results[2];
    const char* eols[] = {"\r\n", "\n"};
    for (int i = 0; i < 2; ++i) {
        const std::string message = folder.file("m" + std::to_string(i) + ".eml");
        const std::string target = folder.file("t" + std::to_string(i) + ".txt");
        writeFile(message, multipart(eols[i]));
        results[i] = GetMessageText(message.c_str(), target.c_str());
        texts[i] = readFile(target);
    }
    EXPECT_EQ(results[0], 5);
    EXPECT_EQ(results[1], results[0]);
    EXPECT_EQ(texts[1], texts[0]) << "bare LF line ends give the same text";
    EXPECT_NE(texts[0].find("plain one"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("plain two"), std::string::npos) << texts[0];
    EXPECT_NE(texts[0].find("<p>html</p>"), std::string::npos) << texts[0];
    EXPECT_EQ(texts[0].find("--inner"), std::string::npos) << "nested boundaries are left out: " << texts[0];
    EXPECT_EQ(folder.names(), (std::set<std::string>{"m0.eml", "m1.eml", "t0.txt", "t1.txt"}));
}

TEST(GetMessageText, PythonMultipartAlternative) {
    KODRA_POSIX_ONLY("runs python3 through the shell");
    ASSERT_EQ(std::system("command -v python3 >/dev/null"), 0) << "python3 is needed";
    TempFolder folder;
    const std::string script = R"(
import sys
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
msg = MIMEMultipart('alternative')
msg['From'] = 'ann@example.org'
msg['Subject'] = 'Both ways'
msg.attach(MIMEText('Caf\u00e9 au lait.\nSecond line.\n', 'plain', 'iso-8859-1'))
msg.attach(MIMEText('<p>Caf&eacute;</p>\n', 'html', 'us-ascii'))
open(sys.argv[1], 'wb').write(msg.as_bytes())
)";
    writeFile(folder.file("make.py"), script);
    ASSERT_EQ(std::system(("python3 " + folder.file("make.py") + " " + folder.file("m.eml")).c_str()), 0);
    EXPECT_EQ(GetMessageText(folder.file("m.eml").c_str(), folder.file("text.txt").c_str()), 5);
    const std::string text = readFile(folder.file("text.txt"));
    EXPECT_NE(text.find("Caf\xE9 au lait.\r\nSecond line.\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("<p>Caf&eacute;</p>"), std::string::npos) << text;
    EXPECT_EQ(folder.names(), (std::set<std::string>{"make.py", "m.eml", "text.txt"}));
}

TEST(GetMessageText, FirstPartWithoutContentHeaderGivesNothing) {
    expectText({"no content header in the first part",
                "From: a\r\nContent-Type: multipart/mixed; boundary=\"b1\"\r\n\r\n--b1\r\n\r\nbare part\r\n--b1--\r\n", 0,
                ""});
}

TEST(GetMessageText, NeverFollowsOrClobbersWhatStandsAtTheTemporaryName) {
    KODRA_POSIX_ONLY("a symbolic link stands at the temporary name");
    TempFolder folder;
    writeFile(folder.file("message.eml"), "From: a\r\n\r\nbody\r\n");
    writeFile(folder.file("54sfh$42.1"), "a file of the user's");
    writeFile(folder.file("victim.txt"), "precious");
    fs::create_symlink(folder.file("victim.txt"), folder.file("54sfh$42.2"));
    EXPECT_EQ(GetMessageText(folder.file("message.eml").c_str(), folder.file("out.txt").c_str()), 5);
    EXPECT_EQ(readFile(folder.file("out.txt")), "body\r\n");
    EXPECT_EQ(readFile(folder.file("54sfh$42.1")), "a file of the user's");
    EXPECT_EQ(readFile(folder.file("victim.txt")), "precious");
    EXPECT_EQ(folder.names(),
              (std::set<std::string>{"message.eml", "out.txt", "54sfh$42.1", "54sfh$42.2", "victim.txt"}));
}

TEST(GetMessageText, FailedCopyIsAFailure) {
    TempFolder folder;
    writeFile(folder.file("message.eml"), "From: a\r\n\r\nbody\r\n");
    fs::create_directory(folder.path() / "taken");  // the target names a folder
    EXPECT_EQ(GetMessageText(folder.file("message.eml").c_str(), folder.file("taken").c_str()), 0);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"message.eml", "taken"}));
}

TEST(GetMessageText, BareTargetNameGoesBesideTheMessage) {
    TempFolder folder;
    writeFile(folder.file("message.eml"), "From: a\r\n\r\nbody\r\n");
    EXPECT_EQ(GetMessageText(folder.file("message.eml").c_str(), "plain.txt"), 5);
    EXPECT_EQ(readFile(folder.file("plain.txt")), "body\r\n");
    EXPECT_EQ(GetMessageText(folder.file("missing.eml").c_str(), "x.txt"), 0);
    EXPECT_EQ(GetMessageText(nullptr, "x.txt"), 0);
}

}  // namespace
}  // namespace kodra::testing
