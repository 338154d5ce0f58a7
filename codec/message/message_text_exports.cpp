// GetMessageText: a thin entry into the text reader. Its paths are in the ANSI code page
// on Windows and UTF-8 inside.
#include "kodra32.h"
#include "message/message_text.h"
#include "platform/classic_text.h"

extern "C" KODRA_API int KODRA_CALL GetMessageText(const char* messagePath, const char* targetPath) {
    const kodra::platform::Utf8Argument message(messagePath), target(targetPath);
    if (!message.get() || !target.get() || !*target.get()) return 0;
    try {
        return kodra::getMessageText(message.get(), target.get());
    } catch (...) {
        return 0;  // out of memory: everything taken has been released on the way out
    }
}
