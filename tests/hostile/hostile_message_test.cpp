// Hostile messages for the message readers: the message named as its own text's target,
// a link put at the intermediate file's name while the text is decoded, thousands of
// boundaries, and a Subject folded over tens of MiB (memory measured in a child).
#include "hostile/hostile_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace kodra::testing {
namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's shadow memory and quarantine come on top; the plain builds hold the
// real bound.
constexpr long kMemoryAllowanceKib = (16 + 256) * 1024;
#else
constexpr long kMemoryAllowanceKib = 16 * 1024;  // far below the 48 MiB field
#endif

class HostileMessages : public ::testing::Test {
protected:
    void SetUp() override { installQuietInterface(); }
    void TearDown() override { SetUserInterface(nullptr); }
};

std::string multipartMessage() {
    return "From: a@example.org\r\nSubject: parts\r\nContent-Type: multipart/alternative; boundary=\"b1\"\r\n\r\n"
           "--b1\r\nContent-Type: text/plain\r\n\r\nplain text\r\n"
           "--b1\r\nContent-Type: text/html\r\n\r\n<p>html</p>\r\n--b1--\r\n";
}

// What a test application does to show a message's text: a fixed bare target name,
// beside the message, which may itself carry that name.
TEST_F(HostileMessages, MessageNamedLikeTheTextTarget) {
    for (const std::string& message : {std::string("From: a\r\n\r\nbody\r\n"), multipartMessage()}) {
        HostileSandbox sandbox;
        const std::string path = sandbox.file("Message.txt");
        writeFile(path, message);
        EXPECT_EQ(GetMessageText(path.c_str(), "Message.txt"), 0);
        EXPECT_TRUE(sameBytes(readFile(path), message)) << "the message was replaced by its text";
        EXPECT_EQ(sandbox.inside(), std::set<std::string>{"Message.txt"});
        EXPECT_TRUE(sandbox.outside().empty());
    }
}

// Puts a link to the victim at the intermediate file's name, once, from the progress
// report of the decode that reads it.
struct LinkSwap {
    static fs::path& folder() {
        static fs::path path;
        return path;
    }
    static fs::path& victim() {
        static fs::path path;
        return path;
    }
    static int& swaps() {
        static int count = 0;
        return count;
    }
    static void KODRA_CALL progress(void*, long long, long long) {
        for (const auto& entry : fs::directory_iterator(folder())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("54sfh$42", 0) != 0 || fs::is_symlink(entry.path())) continue;
            fs::remove(entry.path());
            fs::create_symlink(victim(), entry.path());
            ++swaps();
        }
    }
};

TEST_F(HostileMessages, LinkPutAtTheIntermediateNameIsLeftAlone) {
    HostileSandbox sandbox;
    LinkSwap::folder() = sandbox.folder();
    LinkSwap::victim() = sandbox.root() / "victim.txt";
    LinkSwap::swaps() = 0;
    writeFile(LinkSwap::victim().string(), "precious");
    const KodraUserInterface swapping{
        nullptr, [](void*, void*, const char*, const char*, int) KODRA_CALL { return KODRA_IDCANCEL; },
        [](void*) KODRA_CALL -> void* { return nullptr; }, [](void*, void*, char*, int) KODRA_CALL { return 0; },
        &LinkSwap::progress};
    SetUserInterface(&swapping);
    const std::string message = sandbox.file("message.eml");
    writeFile(message, multipartMessage());
    const int result = GetMessageText(message.c_str(), "text.txt");
    SetUserInterface(nullptr);
    ASSERT_EQ(LinkSwap::swaps(), 1) << "the decode reported no progress: nothing was swapped";
    EXPECT_EQ(result, KODRA_QUOTED_PRINTABLE);
    const std::string text = readFile(sandbox.file("text.txt"));
    EXPECT_NE(text.find("plain text"), std::string::npos) << text;
    EXPECT_EQ(readFile(LinkSwap::victim().string()), "precious");
    EXPECT_TRUE(fs::is_symlink(sandbox.file("54sfh$42.1"))) << "what stood at the name was removed";
    EXPECT_EQ(sandbox.outside(), std::set<std::string>{"victim.txt"});
}

// Each line of the first part declares another boundary, then delimiter lines of them
// follow (most for boundaries past the cap); the text is still written, within the hang
// guard.
TEST_F(HostileMessages, TensOfThousandsOfBoundaries) {
    HostileSandbox sandbox;
    const std::string path = sandbox.file("message.eml");
    {
        std::ofstream out(path, std::ios::binary);
        out << "From: a\r\nContent-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n--outer\r\n"
               "Content-Type: text/plain\r\n\r\n";
        for (int i = 0; i < 20000; ++i) out << "Content-Type: multipart/mixed; boundary=\"b" << i << "\"\r\n";
        for (int i = 0; i < 60000; ++i) out << "--b" << i % 20000 << " delimiter\r\n";
        out << "--outer--\r\n";
    }
    const ChildOutcome outcome = runInChild([&] { return GetMessageText(path.c_str(), "text.txt"); });
    EXPECT_EQ(outcome.status, KODRA_QUOTED_PRINTABLE);
    EXPECT_EQ(sandbox.inside(), (std::set<std::string>{"message.eml", "text.txt"}));
    EXPECT_TRUE(sandbox.outside().empty());
}

// A Subject folded over 48 MiB: the buffer's reader keeps what the buffer holds, the
// record's reader its cap.
TEST_F(HostileMessages, SubjectFoldedOverTensOfMebibytes) {
    HostileSandbox sandbox;
    const std::string path = sandbox.file("message.eml");
    const std::string fold = "\r\n folded text of a very long subject line, one of very many";
    {
        std::ofstream out(path, std::ios::binary);
        out << "From: a@example.org\r\nSubject: start";
        std::string chunk;
        for (int i = 0; i < 1000; ++i) chunk += fold;
        for (std::size_t written = 0; written < (std::size_t{48} << 20); written += chunk.size()) out << chunk;
        out << "\r\n\r\nbody\r\n";
    }
    struct Row {
        const char* name;
        std::function<int()> call;
    };
    const Row rows[] = {
        {"GetMessageHeaderField, 64 bytes",
         [&] {
             char buffer[64];
             const std::string want = ("start" + fold.substr(3) + fold.substr(3)).substr(0, 63);
             return GetMessageHeaderField(path.c_str(), buffer, sizeof buffer, 3) == 1 && buffer == want ? 1 : 2;
         }},
        {"GetMessageInfo",
         [&] {
             MessageInfoRecord record;
             if (GetMessageInfo(path.c_str(), &record) != 1) return 2;
             const bool cut = record.subject && std::strlen(record.subject) == (std::size_t{1} << 20);
             FreeMessageInfo(&record);
             return cut ? 1 : 3;
         }},
    };
    for (const Row& row : rows) {
        const long before = residentKib();
        const ChildOutcome outcome = runInChild(row.call);
        EXPECT_EQ(outcome.status, 1) << row.name << ": got " << outcome.status << ", want 1 (the expected text)";
        EXPECT_LT(outcome.peakKib - before, kMemoryAllowanceKib)
            << row.name << ": got " << outcome.peakKib - before << " KiB more, want below " << kMemoryAllowanceKib;
    }
    EXPECT_TRUE(sandbox.outside().empty());
}

}  // namespace
}  // namespace kodra::testing
