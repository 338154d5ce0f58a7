#include "library_functions.h"

const CLibraryFunctions &realLibraryFunctions() {
    static const CLibraryFunctions functions{
        SetUserInterface,  DecodeFile,        EncodeFile,         GetNumFilesToDecode,
        GetEncodedFile,    SetEncodingApplication, GetUniqueFileName, ConcatenateRelated,
        SplitFile,         FinishAttachments, EncodeBuffer,       DecodeBuffer,
        GetMessageInfo,    FreeMessageInfo,   GetMessageText,
    };
    return functions;
}
