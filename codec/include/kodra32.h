/*
 * kodra32.h - public interface of the Kodra codec library (libkodra32 / KODRA32.dll).
 *
 * Usable from C and C++. Every export takes narrow NUL-terminated strings and
 * 32-bit integers and returns a 32-bit integer; none of them throws. The classic exports
 * share the library's default context without locks: callers serialise those calls. The
 * Kodra* context exports at the end are reentrant.
 *
 * Paths and file names. The classic exports take and give them as the system's narrow
 * file functions do: UTF-8 on POSIX, the ANSI code page on Windows, where the library
 * converts them at entry, reaches every file through the wide-character functions (so a
 * name found in a message, Cyrillic or Chinese, is written as it is) and gives names back
 * in the ANSI code page, a character it cannot spell becoming "_". The Kodra* exports take
 * UTF-8 paths on every system. The KodraUserInterface callbacks get and give text and
 * paths in the ANSI code page on Windows, UTF-8 elsewhere. Header values are returned as
 * read, on every system.
 */
#ifndef KODRA32_H
#define KODRA32_H

#include <stddef.h>

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
#elif defined(KODRA32_STATIC) /* linked with the library's objects, not with the DLL */
#define KODRA_API
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
#define KODRA_YENC 6 /* yEnc 1.3: EncodeFileEx, KodraEncodeFile and the Kodra*Buffer codec only */

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
     * asks before an existing file is chosen. On Windows text, caption and path are in the
     * ANSI code page. */
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

/* Lists, in order, the default output path of every section that decoding path names:
 * entry i is the section that takes name i of a mode-1 list, even where the default path
 * would be refused (a link, a folder, the input itself). Names from the content never
 * hold ";" or control characters. Returns how many (0 also when the file cannot be
 * opened, the earlier list then being kept). */
KODRA_API int KODRA_CALL GetNumFilesToDecode(const char *path);

/* Copies entry index of that list, NUL included, into buffer (1024 bytes). Returns 1, or
 * 0 when there is no such entry or it would not fit; the buffer is then untouched. */
KODRA_API int KODRA_CALL GetEncodedFile(char *buffer, int index);

/*
 * File encoder. A multi-attachment body is built as: the caller writes its message
 * header and the first delimiter "--" boundary WITHOUT a line end (every part begins by
 * ending the line before it); then one EncodeFile per attachment with the same output
 * and boundary; then FinishAttachments once. Each part ends in CR LF "--" boundary, so
 * consecutive parts are separated by exactly one delimiter line.
 *
 * SetEncodingApplication stores a copy of name, which every later part carries in its
 * signature and Content-Description; "an unnamed application" is written while none is
 * set. Returns the library's copy (do not free or change it), or null when name is null
 * (the name is cleared) or no memory could be had (the old name stays).
 */
KODRA_API const char *KODRA_CALL SetEncodingApplication(const char *name);

/*
 * Writes (append 0: creates or truncates) or appends one MIME part carrying sourcePath,
 * encoded as type 1 to 5, to outputPath, in the library's classic layout (signature
 * line, "application\octet-stream", the type words UUENCODED, Base64, BinHex, XXENCODED,
 * quoted-printable). The part's file name is the text after the last "/" or "\" of
 * sourcePath, with CR, LF and double quotes written as "_".
 * Returns 1 when the whole part was written. Returns 0, creating and changing nothing,
 * for a type outside 1 to 5, a null argument, a source that is not a readable regular
 * file, or an output that is the source itself or cannot be opened; and returns 0 when
 * memory, a read, a write or the close failed (the output then ends in an incomplete part).
 */
KODRA_API int KODRA_CALL EncodeFile(const char *sourcePath, const char *outputPath,
                                    const char *boundary, int type, int append);

/*
 * EncodeFile with a layout flag, and type 6 (KODRA_YENC) besides: for types 1 to 5, flags 0
 * is exactly EncodeFile; flags 1 writes a part that strict MIME readers accept (RFC 2045,
 * 2046): the signature as an "X-Encoded-By" field, "application/octet-stream"
 * ("application/mac-binhex40" and "7bit" for BinHex, RFC 1741), the transfer encodings
 * base64, quoted-printable, x-uuencode, x-xxencode, the last UU or XX line padded with the
 * zero-value character instead of "=", and quoted-printable text ending in a soft line break
 * (so that no line end is added to the data). Other flags return 0. Type 6, with flags 0
 * or 1, writes one single-part yEnc section ("=ybegin line=128 size=N name=NAME" ...
 * "=yend size=N crc32=XXXXXXXX", lines ending in CR LF) as the body of an
 * "application/octet-stream" part with the transfer encoding "8bit".
 */
KODRA_API int KODRA_CALL EncodeFileEx(const char *sourcePath, const char *outputPath,
                                      const char *boundary, int type, int append, int flags);

/*
 * Appends "--" CR LF to outputPath, turning the last part's delimiter into the closing
 * one. Returns 0 when it was written and closed; -1 when outputPath does not exist or
 * cannot be opened (nothing is created) or the write or close failed.
 */
KODRA_API int KODRA_CALL FinishAttachments(const char *outputPath);

/*
 * Numbered families of files: report.txt, report1.txt, report2.txt, ... The number is the
 * run of digits just before the name's last "." (or at its end), raised as decimal text
 * (report9 -> report10, report007 -> report8, data.tar.gz -> data.tar1.gz); extensions
 * longer than 20 characters are cut to 20. These three functions change path in place:
 * it must point to a buffer of at least 260 bytes. A path never grows past 259 characters;
 * where a name would have to, the function stops with its failure value.
 *
 * GetUniqueFileName makes the name safe once (a path without a folder becomes "doc1.doc")
 * and numbers it until it names nothing that exists. Returns 0; returns -1 and leaves an
 * empty path when no such name fits in 259 characters.
 *
 * SplitFile cuts the file at path into pieces of size bytes (the last one short, or empty
 * when the length is a multiple of size); path then names the last piece. Returns 1; 0
 * when path is no readable regular file, size is below 1, a piece name would not fit, a
 * piece would be the source, an existing piece cannot be overwritten or memory is short
 * (nothing created or changed, path included), or when a read, write or close fails.
 *
 * ConcatenateRelated appends the pieces following firstPath (up to the first one missing)
 * to firstPath, and with deleteFlag non-zero deletes each piece once its content is
 * appended and flushed; firstPath then names the first missing piece. Returns 1; 0 when
 * firstPath does not exist, a piece name would not fit, a piece is the first file itself,
 * a piece or the first file cannot be opened or memory is short (nothing changed, path
 * included), or when a read, write, delete or close fails.
 */
KODRA_API int KODRA_CALL GetUniqueFileName(char *path);
KODRA_API int KODRA_CALL SplitFile(char *path, int size);
KODRA_API int KODRA_CALL ConcatenateRelated(int deleteFlag, char *firstPath);

/*
 * Message headers. GetMessageInfo fills record (all fields null first) with library-owned
 * copies of the first From, To, Subject, Date, CC, Reply-to and Organization values
 * (unfolded, encoded words decoded), the delivery lines before them (headerBlock) and the
 * receiving time after the first ";" among those lines, each cut to 1 MiB (1048576
 * characters); 1, or 0 when the file cannot be read. Release the strings with
 * FreeMessageInfo (harmless on an all-null record).
 * GetMessageHeaderField copies field `selector` (0 to 8, record order) into buffer,
 * cut to length - 1 characters; 0 when length < 2 or the file cannot be read, else 1
 * (an absent field or unknown selector gives an empty text). Both read the header as a
 * stream: memory does not grow with a field's length beyond what they return.
 */
KODRA_API int KODRA_CALL GetMessageInfo(const char *path, MessageInfoRecord *record);
KODRA_API void KODRA_CALL FreeMessageInfo(MessageInfoRecord *record);
KODRA_API int KODRA_CALL GetMessageHeaderField(const char *path, char *buffer, int length,
                                               unsigned int selector);

/*
 * Writes the readable text of the message at messagePath to targetPath, taken literally
 * (a bare name goes beside the message; ";" is part of the name): the body of a plain
 * message, decoded when its transfer encoding is quoted-printable or Base64, or the first
 * part of a multipart message (the bodies of its sub-parts when it is multipart itself)
 * followed by the body of an HTML second part. Returns 5 when a plain body was copied,
 * DecodeFile's result for a multipart message, 2 when the message itself is Base64
 * encoded, and 0 when no text was found, the target is the message itself under any name
 * (nothing is then written) or no regular file, or a file could not be read, made or
 * copied. A boundary line begins with "--" and the boundary; the first 1024 distinct
 * boundaries are remembered. Works through a temporary file beside the target
 * ("54sfh$42.1", or a numbered variant when that name is taken), used only through its
 * own handle and always removed again.
 */
KODRA_API int KODRA_CALL GetMessageText(const char *messagePath, const char *targetPath);

/*
 * Reads the date of a mail or news header (RFC 822, RFC 850 or asctime layout, each led by a
 * weekday word; zones as +hhmm / -hhmm, named zones taken as UTC) into record, in UTC or,
 * with toLocal non-zero, in the machine's local time. Returns 1 when a date was produced;
 * 0 with the record zero-filled when the text has no space or its fields form no valid date.
 */
KODRA_API int KODRA_CALL DecodeMimeTime(const char *text, KodraSystemTime *record, int toLocal);

/*
 * Reentrant decoding. A context holds everything one decode needs: its user interface,
 * its options and the name list of mode 1. Paths, folders and the names of mode 1 are
 * UTF-8 on every system (on Windows too: any Unicode name can be written). Different contexts may be used on different
 * threads at once; one context is used by one thread at a time. The classic exports above
 * use the library's default context (the one SetUserInterface and SetEncodingApplication
 * change).
 *
 *     static int KODRA_CALL onBegin(void *self, const KodraPart *part) {
 *         printf("%s (%d)\n", part->nameUtf8, part->encoding);
 *         return 1;                                   (1: deliver its data, 0: skip it)
 *     }
 *     static int KODRA_CALL onData(void *self, const void *bytes, size_t size) {
 *         return fwrite(bytes, 1, size, (FILE *)self) == size;   (0 stops the part)
 *     }
 *     static void KODRA_CALL onEnd(void *self, const KodraPart *part, int status) {}
 *
 *     KodraContext *context = KodraOpenContext();
 *     KodraSink sink = {stdout, onBegin, onData, onEnd};
 *     int decoded = KodraDecodeMemoryToSink(context, message, messageSize, &sink);
 *     KodraDecodeFileTo(context, "inbox/0042.eml", "attachments");
 *     KodraCloseContext(context);
 */
typedef struct KodraContext KodraContext;

/* How a part is encoded, as reported to a sink. */
#define KODRA_ENCODING_UU 1
#define KODRA_ENCODING_BASE64 2
#define KODRA_ENCODING_BINHEX 3
#define KODRA_ENCODING_XX 4
#define KODRA_ENCODING_TEXT 5             /* 7bit, 8bit, plain or HTML text */
#define KODRA_ENCODING_QUOTED_PRINTABLE 6
#define KODRA_ENCODING_UU_TABLE 7         /* UUencode with a private "table" alphabet */
#define KODRA_ENCODING_YENC 8             /* yEnc 1.3, sizes and CRC-32 checked */

/* The final status of a part, as reported to a sink. */
#define KODRA_PART_DECODED 0 /* every byte delivered, all checks passed */
#define KODRA_PART_FAILED 1  /* a CRC or check failed, the data ended early or the sink stopped it */
#define KODRA_PART_SKIPPED 2 /* begin declined it: its data was read through, nothing delivered */

typedef struct KodraPart {
    int index;              /* 0 for the first part of the input, then 1, 2, ... */
    int encoding;           /* KODRA_ENCODING_* */
    const char *name;       /* the file name found in the content, bare (no folders), as bytes */
    size_t nameSize;        /* its length in bytes */
    const char *nameUtf8;   /* the same name as UTF-8 (bytes that are not UTF-8 read as Latin-1) */
    long long offset;       /* byte offset in the input of the line that opened the part */
} KodraPart;

/* A caller's receiver of decoded parts; any member but data may be null. */
typedef struct KodraSink {
    void *context; /* handed back to every callback */
    /* A part begins: 1 to receive its data, 0 to skip it. */
    int(KODRA_CALL *begin)(void *context, const KodraPart *part);
    /* The next decoded bytes of the current part (size > 0): 1 to go on, 0 to stop the part. */
    int(KODRA_CALL *data)(void *context, const void *bytes, size_t size);
    /* The part has ended with a KODRA_PART_* status. */
    void(KODRA_CALL *end)(void *context, const KodraPart *part, int status);
} KodraSink;

/* Options of KodraSetContextOption. */
#define KODRA_OPTION_MODE 1 /* DecodeFile's mode (0 to 3) for the folder decodes; default 3 */

/* Opens a context with the default user interface and options; null when memory is short. */
KODRA_API KodraContext *KODRA_CALL KodraOpenContext(void);
/* Closes a context (null is harmless). */
KODRA_API void KODRA_CALL KodraCloseContext(KodraContext *context);
/* Sets the context's user interface (copied); null restores the default. 1, or 0 for a null context. */
KODRA_API int KODRA_CALL KodraSetContextUserInterface(KodraContext *context,
                                                      const KodraUserInterface *userInterface);
/* Sets an option; 1, or 0 for a null context, an unknown option or a value out of range. */
KODRA_API int KODRA_CALL KodraSetContextOption(KodraContext *context, int option, int value);
/* Sets the ";"-separated output paths that mode 1 takes in order (copied; null empties it). 1, or 0. */
KODRA_API int KODRA_CALL KodraSetContextNames(KodraContext *context, const char *names);

/*
 * Folder decodes: as DecodeFile, with the context's mode and names, writing each part into
 * folder (null: the input file's folder). The memory form reads size bytes at data and needs
 * a folder. Both return DecodeFile's result: the type of the last section decoded, or 0.
 * Unlike DecodeFile, these, the sink and the listing exports decode yEnc too (result
 * KODRA_ENCODING_YENC); a yEnc section that fails its size or CRC-32 checks, lacks its
 * "=yend" line or is one part of several is kept only as "<name>.incomplete" (numbered when
 * taken), and a sink's end gets KODRA_PART_FAILED for it.
 */
KODRA_API int KODRA_CALL KodraDecodeFileTo(KodraContext *context, const char *path, const char *folder);
KODRA_API int KODRA_CALL KodraDecodeMemoryTo(KodraContext *context, const void *data, size_t size,
                                             const char *folder);

/*
 * Sink decodes: every part found is offered to sink->begin and, when taken, its decoded bytes
 * go to sink->data in chunks, then sink->end gets its status. Nothing is asked and no file is
 * written. Returns the number of parts that ended KODRA_PART_DECODED; -1 for a null
 * argument or an input that cannot be read.
 */
KODRA_API int KODRA_CALL KodraDecodeFileToSink(KodraContext *context, const char *path,
                                               const KodraSink *sink);
KODRA_API int KODRA_CALL KodraDecodeMemoryToSink(KodraContext *context, const void *data, size_t size,
                                                 const KodraSink *sink);

/*
 * Listing: every part found is reported to sink->begin (its answer is ignored) without being
 * decoded; data and end are not called. Returns the number of parts; -1 as above.
 */
KODRA_API int KODRA_CALL KodraListFileParts(KodraContext *context, const char *path, const KodraSink *sink);
KODRA_API int KODRA_CALL KodraListMemoryParts(KodraContext *context, const void *data, size_t size,
                                              const KodraSink *sink);

/*
 * A header field as UTF-8: copies the body of the first field called fieldName (any case,
 * without the colon) in the header of the message at path into buffer, unfolded (each line
 * end before a blank removed), blanks around it trimmed, encoded words of any charset
 * decoded (RFC 2047), always well-formed UTF-8 (what cannot be read becomes U+FFFD), cut
 * to 1 MiB (1048576 bytes) before decoding. At most size - 1 bytes and a NUL are written,
 * never half a character. Returns the value's full length in bytes (more than size - 1:
 * call again with a larger buffer; buffer may be null with size 0 to ask for it),
 * KODRA_NO_SUCH_FIELD when the header has no such field, or -1 for a null context, path or
 * fieldName, a fieldName that names no field (empty, ":", blanks or controls in it), or a
 * file that cannot be read.
 *
 *     char subject[256];
 *     int length = KodraGetHeaderField(context, "inbox/0042.eml", "Subject", subject, sizeof subject);
 */
#define KODRA_NO_SUCH_FIELD (-2)
KODRA_API int KODRA_CALL KodraGetHeaderField(KodraContext *context, const char *path, const char *fieldName,
                                             char *buffer, size_t size);

/*
 * yEnc encoding. Writes sourcePath as a yEnc posting (type KODRA_YENC, lines of 128
 * characters ending in CR LF): with partSize 0 one article body
 * "=ybegin line=128 size=N name=NAME", the data lines, "=yend size=N crc32=XXXXXXXX" in
 * outputPath; with partSize > 0 the file is cut into parts of partSize bytes (at most 100000
 * parts; an empty file is one part), each written to its own file: outputPath for the first,
 * then each next one under the name SplitFile numbers next (post.ync, post1.ync, post2.ync,
 * ...). Part K of T carries "=ybegin part=K total=T line=128 size=FILESIZE name=NAME",
 * "=ypart begin=B end=E" (1-based, inclusive), the data lines and
 * "=yend size=PARTSIZE part=K pcrc32=XXXXXXXX", the last part also " crc32=XXXXXXXX" of the
 * whole file (CRCs are 8 lower-case hexadecimal digits). The name is the text after the last
 * "/" or "\" of sourcePath, CR, LF and double quotes written as "_".
 * Types 1 to 5 (partSize must be 0) write EncodeFileEx's flags-1 part into outputPath on its
 * own: its header fields from the first line, then the body, without delimiter lines.
 * Outputs are replaced; links, folders and the source itself are refused before anything is
 * written. Returns the number of files written; 0 for a null argument, an unknown type, a
 * negative partSize, a refused output or a failed read or write (every file written is
 * removed again).
 */
KODRA_API int KODRA_CALL KodraEncodeFile(KodraContext *context, const char *sourcePath, const char *outputPath,
                                         int type, long long partSize);

/*
 * Buffer codec without the 32-bit limits, for types 1, 2, 4, 5 and 6. KodraEncodeBuffer writes
 * the lines EncodeBuffer writes (type 5: followed by a zero byte); type 6 writes yEnc data
 * lines of 128 characters ending in CR LF, without "=ybegin" and "=yend". KodraDecodeBuffer
 * decodes as DecodeBuffer; type 6 skips CR and LF wherever they stand.
 * Both return the bytes written (type 5 encoding: before the zero byte), or -1 for another
 * type, a null pointer or room below what the type needs for n input bytes:
 *   encode types 1, 4: per line of up to 45 bytes, 1 + 4 * ceil(bytes / 3) + 2;
 *   encode type 2:     per line of up to 57 bytes, 4 * ceil(bytes / 3) + 2;
 *   encode type 5:     3 * n + 3 * (n / 72 + 1) + 3;
 *   encode type 6:     2 * n + 2 * (2 * n / 128 + 1) + 4;
 *   decode types 1, 2, 4: 3 * (n / 4) + 3;  type 5: n + 1;  type 6: n.
 */
KODRA_API long long KODRA_CALL KodraEncodeBuffer(const void *input, size_t size, void *output, size_t room,
                                                 int type);
KODRA_API long long KODRA_CALL KodraDecodeBuffer(const void *input, size_t size, void *output, size_t room,
                                                 int type);

/*
 * Postings split over several articles, joined again. An input is a file (path) or a memory
 * block (path null, data and size). Together, the inputs may hold yEnc parts ("=ybegin
 * part= total=", joined by name, total and "=ypart" ranges), UUencoded articles whose
 * subjects carry "(n/m)" or "[n/m]" marks (joined by subject and total) and MIME
 * message/partial messages (joined by id, number and total; RFC 2046, 5.2.2), in any
 * order and in any number per input.
 */
#define KODRA_POSTING_YENC 1
#define KODRA_POSTING_UU 2
#define KODRA_POSTING_PARTIAL 3

#define KODRA_POSTING_COMPLETE 0   /* every part found, joined, every check passed */
#define KODRA_POSTING_INCOMPLETE 1 /* parts missing: nothing passed off as complete */
#define KODRA_POSTING_FAILED 2     /* a CRC, size or other check failed, or it could not be written */

typedef struct KodraInput {
    const char *path; /* a file, or null for the memory block below */
    const void *data;
    size_t size;
} KodraInput;

typedef struct KodraPosting {
    int kind;               /* KODRA_POSTING_* */
    const char *nameUtf8;   /* the file name (message/partial: the id) */
    int total;              /* parts the posting announces (0: unknown) */
    int found;              /* distinct parts found */
    const int *missing;     /* part numbers not found, ascending */
    int missingCount;
    const int *duplicates;  /* part numbers found more than once */
    int duplicateCount;
    const int *overlapping; /* part numbers whose byte ranges overlap another part's */
    int overlappingCount;
    int status;             /* KODRA_POSTING_COMPLETE, _INCOMPLETE or _FAILED */
    const char *reason;     /* why it is not complete, in words (empty when complete) */
    const char *path;       /* folder decodes: the file written (a marked name when not complete) or null */
} KodraPosting;

/* A caller's receiver of one report per posting found. */
typedef struct KodraPostingReport {
    void *context;
    void(KODRA_CALL *posting)(void *context, const KodraPosting *posting);
} KodraPostingReport;

/*
 * Decodes count inputs together. Split postings are joined across all of them, whatever
 * the order of the inputs and of the parts; everything else in them is decoded as
 * KodraDecodeFileTo (folder given) or KodraDecodeFileToSink (folder null, sink given)
 * decodes it. A posting that is incomplete or fails a check never appears under its final
 * name: folder decodes keep what could be decoded under the name with ".incomplete"
 * appended, and say so in the report; sinks get it with KODRA_PART_FAILED. A joined file
 * is written under a temporary name in folder and given its name at the end; a computed
 * name that exists is numbered, never replaced. Duplicate parts with the same text are
 * harmless (reported, the posting still complete); different ones fail it. An input may
 * hold many articles (an mbox, or articles one after another). report (may be
 * null) gets every posting. Returns the number of parts and postings decoded completely;
 * -1 for a null context, no inputs, neither folder nor sink, or an input that cannot be read.
 */
KODRA_API int KODRA_CALL KodraDecodeInputs(KodraContext *context, const KodraInput *inputs, int count,
                                           const char *folder, const KodraSink *sink,
                                           const KodraPostingReport *report);

/* Lists the postings of count inputs to report, with the parts found and missing, decoding
 * nothing. Returns the number of postings; -1 as above. */
KODRA_API int KODRA_CALL KodraListPostings(KodraContext *context, const KodraInput *inputs, int count,
                                           const KodraPostingReport *report);

/*
 * Archives. An input is an mbox file (mboxo or mboxrd; "-" reads standard input), a Maildir
 * folder (cur/ and new/), a folder of message files (searched recursively) or a single
 * message. Every part of every message is decoded into outputFolder, one folder per
 * message (named from the message's position and Message-ID) or, with byHash, one file
 * per distinct content under its SHA-256 ("ab/abcdef..."), and described by one manifest
 * record: a JSON object on one line (the schema is in docs/manifest.md).
 */
typedef struct KodraExtractProgress {
    long long messages;   /* messages done */
    long long bytesDone;  /* input bytes done */
    long long bytesTotal; /* input bytes in all (0: unknown, as for standard input) */
    long long failures;   /* records that are not "decoded" */
} KodraExtractProgress;

typedef struct KodraExtractOptions {
    int jobs;                 /* workers; 0 or less: one per core. Results do not depend on it. */
    int byHash;               /* 1: one file per distinct content under its SHA-256 */
    const char *manifestPath; /* JSON Lines file the records are appended to (null: none) */
    int resume;               /* 1: skip the messages manifestPath records already */
    void *context;            /* handed back to the callbacks */
    /* Every manifest record, in input order (json is one line, without its line end). */
    void(KODRA_CALL *record)(void *context, const char *json, size_t size);
    /* Progress, now and then; 0 stops the run cleanly after the messages under way. */
    int(KODRA_CALL *progress)(void *context, const KodraExtractProgress *progress);
} KodraExtractOptions;

/*
 * Extracts count archive inputs into outputFolder (null: decode and describe only,
 * writing no part, the records' "path" then null). Returns 0 when every record says
 * "decoded", 1 when any failed or is incomplete (the run goes on past them), 2 when it was
 * stopped, -1 for a null context or options, no inputs, or an output folder or manifest
 * that cannot be made.
 */
KODRA_API int KODRA_CALL KodraExtract(KodraContext *context, const char *const *inputs, int count,
                                      const char *outputFolder, const KodraExtractOptions *options);

/*
 * One block of an archive in memory: an mbox range that begins at a "From " line (isMbox 1)
 * or one message (isMbox 0: its records have a null offset and file, as KodraExtract gives
 * a single message input), which sits at byte baseOffset of the input called inputName.
 * Every part of every message is decoded and handed to part with its manifest record (its
 * "path" the by-hash path relative to the output folder, "ab/abcdef...") and its decoded
 * bytes, valid during the call (none for the one record of a message without parts or
 * that failed); nothing is written. Records and bytes equal those that
 * KodraExtract gives for the same messages with byHash. Returns the number of messages,
 * -1 for a null argument.
 */
typedef void(KODRA_CALL *KodraExtractedPart)(void *context, const char *json, size_t jsonSize,
                                              const void *bytes, size_t size);
KODRA_API int KODRA_CALL KodraExtractMemory(KodraContext *context, const void *data, size_t size,
                                            const char *inputName, long long baseOffset, int isMbox,
                                            void *partContext, KodraExtractedPart part);

/*
 * The same block as KodraExtractMemory takes, its parts stored once each under outputFolder
 * as "ab/abcdef..." (as KodraExtract stores them with byHash; a copy already there is kept,
 * so workers of several processes may share the folder). Every record goes to record, in
 * order. Returns the number of messages, -1 for a null argument or an output folder that
 * cannot be made.
 */
typedef void(KODRA_CALL *KodraExtractedRecord)(void *context, const char *json, size_t size);
KODRA_API int KODRA_CALL KodraExtractMemoryByHash(KodraContext *context, const void *data, size_t size,
                                                  const char *inputName, long long baseOffset, int isMbox,
                                                  const char *outputFolder, void *recordContext,
                                                  KodraExtractedRecord record);

/*
 * Reads one archive input (as KodraExtract takes them) and hands every message to message,
 * in order: for an mbox its "From " line's byte offset and its text without that line,
 * quoted "From " lines unquoted (file null); for Maildir and folders the file's path
 * relative to the input (offset 0); for a single message file null, offset 0. data is valid during the call; message returns 0 to stop. Returns the
 * number of messages handed on, -1 for a null argument or an input that cannot be read.
 */
typedef int(KODRA_CALL *KodraArchiveMessage)(void *context, const char *file, long long offset,
                                              const void *data, size_t size);
KODRA_API int KODRA_CALL KodraReadArchive(KodraContext *context, const char *input, void *messageContext,
                                          KodraArchiveMessage message);

#ifdef __cplusplus
}
#endif

#endif /* KODRA32_H */
