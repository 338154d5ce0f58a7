#include "kodra32.h"
#include "message/message_text.h"

extern "C" KODRA_API int KODRA_CALL GetMessageText(const char* messagePath, const char* targetPath) {
    if (!messagePath || !targetPath || !*targetPath) return 0;
    try {
        return kodra::getMessageText(messagePath, targetPath);
    } catch (...) {
        return 0;  // out of memory: everything taken has been released on the way out
    }
}
