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

// Writes text with its control characters (but line feeds and tabs) shown as \xNN, so
// that nothing a message or a path holds can drive the terminal.
void writeShown(std::FILE* out, const char* text) noexcept {
    for (const char* c = text; *c; ++c) {
        const auto byte = static_cast<unsigned char>(*c);
        if ((byte < 0x20 && byte != '\n' && byte != '\t') || byte == 0x7f)
            std::fprintf(out, "\\x%02x", byte);
        else
            std::fputc(byte, out);
    }
}

// Reads one answer line from the terminal without its line end; false at end of input.
bool readReply(std::FILE* terminal, char* reply, int size) noexcept {
    std::fflush(terminal);
    if (!std::fgets(reply, size, terminal)) return false;
    reply[std::strcspn(reply, "\r\n")] = '\0';
    return true;
}

Answer askOnTerminal(std::FILE* terminal, const char* text, const char* caption, Buttons buttons) {
    std::fputs("\n[", terminal);
    writeShown(terminal, caption);
    std::fputs("] ", terminal);
    writeShown(terminal, text);
    std::fputc('\n', terminal);
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
            writeShown(stderr, caption);
            std::fputs(": ", stderr);
            writeShown(stderr, text);
            std::fputc('\n', stderr);
            return Answer::ok;
        case Buttons::yesNoCancel:
            return Answer::yes;
        case Buttons::yesNo:
            writeShown(stderr, caption);
            std::fputs(": ", stderr);
            writeShown(stderr, text);
            std::fputs(" -> No (no terminal to ask)\n", stderr);
            return Answer::no;
    }
    return Answer::cancel;
}

bool defaultChooseSaveFile(char* path, std::size_t size) noexcept {
    Terminal terminal = openTerminal();
    if (!terminal || size < 2) return false;
    const int limit = size > 1024 ? 1024 : static_cast<int>(size);
    for (;;) {
        std::fputs("Save as (empty to cancel) [", terminal.get());
        writeShown(terminal.get(), path);
        std::fputs("]: ", terminal.get());
        char reply[1024];
        if (!readReply(terminal.get(), reply, limit) || reply[0] == '\0') return false;
        if (pathExists(reply)) {
            writeShown(terminal.get(), reply);
            std::fputs(" already exists. Replace it? (y)es, (n)o? ", terminal.get());
            char confirm[16];
            if (!readReply(terminal.get(), confirm, sizeof confirm)) return false;
            if (confirm[0] != 'y' && confirm[0] != 'Y') continue;
        }
        std::memcpy(path, reply, std::strlen(reply) + 1);
        return true;
    }
}

}  // namespace kodra::platform
