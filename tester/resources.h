// The program's resources: texts, command ids, dialog ids and the icon.
#pragma once

#include <QIcon>
#include <QString>

namespace merido {

// String 57344: the application title, caption of the program's message boxes and the
// name it registers with the library.
inline constexpr const char *kAppTitle = "Merido Windows Application";
// Document template (resource 2): window title, document name, type name, filter
// name, filter extension, file type id, registered type name.
inline constexpr const char *kDocTemplate =
    "Merido Windows Application\nMerido\nMerido Document\n\n\nMerido.Document\nMerido Document";
inline constexpr const char *kUntitled = "Untitled";

inline constexpr const char *kFileFilter = "All Files (*)";
inline constexpr const char *kBoundary = "=======Next-Part-23642332=========";
inline constexpr int kPieceSize = 35000;
inline constexpr const char *kMessageTextName = "Message.txt";
inline constexpr int kMessageTextShown = 1024;

// Command ids of the menu (resource 2).
enum CommandId : int {
    ID_DECODE_ALLPROMPTS = 32771,
    ID_ENCODE_UUENCODED = 32773,
    ID_DECODE_OVERWRITEPROMPTONLY = 32774,
    ID_DECODE_SHOWFILENAMES = 32775,
    ID_ENCODE_XXENCODED = 32776,
    ID_ENCODE_BINHEX = 32777,
    ID_UTIL_SPLITFILE = 32778,
    ID_UTIL_CONCATENATEFILES = 32779,
    ID_ENCODE_MIME = 32781,
    ID_ENCODE_QUOTEDPRINTABLE = 32782,
    ID_UTIL_ENCODEBUFFER = 32783,
    ID_UTIL_SHOWMESSAGEHEADERS = 32784,
    ID_DECODE_MULTIPLEFILES = 32785,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
};

// Dialog templates and their control ids.
enum DialogId : int {
    IDD_ABOUTBOX = 100,
    IDD_DECODELIST = 102,
    IDD_BUFFERCODEC = 103,
    IDD_DECODEMULTIPLE = 105,
    IDOK = 1,
    IDCANCEL = 2,
    IDC_DECODE = 3,
    IDC_NAMELIST = 1000,
    IDC_BUFFERTEXT = 1001,
    IDC_ENCODINGTYPE = 1002,
    IDC_ENCODE = 1003,
    IDC_PATHMASK = 1004,
    IDC_SUBDIRECTORIES = 1005,
};

// Icon resource 2: the main window's icon, also shown in the About dialog.
QIcon meridoIcon();

}  // namespace merido
