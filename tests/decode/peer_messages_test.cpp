// Messages made by other mail tools, generated at test time from payloads the test
// makes: every attachment must come out bit-exact under the name the tool gave it, and
// the pre-scan must list exactly the files a silent decode writes.
#include "decode_test_messages.h"
#include "kodra32.h"
#include "support/scripted_user_interface.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace kodra::testing {
namespace {

namespace fs = std::filesystem;

// The peers are installed by CI; a missing one is a failure, not a skip.
bool havePeer(const char* program) {
    const std::string command = std::string("command -v ") + program + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

using Files = std::map<std::string, std::string>;

struct PeerCase {
    const char* name;
    const char* peer;
    // Writes the payloads into src, builds the message at message; returns the files a
    // decode must write (name -> content).
    Files (*make)(const std::string& src, const std::string& message);
};

// The text with every CR LF made LF.
std::string withoutCr(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

Files pythonEmail(const std::string& src, const std::string& message, const char* lineEnd) {
    // The third name comes as an ISO-8859-1 encoded word and is written in UTF-8.
    const Files payloads{{"a.bin", binaryPayload(5000, 11)},
                         {"b.dat", binaryPayload(3, 12)},
                         {"caf\xC3\xA9 file.bin", binaryPayload(1234, 13)}};
    writeFile(src + "/a.bin", payloads.at("a.bin"));
    writeFile(src + "/b.dat", payloads.at("b.dat"));
    writeFile(src + "/c.bin", payloads.at("caf\xC3\xA9 file.bin"));
    const std::string script = R"(
import sys
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText
from email.mime.application import MIMEApplication
from email.header import Header
src, out, linesep = sys.argv[1], sys.argv[2], sys.argv[3].encode().decode('unicode_escape')
msg = MIMEMultipart('mixed')
msg['From'] = 'sender@example.org'
msg['Subject'] = 'Peer message'
alt = MIMEMultipart('alternative')
alt.attach(MIMEText('Plain body.\n', 'plain', 'us-ascii'))
alt.attach(MIMEText('<p>HTML body.</p>\n', 'html', 'us-ascii'))
msg.attach(alt)
notes = MIMEText('Hello caf\u00e9 =\nline two is a rather long line that quoted-printable must fold because it goes on and on\n', 'plain', 'iso-8859-1')
notes.add_header('Content-Disposition', 'attachment', filename='notes.txt')
msg.attach(notes)
for path, name in (('a.bin', 'a.bin'), ('b.dat', 'b.dat'), ('c.bin', Header('caf\u00e9 file.bin', 'iso-8859-1').encode())):
    part = MIMEApplication(open(src + '/' + path, 'rb').read())
    part.add_header('Content-Disposition', 'attachment', filename=name)
    msg.attach(part)
open(out, 'wb').write(msg.as_bytes(policy=msg.policy.clone(linesep=linesep)))
)";
    writeFile(src + "/make.py", script);
    if (!run("python3 " + src + "/make.py " + src + " " + message + " '" + lineEnd + "'")) return {};
    Files want = payloads;
    const std::string notes =
        "Hello caf\xE9 =\r\nline two is a rather long line that quoted-printable must fold because it goes on and on\r\n";
    // A text part keeps the message's line ends.
    want["notes.txt"] = std::string(lineEnd) == "\\n" ? lfTextAsWritten(withoutCr(notes)) : notes;
    return want;
}

const PeerCase kPeers[] = {
    {"PythonEmailCrLf", "python3", [](const std::string& src, const std::string& message) {
         return pythonEmail(src, message, "\\r\\n");
     }},
    {"PythonEmailLf", "python3", [](const std::string& src, const std::string& message) {
         return pythonEmail(src, message, "\\n");
     }},
    {"Mpack", "mpack", [](const std::string& src, const std::string& message) {
         const std::string data = binaryPayload(70000, 21);
         writeFile(src + "/packed.bin", data);
         if (!run("cd " + src + " && mpack -s 'Packed file' -o " + message + " packed.bin")) return Files{};
         return Files{{"packed.bin", data}};
     }},
    {"UuencodeBare", "uuencode", [](const std::string& src, const std::string& message) {
         const std::string data = binaryPayload(10000, 31);
         writeFile(src + "/u.bin", data);
         if (!run("uuencode " + src + "/u.bin u.bin > " + message)) return Files{};
         return Files{{"u.bin", data}};
     }},
    {"UuencodeInMailSeveralFiles", "uuencode", [](const std::string& src, const std::string& message) {
         const Files files{{"first.bin", binaryPayload(4500, 41)}, {"second.txt", "Short text\n"},
                           {"third.bin", binaryPayload(1, 43)}};
         std::string command = "{ printf 'From: someone@example.org\\nSubject: files\\n\\nHere they are.\\n\\n'";
         for (const auto& [name, content] : files) {
             writeFile(src + "/" + name, content);
             command += " && uuencode " + src + "/" + name + " " + name + " && printf '\\nNext one:\\n\\n'";
         }
         command += " && printf -- '-- \\nsignature\\n'; } > " + message;
         if (!run(command)) return Files{};
         return files;
     }},
    {"Binhex", "binhex", [](const std::string& src, const std::string& message) {
         const std::string data = binaryPayload(20000, 51) + std::string(300, '\x90') + std::string(500, 'a');
         writeFile(src + "/mac.bin", data);
         if (!run("{ printf 'Subject: mac file\\n\\n'; cd " + src + " && binhex -d mac.bin; } > " + message))
             return Files{};
         return Files{{"mac.bin", data}};
     }},
};

class PeerMessageTest : public ::testing::TestWithParam<PeerCase> {};

TEST_P(PeerMessageTest, DecodesBitExactAndPreScanAgrees) {
    const PeerCase& c = GetParam();
    ASSERT_TRUE(havePeer(c.peer)) << c.peer << " is not installed (Debian packages: python3, mpack, sharutils, macutils)";
    TempFolder folder;
    const std::string src = folder.file("src");
    const std::string box = folder.file("box");
    fs::create_directory(src);
    fs::create_directory(box);
    const std::string message = box + "/message.txt";
    const Files want = c.make(src, message);
    ASSERT_FALSE(want.empty()) << "the peer failed to make the message";

    const int listed = GetNumFilesToDecode(message.c_str());
    std::set<std::string> prescan;
    for (int i = 0; i < listed; ++i) {
        char buffer[1024];
        ASSERT_EQ(GetEncodedFile(buffer, i), 1);
        prescan.insert(buffer);
    }

    ScriptedUserInterface ui;
    EXPECT_NE(DecodeFile(message.c_str(), "", 3), 0);
    std::set<std::string> written;
    for (const auto& entry : fs::directory_iterator(box))
        if (entry.path().filename() != "message.txt") written.insert(entry.path().string());
    std::set<std::string> wantPaths;
    for (const auto& [name, content] : want) {
        wantPaths.insert(box + "/" + name);
        EXPECT_TRUE(sameBytes(readFile(box + "/" + name), content)) << name;
    }
    EXPECT_EQ(written, wantPaths);
    EXPECT_EQ(prescan, written);
    EXPECT_EQ(listed, static_cast<int>(written.size()));
}

INSTANTIATE_TEST_SUITE_P(Peers, PeerMessageTest, ::testing::ValuesIn(kPeers),
                         [](const ::testing::TestParamInfo<PeerCase>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kodra::testing
