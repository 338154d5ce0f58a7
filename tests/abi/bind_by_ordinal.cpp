// Calls every export of KODRA32.dll once through an import library that knows ordinals
// only, and checks each result is the one that export gives: a wrong ordinal calls another
// function and fails here (or crashes, which fails too).
#include "kodra32.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

int failures = 0;

void expect(bool ok, const char* what, const std::string& got, const std::string& want) {
    if (ok) return;
    ++failures;
    std::printf("%s: got %s, want %s\n", what, got.c_str(), want.c_str());
}

void expectInt(const char* what, long long got, long long want) {
    expect(got == want, what, std::to_string(got), std::to_string(want));
}

void expectText(const char* what, const std::string& got, const std::string& want) {
    expect(got == want, what, "\"" + got + "\"", "\"" + want + "\"");
}

void expectContains(const char* what, const std::string& text, const std::string& part) {
    expect(text.find(part) != std::string::npos, what, "\"" + text.substr(0, 200) + "\"",
           "text containing \"" + part + "\"");
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The scripted user: says yes to every question and counts them.
int questions = 0;
int KODRA_CALL answerYes(void*, void*, const char*, const char*, int buttons) {
    ++questions;
    return buttons == KODRA_MB_OK ? KODRA_IDOK : KODRA_IDYES;
}

}  // namespace

int main() {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / "kodra-ordinals";
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    fs::create_directories(folder / "decoded");
    const std::string dir = folder.string() + "\\";

    // @6 SetEncodingApplication
    const char* name = SetEncodingApplication("Ordinal Test");
    expectText("SetEncodingApplication", name ? name : "(null)", "Ordinal Test");

    // @3 EncodeFile, @10 FinishAttachments
    writeFile(dir + "hello.bin", "hello");
    const std::string mime = dir + "decoded\\parts.mim";
    writeFile(mime, "Content-Type: multipart/mixed; boundary=\"BOUND\"\r\n\r\n--BOUND");
    expectInt("EncodeFile", EncodeFile((dir + "hello.bin").c_str(), mime.c_str(), "BOUND", 2, 1), 1);
    expectInt("FinishAttachments", FinishAttachments(mime.c_str()), 0);
    const std::string encoded = readFile(mime);
    expectContains("EncodeFile output", encoded, "aGVsbG8=");
    expectContains("FinishAttachments output", encoded, "--BOUND--\r\n");

    // @19 EncodeFileEx
    const std::string strict = dir + "strict.mim";
    expectInt("EncodeFileEx", EncodeFileEx((dir + "hello.bin").c_str(), strict.c_str(), "B", 2, 0, 1), 1);
    expectContains("EncodeFileEx output", readFile(strict), "Content-Transfer-Encoding: base64");

    // @4 GetNumFilesToDecode, @5 GetEncodedFile
    expectInt("GetNumFilesToDecode", GetNumFilesToDecode(mime.c_str()), 1);
    char listed[1024] = "untouched";
    expectInt("GetEncodedFile", GetEncodedFile(listed, 0), 1);
    expectText("GetEncodedFile name", listed, dir + "decoded\\hello.bin");

    // @18 SetUserInterface, @2 DecodeFile (mode 0 asks the scripted user)
    KodraUserInterface user{};
    user.messageBox = answerYes;
    SetUserInterface(&user);
    expectInt("DecodeFile", DecodeFile(mime.c_str(), "", 0), 2);
    SetUserInterface(nullptr);
    expect(questions > 0, "SetUserInterface", std::to_string(questions) + " questions", "some");
    expectText("DecodeFile output", readFile(dir + "decoded\\hello.bin"), "hello");

    // @7 GetUniqueFileName
    char unique[260];
    std::snprintf(unique, sizeof unique, "%shello.bin", dir.c_str());
    expectInt("GetUniqueFileName", GetUniqueFileName(unique), 0);
    expectText("GetUniqueFileName path", unique, dir + "hello1.bin");

    // @9 SplitFile (pieces piece1.txt to piece3.txt), @8 ConcatenateRelated (onto piece1.txt)
    writeFile(dir + "piece.txt", "abcdefghij");
    char split[260];
    std::snprintf(split, sizeof split, "%spiece.txt", dir.c_str());
    expectInt("SplitFile", SplitFile(split, 4), 1);
    expectText("SplitFile last piece", split, dir + "piece3.txt");
    expectText("SplitFile first piece", readFile(dir + "piece1.txt"), "abcd");
    char join[260];
    std::snprintf(join, sizeof join, "%spiece1.txt", dir.c_str());
    expectInt("ConcatenateRelated", ConcatenateRelated(1, join), 1);
    expectText("ConcatenateRelated result", readFile(dir + "piece1.txt"), "abcdefghij");
    expect(!fs::exists(dir + "piece3.txt"), "ConcatenateRelated deletion", "piece3.txt kept", "deleted");

    // @11 EncodeBuffer, @12 DecodeBuffer
    char buffer[64] = {};
    const int encodedLength = EncodeBuffer("hello", buffer, 5, 2);
    expectText("EncodeBuffer", std::string(buffer, encodedLength > 0 ? static_cast<std::size_t>(encodedLength) : 0),
               "aGVsbG8=\r\n");
    char decoded[64] = {};
    expectInt("DecodeBuffer", DecodeBuffer("aGVsbG8=", decoded, 8, 2), 5);
    expectText("DecodeBuffer output", decoded, "hello");

    // @13 GetMessageHeaderField, @14 GetMessageInfo, @15 FreeMessageInfo
    const std::string message = dir + "message.eml";
    writeFile(message, "From: someone@example.org\r\nSubject: Ordinals\r\n"
                       "Date: Tue, 1 Jan 2002 10:00:00 +0000\r\n\r\nBody text\r\n");
    char field[64] = {};
    expectInt("GetMessageHeaderField", GetMessageHeaderField(message.c_str(), field, sizeof field, 3), 1);
    expectText("GetMessageHeaderField value", field, "Ordinals");
    MessageInfoRecord record{};
    expectInt("GetMessageInfo", GetMessageInfo(message.c_str(), &record), 1);
    expectText("GetMessageInfo from", record.from ? record.from : "(null)", "someone@example.org");
    FreeMessageInfo(&record);
    expect(record.from == nullptr && record.subject == nullptr, "FreeMessageInfo", "fields set", "all null");

    // @16 GetMessageText
    expectInt("GetMessageText", GetMessageText(message.c_str(), "body.txt"), 5);
    expectContains("GetMessageText output", readFile(dir + "body.txt"), "Body text");

    // @17 DecodeMimeTime
    KodraSystemTime time{};
    expectInt("DecodeMimeTime", DecodeMimeTime("Tue, 1 Jan 2002 10:00:00 +0000", &time, 0), 1);
    expectInt("DecodeMimeTime year", time.wYear, 2002);
    expectInt("DecodeMimeTime hour", time.wHour, 10);

    // @20 KodraOpenContext, @31 KodraGetHeaderField, @21 KodraCloseContext
    KodraContext* context = KodraOpenContext();
    expect(context != nullptr, "KodraOpenContext", "null", "a context");
    if (context) {
        char subject[64] = {};
        expectInt("KodraGetHeaderField", KodraGetHeaderField(context, message.c_str(), "subject", subject, sizeof subject),
                  8);
        expectText("KodraGetHeaderField value", subject, "Ordinals");
        KodraCloseContext(context);
    }

    fs::remove_all(folder, ignored);
    std::printf(failures ? "%d failures\n" : "all exports answer at their ordinals\n", failures);
    return failures ? 1 : 0;
}
