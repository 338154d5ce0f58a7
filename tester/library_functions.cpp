#include "library_functions.h"

#include "pending_exports.h"

const CLibraryFunctions &realLibraryFunctions() {
    static const CLibraryFunctions functions{
        SetUserInterface,   pendingDecodeFile,  EncodeFile,          pendingGetNumFilesToDecode,
        pendingGetEncodedFile, SetEncodingApplication, GetUniqueFileName, ConcatenateRelated,
        SplitFile,          FinishAttachments,  EncodeBuffer,        DecodeBuffer,
        GetMessageInfo,     FreeMessageInfo,    pendingGetMessageText,
    };
    return functions;
}
