// Exports that the library gains with its decoding and message-text work: looked up
// in the loaded library by name until they are declared in kodra32.h. Each answers
// "nothing done" (0) while the library lacks it.
#pragma once

int pendingDecodeFile(const char *path, const char *names, int mode);
int pendingGetNumFilesToDecode(const char *path);
int pendingGetEncodedFile(char *buffer, int index);
int pendingGetMessageText(const char *messagePath, const char *targetPath);
