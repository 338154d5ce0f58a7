#include "fake_library.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

std::string quoted(const char *text) { return text ? '"' + std::string(text) + '"' : "null"; }

void record(const std::string &call) { fakeLibrary().calls.push_back(call); }

char *copyOf(const std::optional<std::string> &field) {
    if (!field) return nullptr;
    char *copy = static_cast<char *>(std::malloc(field->size() + 1));
    std::memcpy(copy, field->c_str(), field->size() + 1);
    return copy;
}

void KODRA_CALL setUserInterface(const KodraUserInterface *userInterface) {
    record(userInterface ? "SetUserInterface(installed)" : "SetUserInterface(null)");
    fakeLibrary().userInterfaceInstalled = userInterface != nullptr;
    fakeLibrary().userInterface = userInterface ? *userInterface : KodraUserInterface{};
}

int KODRA_CALL decodeFile(const char *path, const char *names, int mode) {
    record("DecodeFile(" + quoted(path) + ", " + quoted(names) + ", " + std::to_string(mode) + ")");
    return 0;
}

int KODRA_CALL encodeFile(const char *source, const char *output, const char *boundary, int type,
                          int append) {
    record("EncodeFile(" + quoted(source) + ", " + quoted(output) + ", " + quoted(boundary) + ", " +
           std::to_string(type) + ", " + std::to_string(append) + ")");
    return 1;
}

int KODRA_CALL getNumFilesToDecode(const char *path) {
    record("GetNumFilesToDecode(" + quoted(path) + ")");
    FakeLibrary &fake = fakeLibrary();
    const auto found = fake.namesByFile.find(path);
    fake.listedNames = found == fake.namesByFile.end() ? std::vector<std::string>{} : found->second;
    return static_cast<int>(fake.listedNames.size());
}

int KODRA_CALL getEncodedFile(char *buffer, int index) {
    record("GetEncodedFile(" + std::to_string(index) + ")");
    const std::vector<std::string> &names = fakeLibrary().listedNames;
    if (index < 0 || static_cast<std::size_t>(index) >= names.size()) return 0;
    const std::string &name = names[static_cast<std::size_t>(index)];
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    return 1;
}

const char *KODRA_CALL setEncodingApplication(const char *name) {
    record("SetEncodingApplication(" + quoted(name) + ")");
    return name;
}

int KODRA_CALL getUniqueFileName(char *path) {
    record("GetUniqueFileName(" + quoted(path) + ")");
    const std::string &unique = fakeLibrary().uniqueName;
    if (!unique.empty()) std::memcpy(path, unique.c_str(), unique.size() + 1);
    return 0;
}

int KODRA_CALL concatenateRelated(int deleteFlag, char *firstPath) {
    record("ConcatenateRelated(" + std::to_string(deleteFlag) + ", " + quoted(firstPath) + ")");
    return 1;
}

int KODRA_CALL splitFile(char *path, int size) {
    record("SplitFile(" + quoted(path) + ", " + std::to_string(size) + ")");
    return 1;
}

int KODRA_CALL finishAttachments(const char *output) {
    record("FinishAttachments(" + quoted(output) + ")");
    return 0;
}

int bufferCall(const char *name, const char *input, char *output, int length, int type) {
    record(std::string(name) + "(" + quoted(std::string(input, static_cast<std::size_t>(length)).c_str()) +
           ", " + std::to_string(length) + ", " + std::to_string(type) + ")");
    const FakeLibrary &fake = fakeLibrary();
    std::memcpy(output, fake.bufferOutput.data(), fake.bufferOutput.size());
    return fake.bufferResult.value_or(static_cast<int>(fake.bufferOutput.size()));
}

int KODRA_CALL encodeBuffer(const char *input, char *output, int length, int type) {
    return bufferCall("EncodeBuffer", input, output, length, type);
}

int KODRA_CALL decodeBuffer(const char *input, char *output, int length, int type) {
    return bufferCall("DecodeBuffer", input, output, length, type);
}

int KODRA_CALL getMessageInfo(const char *path, MessageInfoRecord *record_) {
    record("GetMessageInfo(" + quoted(path) + ")");
    const FakeLibrary &fake = fakeLibrary();
    *record_ = MessageInfoRecord{};
    if (fake.messageInfoResult == 0) return 0;
    char **fields[] = {&record_->received, &record_->from,    &record_->to,
                       &record_->subject,  &record_->date,    &record_->cc,
                       &record_->replyTo,  &record_->organization, &record_->headerBlock};
    for (std::size_t i = 0; i < 9; ++i) *fields[i] = copyOf(fake.messageFields[i]);
    return fake.messageInfoResult;
}

void KODRA_CALL freeMessageInfo(MessageInfoRecord *record_) {
    record("FreeMessageInfo");
    char **fields[] = {&record_->received, &record_->from,    &record_->to,
                       &record_->subject,  &record_->date,    &record_->cc,
                       &record_->replyTo,  &record_->organization, &record_->headerBlock};
    for (char **field : fields) {
        std::free(*field);
        *field = nullptr;
    }
    ++fakeLibrary().freedRecords;
}

int KODRA_CALL getMessageText(const char *messagePath, const char *targetPath) {
    record("GetMessageText(" + quoted(messagePath) + ", " + quoted(targetPath) + ")");
    const FakeLibrary &fake = fakeLibrary();
    if (fake.messageText) {
        std::string out = messagePath;
        out = out.substr(0, out.rfind('/') + 1) + targetPath;
        if (FILE *file = std::fopen(out.c_str(), "wb")) {
            std::fwrite(fake.messageText->data(), 1, fake.messageText->size(), file);
            std::fclose(file);
        }
    }
    return fake.messageTextResult;
}

}  // namespace

FakeLibrary &fakeLibrary() {
    static FakeLibrary fake;
    return fake;
}

const CLibraryFunctions &fakeLibraryFunctions() {
    static const CLibraryFunctions functions{
        setUserInterface, decodeFile,      encodeFile,     getNumFilesToDecode, getEncodedFile,
        setEncodingApplication, getUniqueFileName, concatenateRelated, splitFile, finishAttachments,
        encodeBuffer,     decodeBuffer,    getMessageInfo, freeMessageInfo,     getMessageText,
    };
    return functions;
}
