// A recording stand-in for libkodra32: every call is logged as text, results are scripted.
#pragma once

#include "library_functions.h"

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct FakeLibrary {
    std::vector<std::string> calls;
    // GetNumFilesToDecode: the names listed for each scanned path (none for others).
    std::map<std::string, std::vector<std::string>> namesByFile;
    std::vector<std::string> listedNames;
    // GetUniqueFileName: the path it leaves in the buffer (unchanged when empty).
    std::string uniqueName;
    // GetMessageInfo: the result and the nine fields in record order.
    int messageInfoResult = 1;
    std::array<std::optional<std::string>, 9> messageFields;
    int freedRecords = 0;
    // GetMessageText: the result, and the bytes it writes beside the message when set.
    int messageTextResult = 0;
    std::optional<std::string> messageText;
    // EncodeBuffer / DecodeBuffer: the bytes written and the count returned.
    std::string bufferOutput;
    std::optional<int> bufferResult;
    // Whether a user interface is installed.
    bool userInterfaceInstalled = false;
    KodraUserInterface userInterface{};

    void reset() { *this = FakeLibrary{}; }
};

FakeLibrary &fakeLibrary();
const CLibraryFunctions &fakeLibraryFunctions();
