#include "kodra32.h"
#include "frame/context.h"
#include "platform/platform.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstring>
#include <string>
#include <vector>

namespace kodra::platform {
namespace {

// The default context's dialogs: the ones SetUserInterface installs.
const UserInterface& ui() { return kodra::defaultContext().ui; }

struct Recorder {
    std::vector<std::string> texts;
    int answer = KODRA_IDYES;
    std::string chosen;
    long long lastDone = -1;
};

int KODRA_CALL recordBox(void* context, void*, const char* text, const char* caption, int buttons) {
    auto* recorder = static_cast<Recorder*>(context);
    recorder->texts.push_back(std::string(caption) + "|" + text + "|" + std::to_string(buttons));
    return recorder->answer;
}

int KODRA_CALL choose(void* context, void*, char* path, int size) {
    auto* recorder = static_cast<Recorder*>(context);
    if (recorder->chosen.empty()) return 0;
    std::snprintf(path, static_cast<std::size_t>(size), "%s", recorder->chosen.c_str());
    return 1;
}

void KODRA_CALL progress(void* context, long long done, long long) {
    static_cast<Recorder*>(context)->lastDone = done;
}

class UserInterfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        KodraUserInterface ui{};
        ui.context = &recorder;
        ui.messageBox = recordBox;
        ui.chooseSaveFile = choose;
        ui.progress = progress;
        SetUserInterface(&ui);
    }
    void TearDown() override { SetUserInterface(nullptr); }
    Recorder recorder;
};

TEST_F(UserInterfaceTest, QuestionsReachTheHostAndAnswersComeBack) {
    EXPECT_EQ(ui().messageBox(nullptr, "Decode file x?", "Kodra DLL", Buttons::yesNoCancel), Answer::yes);
    recorder.answer = KODRA_IDNO;
    EXPECT_EQ(ui().messageBox(nullptr, "Overwrite?", "Kodra DLL", Buttons::yesNo), Answer::no);
    recorder.answer = 12345;  // nonsense from a host is taken as Cancel
    EXPECT_EQ(ui().messageBox(nullptr, "?", "Kodra DLL", Buttons::yesNoCancel), Answer::cancel);
    const std::vector<std::string> want = {"Kodra DLL|Decode file x?|3", "Kodra DLL|Overwrite?|4",
                                           "Kodra DLL|?|3"};
    EXPECT_EQ(recorder.texts, want);
}

TEST_F(UserInterfaceTest, SaveChooserAndProgress) {
    char path[1025] = "/tmp/proposal.bin";
    EXPECT_FALSE(ui().chooseSaveFile(nullptr, path, sizeof path)) << "cancelled";
    EXPECT_STREQ(path, "/tmp/proposal.bin");
    recorder.chosen = "/tmp/chosen.bin";
    EXPECT_TRUE(ui().chooseSaveFile(nullptr, path, sizeof path));
    EXPECT_STREQ(path, "/tmp/chosen.bin");
    ui().reportProgress(4096, 8192);
    EXPECT_EQ(recorder.lastDone, 4096);
}

TEST(UserInterface, ProgressWithoutHostIsIgnored) {
    SetUserInterface(nullptr);
    ui().reportProgress(1, 2);  // must simply do nothing
    EXPECT_EQ(ui().activeWindow(), nullptr);
}

#ifndef _WIN32
// Without a terminal the default dialogs write to standard error; a name's control
// characters are shown, never sent, so a message cannot drive the terminal.
TEST(UserInterface, DefaultMessagesShowControlCharacters) {
    int pipeEnds[2];
    ASSERT_EQ(pipe(pipeEnds), 0);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        setsid();  // no controlling terminal: the defaults fall back to standard error
        dup2(pipeEnds[1], 2);
        defaultMessageBox("Decoded a\x1b[2J\x07" "b\rc.txt\nnext line", "Kodra\x1b]0;x\x07", Buttons::ok);
        std::fflush(stderr);
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string shown;
    char chunk[256];
    for (ssize_t got; (got = read(pipeEnds[0], chunk, sizeof chunk)) > 0;) shown.append(chunk, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    const std::string want = "Kodra\\x1b]0;x\\x07: Decoded a\\x1b[2J\\x07b\\x0dc.txt\nnext line\n";
    EXPECT_EQ(shown, want) << "got " << shown << ", want " << want;
}
#endif

}  // namespace
}  // namespace kodra::platform
