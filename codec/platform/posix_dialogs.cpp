// Default dialogs on POSIX: questions on the controlling terminal when there is
// one; without it, messages go to standard error and every question gets the
// answer that writes nothing without consent.
#include "platform.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace kodra::platform {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using Terminal = std::unique_ptr<std::FILE, FileCloser>;

Terminal openTerminal() noexcept { return Terminal(std::fopen("/dev/tty", "r+")); }

// Reads one answer line from the terminal without its line end; false at end of input.
bool readReply(std::FILE* terminal, char* reply, int size) noexcept {
    std::fflush(terminal);
    if (!std::fgets(reply, size, terminal)) return false;
    reply[std::strcspn(reply, "\r\n")] = '\0';
    return true;
}

Answer askOnTerminal(std::FILE* terminal, const char* text, const char* caption, Buttons buttons) {
    std::fprintf(terminal, "\n[%s] %s\n", caption, text);
    if (buttons == Buttons::ok) return Answer::ok;
    const bool withCancel = buttons == Buttons::yesNoCancel;
    for (;;) {
        std::fputs(withCancel ? "(y)es, (n)o, (c)ancel? " : "(y)es, (n)o? ", terminal);
        char reply[64];
        if (!readReply(terminal, reply, sizeof reply)) return withCancel ? Answer::cancel : Answer::no;
        switch (reply[0]) {
            case 'y': case 'Y': return Answer::yes;
            case 'n': case 'N': return Answer::no;
            case 'c': case 'C':
                if (withCancel) return Answer::cancel;
                break;
            default: break;
        }
    }
}

}  // namespace

Answer defaultMessageBox(const char* text, const char* caption, Buttons buttons) noexcept {
    if (Terminal terminal = openTerminal()) return askOnTerminal(terminal.get(), text, caption, buttons);
    switch (buttons) {
        case Buttons::ok:
            std::fprintf(stderr, "%s: %s\n", caption, text);
            return Answer::ok;
        case Buttons::yesNoCancel:
            return Answer::yes;
        case Buttons::yesNo:
            std::fprintf(stderr, "%s: %s -> No (no terminal to ask)\n", caption, text);
            return Answer::no;
    }
    return Answer::cancel;
}

bool defaultChooseSaveFile(char* path, std::size_t size) noexcept {
    Terminal terminal = openTerminal();
    if (!terminal || size < 2) return false;
    const int limit = size > 1024 ? 1024 : static_cast<int>(size);
    for (;;) {
        std::fprintf(terminal.get(), "Save as (empty to cancel) [%s]: ", path);
        char reply[1024];
        if (!readReply(terminal.get(), reply, limit) || reply[0] == '\0') return false;
        if (pathExists(reply)) {
            std::fprintf(terminal.get(), "%s already exists. Replace it? (y)es, (n)o? ", reply);
            char confirm[16];
            if (!readReply(terminal.get(), confirm, sizeof confirm)) return false;
            if (confirm[0] != 'y' && confirm[0] != 'Y') continue;
        }
        std::memcpy(path, reply, std::strlen(reply) + 1);
        return true;
    }
}

}  // namespace kodra::platform
