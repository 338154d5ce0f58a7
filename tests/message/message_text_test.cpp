#include "kodra32.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// Lines are taken whole: a long line was once cut into 1023-character pieces, each
// written as a line of its own and each read as a line (a piece could start an inline
// file or look like a header).
TEST(GetMessageText, LongLinesAreTakenWhole) {
    for (const std::size_t length : {std::size_t{1023}, std::size_t{1024}, std::size_t{2000}, std::size_t{100000}}) {
        const std::string line(length, 'b');
        std::string encoded;  // quoted-printable: an escape every ten characters
        std::string decoded;
        while (encoded.size() < length) {
            encoded += "=E9abcdefg";
            decoded += "\xE9" "abcdefg";
        }
        // Cut after 1023 characters, the rest of this header line began an inline file.
        std::string header = "X-Long: " + std::string(1015, 'h') + "begin 644 file.bin";
        header.resize(std::max(header.size(), length), 'h');
        const std::string size = " of " + std::to_string(length);
        const std::string names[] = {"plain body line" + size, "quoted-printable body line" + size,
                                     "header line" + size};
        const TextCase cases[] = {
            {names[0].c_str(), "From: a\r\n\r\nfirst\r\n" + line + "\r\nlast\r\n", 5,
             "first\r\n" + line + "\r\nlast\r\n"},
            {names[1].c_str(), "From: a\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n" + encoded + "\r\n",
             5, decoded + "\r\n"},
            {names[2].c_str(), "From: a\r\n" + header + "\r\n\r\nbody\r\n", 5, "body\r\n"},
        };
        for (const TextCase& c : cases) expectText(c);
    }
}

// A line beyond 4 MiB is taken in 4 MiB pieces, each a line of the text: nothing is lost.
TEST(GetMessageText, LineBeyondFourMebibytesComesInPieces) {
    const std::string piece(std::size_t{4} << 20, 'p');
    expectText({"plain body line of 4 MiB and 10", "From: a\r\n\r\n" + piece + "0123456789\r\nlast\r\n", 5,
                piece + "\r\n0123456789\r\nlast\r\n"});
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

// The text keeps its classic form whatever the parts' transfer encoding and line ends:
// an 8bit part is text, and LF lines end in CR LF.
TEST(GetMessageText, EightBitPartsGiveTheClassicText) {
    TempFolder folder;
    const std::string encodings[] = {"7bit", "8bit", "binary"};
    std::string texts[3];
    for (int i = 0; i < 3; ++i) {
        const std::string message = folder.file("m" + std::to_string(i) + ".eml");
        const std::string target = folder.file("t" + std::to_string(i) + ".txt");
        writeFile(message, "From: a@example.org\nMIME-Version: 1.0\nContent-Type: multipart/mixed; boundary=\"b\"\n\n"
                           "--b\nContent-Type: text/plain; charset=iso-8859-1\nContent-Transfer-Encoding: " +
                               encodings[i] + "\n\ncaf\xE9 one\n\ntwo\n--b--\n");
        EXPECT_EQ(GetMessageText(message.c_str(), target.c_str()), 5) << encodings[i];
        texts[i] = readFile(target);
        EXPECT_NE(texts[i].find("caf\xE9 one\r\n\r\ntwo\r\n"), std::string::npos)
            << encodings[i] << ": got \"" << texts[i] << "\"";
    }
    EXPECT_EQ(texts[1], texts[0]) << "8bit differs from 7bit";
    EXPECT_EQ(texts[2], texts[0]) << "binary differs from 7bit";
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

// The message under any of its names is refused before anything is written, whichever
// way the text would be written (a copied plain body or a decoded multipart part).
TEST(GetMessageText, TheMessageItselfIsNeverTheTarget) {
    struct Row {
        const char* name;
        std::string message;
        const char* target;  // "": the message's own path; a name: beside it
        bool hardLink;       // the target is made a hard link to the message first
    };
    const std::string plain = "From: a@example.org\r\n\r\nbody\r\n";
    const Row rows[] = {
        {"plain, same path", plain, "", false},
        {"plain, bare name", plain, "message.eml", false},
        {"plain, hard link", plain, "link.eml", true},
        {"multipart, same path", multipart("\r\n"), "", false},
        {"multipart, bare name", multipart("\r\n"), "message.eml", false},
        {"multipart, hard link", multipart("\r\n"), "link.eml", true},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        const std::string message = folder.file("message.eml");
        writeFile(message, row.message);
        std::set<std::string> want = {"message.eml"};
        std::string target = *row.target ? row.target : message;
        if (row.hardLink) {
            fs::create_hard_link(message, folder.file(row.target));
            target = folder.file(row.target);
            want.insert(row.target);
        }
        EXPECT_EQ(GetMessageText(message.c_str(), target.c_str()), 0) << row.name;
        EXPECT_TRUE(sameBytes(readFile(message), row.message)) << row.name << ": the message was changed";
        EXPECT_EQ(folder.names(), want) << row.name << ": nothing may be left";
    }
}

TEST(GetMessageText, ALinkToTheMessageIsNeverTheTarget) {
    KODRA_POSIX_ONLY("a symbolic link leads to the message");
    TempFolder folder;
    const std::string text = "From: a@example.org\r\n\r\nbody\r\n";
    writeFile(folder.file("message.eml"), text);
    fs::create_symlink(folder.file("message.eml"), folder.file("link.eml"));
    EXPECT_EQ(GetMessageText(folder.file("message.eml").c_str(), folder.file("link.eml").c_str()), 0);
    EXPECT_EQ(readFile(folder.file("message.eml")), text);
    EXPECT_TRUE(fs::is_symlink(folder.file("link.eml")));
}

// A ";" is part of the target's name: no other file is written or emptied, and nothing
// lands in the current folder.
TEST(GetMessageText, TargetNameIsTakenLiterally) {
    struct Row {
        const char* name;
        std::string message;
        const char* target;
        bool bare;  // given without its folder
    };
    const Row rows[] = {
        {"plain, two names", "From: a\r\n\r\nbody\r\n", "kodra-a;kodra-b.txt", false},
        {"multipart, two names", multipart("\r\n"), "kodra-a;kodra-b.txt", false},
        {"multipart, three names", multipart("\r\n"), "kodra-a;kodra-b.txt;kodra-c.txt", false},
        {"multipart, bare name", multipart("\r\n"), "kodra-a;kodra-b.txt", true},
        {"multipart, a lone separator", multipart("\r\n"), ";", false},
    };
    for (const Row& row : rows) {
        TempFolder folder;
        const std::string message = folder.file("message.eml");
        writeFile(message, row.message);
        writeFile(folder.file("plain.eml"), row.message);
        const int wantResult = GetMessageText(folder.file("plain.eml").c_str(), folder.file("plain.txt").c_str());
        const std::string wantText = readFile(folder.file("plain.txt"));
        ASSERT_EQ(wantResult, 5) << row.name;
        fs::remove(folder.file("plain.eml"));
        fs::remove(folder.file("plain.txt"));
        writeFile(folder.file("kodra-a"), "unrelated");

        const std::string target = row.bare ? std::string(row.target) : folder.file(row.target);
        EXPECT_EQ(GetMessageText(message.c_str(), target.c_str()), wantResult) << row.name;
        EXPECT_EQ(readFile(folder.file(row.target)), wantText) << row.name;
        EXPECT_EQ(readFile(folder.file("kodra-a")), "unrelated") << row.name << ": another file was emptied";
        EXPECT_EQ(folder.names(), (std::set<std::string>{"message.eml", "kodra-a", row.target})) << row.name;
        for (const char* name : {"kodra-a", "kodra-b.txt", "kodra-c.txt"})
            EXPECT_FALSE(fs::exists(name)) << row.name << ": " << name << " appeared in the current folder";
    }
}

TEST(GetMessageText, TargetNamedLikeTheIntermediateFile) {
    TempFolder folder;
    writeFile(folder.file("message.eml"), multipart("\r\n"));
    writeFile(folder.file("plain.eml"), multipart("\r\n"));
    ASSERT_EQ(GetMessageText(folder.file("plain.eml").c_str(), folder.file("plain.txt").c_str()), 5);
    EXPECT_EQ(GetMessageText(folder.file("message.eml").c_str(), folder.file("54sfh$42.1").c_str()), 5);
    EXPECT_EQ(readFile(folder.file("54sfh$42.1")), readFile(folder.file("plain.txt")));
    EXPECT_EQ(folder.names(), (std::set<std::string>{"message.eml", "plain.eml", "plain.txt", "54sfh$42.1"}));
}

// Thousands of boundaries declared in the first part: the text is still found (the
// cost of each line is counted in the boundary tests).
TEST(GetMessageText, ManyDeclaredBoundaries) {
    std::string message =
        "From: a@example.org\r\nContent-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n"
        "--outer\r\nContent-Type: text/plain\r\n\r\n";
    for (int i = 0; i < 3000; ++i)
        message += "Content-Type: multipart/mixed; boundary=\"declared-" + std::to_string(i) + "\"\r\n";
    for (int i = 0; i < 1000; ++i) message += "text line " + std::to_string(i) + "\r\n";
    message += "--outer\r\nContent-Type: text/html\r\n\r\n<p>html</p>\r\n--outer--\r\n";
    TempFolder folder;
    writeFile(folder.file("message.eml"), message);
    EXPECT_EQ(GetMessageText(folder.file("message.eml").c_str(), folder.file("text.txt").c_str()), 5);
    const std::string text = readFile(folder.file("text.txt"));
    EXPECT_NE(text.find("text line 0\r\ntext line 1\r\n"), std::string::npos);
    EXPECT_NE(text.find("text line 999\r\n"), std::string::npos);
    EXPECT_NE(text.find("<p>html</p>"), std::string::npos);
    EXPECT_EQ(folder.names(), (std::set<std::string>{"message.eml", "text.txt"}));
}

}  // namespace
}  // namespace kodra::testing
