#include "pending_exports.h"

#include <dlfcn.h>

#include <cstring>

namespace {

// The export of that name in the already loaded libkodra32, or null.
template <typename Function>
Function *findExport(const char *name) {
    void *symbol = dlsym(RTLD_DEFAULT, name);
    Function *function = nullptr;
    static_assert(sizeof function == sizeof symbol);
    std::memcpy(&function, &symbol, sizeof function);
    return function;
}

}  // namespace

int pendingDecodeFile(const char *path, const char *names, int mode) {
    static auto *const function = findExport<int(const char *, const char *, int)>("DecodeFile");
    return function ? function(path, names, mode) : 0;
}

int pendingGetNumFilesToDecode(const char *path) {
    static auto *const function = findExport<int(const char *)>("GetNumFilesToDecode");
    return function ? function(path) : 0;
}

int pendingGetEncodedFile(char *buffer, int index) {
    static auto *const function = findExport<int(char *, int)>("GetEncodedFile");
    return function ? function(buffer, index) : 0;
}

int pendingGetMessageText(const char *messagePath, const char *targetPath) {
    static auto *const function = findExport<int(const char *, const char *)>("GetMessageText");
    return function ? function(messagePath, targetPath) : 0;
}
