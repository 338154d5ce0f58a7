// The table of library exports that merido calls: the real exports by default,
// a recording fake in the tests.
#pragma once

#include "kodra32.h"

struct CLibraryFunctions {
    void(KODRA_CALL *setUserInterface)(const KodraUserInterface *userInterface);
    int(KODRA_CALL *decodeFile)(const char *path, const char *names, int mode);
    int(KODRA_CALL *encodeFile)(const char *sourcePath, const char *outputPath,
                                const char *boundary, int type, int append);
    int(KODRA_CALL *getNumFilesToDecode)(const char *path);
    int(KODRA_CALL *getEncodedFile)(char *buffer, int index);
    const char *(KODRA_CALL *setEncodingApplication)(const char *name);
    int(KODRA_CALL *getUniqueFileName)(char *path);
    int(KODRA_CALL *concatenateRelated)(int deleteFlag, char *firstPath);
    int(KODRA_CALL *splitFile)(char *path, int size);
    int(KODRA_CALL *finishAttachments)(const char *outputPath);
    int(KODRA_CALL *encodeBuffer)(const char *input, char *output, int length, int type);
    int(KODRA_CALL *decodeBuffer)(const char *input, char *output, int length, int type);
    int(KODRA_CALL *getMessageInfo)(const char *path, MessageInfoRecord *record);
    void(KODRA_CALL *freeMessageInfo)(MessageInfoRecord *record);
    int(KODRA_CALL *getMessageText)(const char *messagePath, const char *targetPath);
};

// The exports of libkodra32, bound at load time by name.
const CLibraryFunctions &realLibraryFunctions();
