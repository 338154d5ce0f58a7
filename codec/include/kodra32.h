/*
 * kodra32.h - public interface of the Kodra codec library (libkodra32 / KODRA32.dll).
 *
 * Usable from C and C++. Every export takes narrow NUL-terminated strings and
 * 32-bit integers and returns a 32-bit integer; none of them throws. The library
 * keeps a little process-wide state without locks: callers serialise all calls.
 */
#ifndef KODRA32_H
#define KODRA32_H

#ifdef __cplusplus
extern "C" {
#endif

/* Calling convention: the system libraries' own on 32-bit Windows, nothing elsewhere. */
#if defined(_WIN32) && !defined(_WIN64)
#define KODRA_CALL __stdcall
#else
#define KODRA_CALL
#endif

#if defined(_WIN32)
#if defined(KODRA32_BUILDING)
#define KODRA_API __declspec(dllexport)
#else
#define KODRA_API __declspec(dllimport)
#endif
#else
#define KODRA_API __attribute__((visibility("default")))
#endif

/* Encoding types, shared by the encoders, the buffer codec and DecodeFile's result. */
#define KODRA_UUENCODE 1
#define KODRA_BASE64 2
#define KODRA_BINHEX 3
#define KODRA_XXENCODE 4
#define KODRA_QUOTED_PRINTABLE 5

/* Date and time, laid out like the Windows SYSTEMTIME record: eight unsigned 16-bit fields. */
typedef struct KodraSystemTime {
    unsigned short wYear;
    unsigned short wMonth;     /* 1 to 12 */
    unsigned short wDayOfWeek; /* 0 = Sunday */
    unsigned short wDay;
    unsigned short wHour;
    unsigned short wMinute;
    unsigned short wSecond;
    unsigned short wMilliseconds;
} KodraSystemTime;

/* Header values of one stored message; the library allocates the strings and only
 * FreeMessageInfo releases them. The field order is also the selector order 0 to 8. */
typedef struct MessageInfoRecord {
    char *received;
    char *from;
    char *to;
    char *subject;
    char *date;
    char *cc;
    char *replyTo;
    char *organization;
    char *headerBlock;
} MessageInfoRecord;

/*
 * User interface. DecodeFile asks questions and shows messages; by default the
 * library asks on the controlling terminal, or answers safely without one
 * ("Decode file?" Yes, overwrite No, save chooser cancelled). A host installs its
 * own dialogs with SetUserInterface; any member may be null, and null falls back
 * to the default for that member.
 */
#define KODRA_MB_OK 0
#define KODRA_MB_YESNOCANCEL 3
#define KODRA_MB_YESNO 4

#define KODRA_IDOK 1
#define KODRA_IDCANCEL 2
#define KODRA_IDYES 6
#define KODRA_IDNO 7

typedef struct KodraUserInterface {
    void *context; /* handed back to every callback */
    /* Shows text under caption with one of the KODRA_MB_* button sets; returns a KODRA_ID* answer. */
    int(KODRA_CALL *messageBox)(void *context, void *owner, const char *text, const char *caption,
                                int buttons);
    /* The window that owns prompts started now (null when there is none). */
    void *(KODRA_CALL *activeWindow)(void *context);
    /* Lets the user pick a file to save to: path (size bytes) holds the proposal on entry and
     * the choice on return. Returns 1 when a name was chosen, 0 when cancelled. The chooser
     * asks before an existing file is chosen. */
    int(KODRA_CALL *chooseSaveFile)(void *context, void *owner, char *path, int size);
    /* Progress of a long file job: bytes done of bytes in all. */
    void(KODRA_CALL *progress)(void *context, long long done, long long total);
} KodraUserInterface;

/* Installs a host's user interface (copied); null restores the default. */
KODRA_API void KODRA_CALL SetUserInterface(const KodraUserInterface *userInterface);

/*
 * Buffer codec for types 1 (UUencode), 2 (Base64), 4 (XXencode) and 5 (quoted-printable).
 * Both return 0 for any other type, a negative length or a null pointer, and write nothing then.
 *
 * EncodeBuffer output room, for n input bytes:
 *   types 1, 4: per line of up to 45 bytes, 1 + 4 * ceil(bytes / 3) + 2;
 *   type 2:     per line of up to 57 bytes, 4 * ceil(bytes / 3) + 2;
 *   type 5:     3 * n + 3 * (n / 72 + 1) + 3 (the text is followed by a zero byte).
 * It returns the bytes written (type 5: before the zero byte), or 0 when that count would
 * not fit a 32-bit int.
 *
 * DecodeBuffer output room, for n input characters:
 *   types 1, 2, 4: 3 * (n / 4) + 3;
 *   type 5:        n, plus one for a zero byte unless the input's n bytes already end with one.
 * It returns the decoded byte count; malformed input ends the decoding early.
 */
KODRA_API int KODRA_CALL EncodeBuffer(const char *input, char *output, int length, int type);
KODRA_API int KODRA_CALL DecodeBuffer(const char *input, char *output, int length, int type);

/*
 * Decoding of text files (mail, news, digests). DecodeFile writes every UUencoded,
 * XXencoded, Base64, quoted-printable, text and BinHex section of the file at path to a
 * file in the same folder, named from the content. mode 0 asks before each file and
 * before overwriting and shows messages; 1 is silent and takes the output paths, in
 * order, from names (separated by ";", the last one reused); 2 asks only before
 * overwriting; any other value is silent. Returns the type of the last section decoded
 * (KODRA_UUENCODE ... KODRA_QUOTED_PRINTABLE, text sections giving 5), or 0 when nothing
 * was decoded. A decode never writes through a symbolic link nor over the input itself.
 */
KODRA_API int KODRA_CALL DecodeFile(const char *path, const char *names, int mode);

/* Lists the paths of the files that decoding path would write; returns how many (0 also
 * when the file cannot be opened, the earlier list then being kept). */
KODRA_API int KODRA_CALL GetNumFilesToDecode(const char *path);

/* Copies entry index of that list, NUL included, into buffer (1024 bytes). Returns 1, or
 * 0 when there is no such entry or it would not fit; the buffer is then untouched. */
KODRA_API int KODRA_CALL GetEncodedFile(char *buffer, int index);

#ifdef __cplusplus
}
#endif

#endif /* KODRA32_H */
