// Offscreen tests of merido: menus, the library calls of every command and dialog (against
// a recording fake), the dialogs' controls, and a few runs against the real libkodra32.
#include "about_dialog.h"
#include "buffer_codec_dialog.h"
#include "collect_files.h"
#include "decode_list_dialog.h"
#include "decode_multiple_dialog.h"
#include "fake_library.h"
#include "library_functions.h"
#include "library_user_interface.h"
#include "main_frame.h"
#include "merido_app.h"
#include "merido_view.h"
#include "resources.h"
#include "scripted_prompter.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>
#include <string>
#include <vector>

namespace {

using Calls = std::vector<std::string>;

const std::string kRegisterTitle = "SetEncodingApplication(\"Merido Windows Application\")";
const std::string kBoundary = "=======Next-Part-23642332=========";

QString describe(const Calls &calls) {
    QString text;
    for (const std::string &call : calls) text += QStringLiteral("\n    ") + QString::fromStdString(call);
    return calls.empty() ? QStringLiteral(" (no calls)") : text;
}

// Fails with "got X, want Y" when the recorded calls differ from want.
bool sameCalls(const QString &row, const Calls &got, const Calls &want, QString &message) {
    if (got == want) return true;
    message = row + QStringLiteral(": got") + describe(got) + QStringLiteral("\nwant") + describe(want);
    return false;
}

#define EXPECT_CALLS(row, want)                                                        \
    do {                                                                               \
        QString message_;                                                              \
        const bool same_ = sameCalls(row, fakeLibrary().calls, want, message_);        \
        QVERIFY2(same_, qPrintable(message_));                                         \
    } while (false)

std::string encodeCall(const std::string &source, const std::string &output, int type, int append) {
    return "EncodeFile(\"" + source + "\", \"" + output + "\", \"" + kBoundary + "\", " +
           std::to_string(type) + ", " + std::to_string(append) + ")";
}

std::string call(const char *name, const std::string &argument) {
    return std::string(name) + "(\"" + argument + "\")";
}

// The program with the fake library and scripted prompts, its start-up calls forgotten.
struct Harness {
    ScriptedPrompter prompter;
    std::unique_ptr<CMeridoApp> app;

    Harness() {
        fakeLibrary().reset();
        app = std::make_unique<CMeridoApp>(fakeLibraryFunctions(), prompter);
        app->InitInstance();
        fakeLibrary().calls.clear();
    }
    ~Harness() { app.reset(); }

    CMainFrame &frame() const { return *app->mainFrame(); }

    bool trigger(int commandId) const {
        QAction *action = frame().commandAction(commandId);
        if (!action) return false;
        action->trigger();
        return true;
    }
};

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A stored mail message with a text part and two Base64 attachments, photo.jpg and song.mid.
QByteArray mailWithTwoAttachments() {
    return QByteArray("From: Ann <ann@example.org>\r\nSubject: Files\r\nMIME-Version: 1.0\r\n"
                      "Content-Type: multipart/mixed; boundary=\"XYZ\"\r\n\r\nThis is MIME.\r\n"
                      "--XYZ\r\nContent-Type: text/plain\r\n\r\nHello there\r\n"
                      "--XYZ\r\nContent-Type: application/octet-stream; name=\"photo.jpg\"\r\n"
                      "Content-Transfer-Encoding: base64\r\n\r\n") +
           QByteArray("JPEGDATA\x01\x02").toBase64() +
           "\r\n--XYZ\r\nContent-Type: application/octet-stream; name=\"song.mid\"\r\n"
           "Content-Transfer-Encoding: base64\r\n\r\n" +
           QByteArray("MIDI").toBase64() + "\r\n--XYZ--\r\n";
}

QByteArray readFile(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// ---- The main window, its menus and start-up ------------------------------------------

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTitleAndInstalledUserInterface() {
        ScriptedPrompter prompter;
        fakeLibrary().reset();
        CMeridoApp app(fakeLibraryFunctions(), prompter);
        QVERIFY(app.InitInstance());
        const CMainFrame &frame = *app.mainFrame();
        QCOMPARE(frame.windowTitle(), QStringLiteral("Untitled - Merido Windows Application"));
        QVERIFY2(frame.findChildren<QToolBar *>().isEmpty(), "the main window has a toolbar");
        QVERIFY2(frame.findChildren<QStatusBar *>().isEmpty(), "the main window has a status bar");
        QVERIFY(frame.view() != nullptr);
        EXPECT_CALLS(QStringLiteral("start-up"), (Calls{"SetUserInterface(installed)"}));
        const KodraUserInterface &installed = fakeLibrary().userInterface;
        QVERIFY(installed.messageBox && installed.activeWindow && installed.chooseSaveFile);
        QVERIFY2(!installed.progress, "progress is left to the library");
    }

    void menusHoldTheCommandsInOrder() {
        struct Row {
            QString path;  // menu titles joined by " > ", then the item text
            int commandId;
        };
        const std::vector<Row> want = {
            {"&File > &Decode > &All Prompts", 32771},
            {"&File > &Decode > &Overwrite Prompt Only", 32774},
            {"&File > &Decode > &Show File Names...", 32775},
            {"&File > &Decode > &Multiple Files", 32785},
            {"&File > Encode > &MIME(Base64)", 32781},
            {"&File > Encode > UUENCODED", 32773},
            {"&File > Encode > XXENCODED", 32776},
            {"&File > Encode > BinHex (Macintosh)", 32777},
            {"&File > Encode > Quoted-printable", 32782},
            {"&File > (separator)", 0},
            {"&File > E&xit", 57665},
            {"&Util > &Split File", 32778},
            {"&Util > &Concatenate Files", 32779},
            {"&Util > &Encode Buffer", 32783},
            {"&Util > &Show Message Headers", 32784},
            {"&Help > &About Merido...", 57664},
        };
        Harness harness;
        std::vector<Row> got;
        std::function<void(const QList<QAction *> &, const QString &)> walk =
            [&](const QList<QAction *> &actions, const QString &prefix) {
                for (QAction *action : actions) {
                    if (action->menu()) {
                        walk(action->menu()->actions(), prefix + action->text() + QStringLiteral(" > "));
                    } else if (action->isSeparator()) {
                        got.push_back({prefix + QStringLiteral("(separator)"), 0});
                    } else {
                        got.push_back({prefix + action->text(), action->property(kCommandIdProperty).toInt()});
                        QVERIFY2(action->isEnabled(), qPrintable(action->text() + " is disabled"));
                        QVERIFY2(action->shortcut().isEmpty(),
                                 qPrintable(action->text() + " has an accelerator"));
                    }
                }
            };
        walk(harness.frame().menuBar()->actions(), QString());
        QCOMPARE(got.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            QVERIFY2(got[i].path == want[i].path && got[i].commandId == want[i].commandId,
                     qPrintable(QStringLiteral("item %1: got %2 (%3), want %4 (%5)")
                                    .arg(i).arg(got[i].path).arg(got[i].commandId)
                                    .arg(want[i].path).arg(want[i].commandId)));
        }
    }

    void acceleratorsAreTheStandardSet() {
        struct Row {
            int commandId;
            QString keys;
            bool handled;
        };
        const std::vector<Row> rows = {
            {57600, "Ctrl+N", true},
            {57601, "Ctrl+O", true},
            {57603, "Ctrl+S", true},
            {57643, "Ctrl+Z, Alt+Backspace", false},
            {57635, "Ctrl+X, Shift+Del", false},
            {57634, "Ctrl+C, Ctrl+Ins", false},
            {57637, "Ctrl+V, Shift+Ins", false},
            {59392, "F6", false},
            {59393, "Shift+F6", false},
        };
        Harness harness;
        for (const Row &row : rows) {
            QAction *action = harness.frame().commandAction(row.commandId);
            QVERIFY2(action, qPrintable(QStringLiteral("no accelerator %1").arg(row.commandId)));
            QStringList keys;
            for (const QKeySequence &key : action->shortcuts()) keys << key.toString();
            QVERIFY2(keys.join(QStringLiteral(", ")) == row.keys && action->isEnabled() == row.handled,
                     qPrintable(QStringLiteral("%1: got %2 enabled %3, want %4 enabled %5")
                                    .arg(row.commandId).arg(keys.join(", ")).arg(action->isEnabled())
                                    .arg(row.keys).arg(row.handled)));
        }
    }

    void openAndSaveKeepTheDocumentEmpty() {
        QTemporaryDir folder;
        Harness harness;
        const QString saved = folder.filePath(QStringLiteral("notes.mer"));
        harness.prompter.saveAnswers = {saved};
        QVERIFY(harness.trigger(merido::ID_FILE_SAVE));
        QCOMPARE(harness.prompter.saveInitialNames, QStringList{QStringLiteral("Untitled")});
        QVERIFY(QFile::exists(saved));
        QCOMPARE(QFileInfo(saved).size(), 0);
        QCOMPARE(harness.frame().windowTitle(), QStringLiteral("notes.mer - Merido Windows Application"));
        QVERIFY(harness.trigger(merido::ID_FILE_NEW));
        QCOMPARE(harness.frame().windowTitle(), QStringLiteral("Untitled - Merido Windows Application"));
        harness.prompter.openAnswers = {saved};
        QVERIFY(harness.trigger(merido::ID_FILE_OPEN));
        QCOMPARE(harness.frame().windowTitle(), QStringLiteral("notes.mer - Merido Windows Application"));
        EXPECT_CALLS(QStringLiteral("new, open and save"), Calls{});
    }

    void aboutShowsTheVersion() {
        Harness harness;
        QString caption;
        QStringList texts;
        harness.prompter.onDialog = [&](QDialog &dialog) {
            caption = dialog.windowTitle();
            for (const QLabel *label : dialog.findChildren<QLabel *>())
                if (!label->text().isEmpty()) texts << label->text();
            const auto buttons = dialog.findChildren<QPushButton *>();
            if (buttons.size() == 1 && buttons.first()->isDefault()) buttons.first()->click();
            return dialog.result();
        };
        QVERIFY(harness.trigger(merido::ID_APP_ABOUT));
        QCOMPARE(harness.prompter.dialogsRun, 1);
        QCOMPARE(caption, QStringLiteral("About Merido"));
        QCOMPARE(texts, QStringList{QStringLiteral("Kodra Test Application Version 2.4")});
        EXPECT_CALLS(QStringLiteral("about"), Calls{});
    }
};

// ---- The commands' library calls ------------------------------------------------------

class CommandTest : public QObject {
    Q_OBJECT

private slots:
    void cancelAtTheFirstPromptCallsNothing() {
        const int commands[] = {32771, 32774, 32775, 32781, 32773, 32776, 32777, 32782, 32778, 32779, 32784};
        for (const int command : commands) {
            Harness harness;
            harness.prompter.openAnswers = {std::nullopt};
            QVERIFY(harness.trigger(command));
            QVERIFY2(harness.prompter.openAnswers.empty(),
                     qPrintable(QStringLiteral("command %1 did not prompt").arg(command)));
            EXPECT_CALLS(QStringLiteral("cancel in command %1").arg(command), Calls{});
            QCOMPARE(harness.prompter.openInitialNames, QStringList{QString()});
        }
    }

    void commandsCallTheLibraryInOrder() {
        struct Row {
            QString name;
            int command;
            std::deque<std::optional<QString>> answers;
            std::string uniqueName;  // what GetUniqueFileName leaves, empty: unchanged
            Calls want;
        };
        const std::vector<Row> rows = {
            {"all prompts", 32771, {"/data/msg.txt"}, "",
             {kRegisterTitle, "DecodeFile(\"/data/msg.txt\", \"\", 0)"}},
            {"overwrite prompt only", 32774, {"/data/msg.txt"}, "",
             {kRegisterTitle, "DecodeFile(\"/data/msg.txt\", \"\", 2)"}},
            {"MIME with a second file", 32781, {"/data/a.txt", "/data/b.png"}, "",
             {kRegisterTitle, call("GetUniqueFileName", "/data/a.MIM"),
              encodeCall("/data/a.txt", "/data/a.MIM", 2, 0), encodeCall("/data/b.png", "/data/a.MIM", 2, 1),
              call("FinishAttachments", "/data/a.MIM")}},
            {"MIME, second prompt cancelled", 32781, {"/data/a.txt", std::nullopt}, "",
             {kRegisterTitle, call("GetUniqueFileName", "/data/a.MIM"),
              encodeCall("/data/a.txt", "/data/a.MIM", 2, 0), call("FinishAttachments", "/data/a.MIM")}},
            {"UUENCODED registers after the unique name", 32773, {"/data/report.tar.gz"}, "",
             {call("GetUniqueFileName", "/data/report.tar.UUE"), kRegisterTitle,
              encodeCall("/data/report.tar.gz", "/data/report.tar.UUE", 1, 0),
              call("FinishAttachments", "/data/report.tar.UUE")}},
            {"UUENCODED takes the library's unique name", 32773, {"/data/report.tar.gz"}, "/data/report.tar1.UUE",
             {call("GetUniqueFileName", "/data/report.tar.UUE"), kRegisterTitle,
              encodeCall("/data/report.tar.gz", "/data/report.tar1.UUE", 1, 0),
              call("FinishAttachments", "/data/report.tar1.UUE")}},
            {"XXENCODED registers nothing", 32776, {"/data/pic.gif"}, "",
             {call("GetUniqueFileName", "/data/pic.XXE"), encodeCall("/data/pic.gif", "/data/pic.XXE", 4, 0),
              call("FinishAttachments", "/data/pic.XXE")}},
            {"BinHex registers nothing", 32777, {"/data/app.sit"}, "",
             {call("GetUniqueFileName", "/data/app.HQX"), encodeCall("/data/app.sit", "/data/app.HQX", 3, 0),
              call("FinishAttachments", "/data/app.HQX")}},
            {"quoted-printable without an extension", 32782, {"/data/README"}, "",
             {kRegisterTitle, call("GetUniqueFileName", "/data/README.QP"),
              encodeCall("/data/README", "/data/README.QP", 5, 0), call("FinishAttachments", "/data/README.QP")}},
            {"a dot in a folder name is no extension", 32782, {"/data/v1.2/README"}, "",
             {kRegisterTitle, call("GetUniqueFileName", "/data/v1.2/README.QP"),
              encodeCall("/data/v1.2/README", "/data/v1.2/README.QP", 5, 0),
              call("FinishAttachments", "/data/v1.2/README.QP")}},
            {"split", 32778, {"/data/big.bin"}, "", {"SplitFile(\"/data/big.bin\", 35000)"}},
            {"concatenate", 32779, {"/data/big.bin"}, "", {"ConcatenateRelated(1, \"/data/big.bin\")"}},
        };
        for (const Row &row : rows) {
            Harness harness;
            harness.prompter.openAnswers = row.answers;
            fakeLibrary().uniqueName = row.uniqueName;
            QVERIFY(harness.trigger(row.command));
            EXPECT_CALLS(row.name, row.want);
            QVERIFY2(harness.prompter.openAnswers.empty(), qPrintable(row.name + ": unused answers"));
            QVERIFY2(harness.prompter.messages.empty(), qPrintable(row.name + ": showed a message"));
        }
    }

    void mimeSecondPromptStartsAtTheFirstChoice() {
        Harness harness;
        harness.prompter.openAnswers = {QStringLiteral("/data/a.txt"), std::nullopt};
        QVERIFY(harness.trigger(merido::ID_ENCODE_MIME));
        QCOMPARE(harness.prompter.openInitialNames, (QStringList{QString(), QStringLiteral("/data/a.txt")}));
    }

    void longPathsGetRoomForTheLibrary() {
        // The library may lengthen a name up to 259 characters in place.
        Harness harness;
        const QString path = QStringLiteral("/data/") + QString(200, QLatin1Char('n')) + QStringLiteral(".txt");
        const std::string unique = "/data/" + std::string(252, 'u');
        harness.prompter.openAnswers = {path};
        fakeLibrary().uniqueName = unique;
        QVERIFY(harness.trigger(merido::ID_ENCODE_XXENCODED));
        QCOMPARE(fakeLibrary().calls.back(), call("FinishAttachments", unique));
    }

    void showNamesRegistersAndOpensTheList() {
        Harness harness;
        harness.prompter.openAnswers = {QStringLiteral("/mail/msg.txt")};
        fakeLibrary().namesByFile["/mail/msg.txt"] = {"/mail/a.jpg", "/mail/b.mid"};
        QStringList shown;
        QString caption;
        harness.prompter.onDialog = [&](QDialog &dialog) {
            auto &list = dynamic_cast<CDecodeListDialog &>(dialog);
            for (int i = 0; i < list.m_listNames->count(); ++i) shown << list.m_listNames->item(i)->text();
            caption = list.windowTitle();
            return QDialog::Rejected;
        };
        QVERIFY(harness.trigger(merido::ID_DECODE_SHOWFILENAMES));
        QCOMPARE(caption, QStringLiteral("Display Files To Decode"));
        QCOMPARE(shown, (QStringList{QStringLiteral("/mail/a.jpg"), QStringLiteral("/mail/b.mid")}));
        EXPECT_CALLS(QStringLiteral("show names, cancelled"),
                     (Calls{kRegisterTitle, call("GetNumFilesToDecode", "/mail/msg.txt"), "GetEncodedFile(0)",
                            "GetEncodedFile(1)"}));
    }

    void showMessageHeaders() {
        struct Row {
            QString name;
            int infoResult;
            std::array<std::optional<std::string>, 9> fields;
            int textResult;
            std::optional<std::string> text;
            Calls want;
            QStringList messages;
        };
        const std::string dir = "MESSAGE_DIR/";
        const Calls full = {call("GetMessageInfo", dir + "msg.eml"), "FreeMessageInfo",
                            "GetMessageText(\"" + dir + "msg.eml\", \"Message.txt\")"};
        const Calls noInfo = {call("GetMessageInfo", dir + "msg.eml"),
                              "GetMessageText(\"" + dir + "msg.eml\", \"Message.txt\")"};
        const std::string longText = std::string(1000, 'a') + std::string(100, 'b');
        const std::vector<Row> rows = {
            {"from and subject only", 1, {{std::nullopt, "Ann <ann@x.org>", std::nullopt, "Hello"}}, 0,
             std::nullopt, full, {"From: Ann <ann@x.org>\nSubject: Hello"}},
            {"every field", 1,
             {{"Mon, 1 Jan 2024", "f", "t", "s", "d", "c", "r", "o", "Received: by x; Mon, 1 Jan 2024"}}, 0,
             std::nullopt, full,
             {"Message Header: Received: by x; Mon, 1 Jan 2024\nMessage Received at: Mon, 1 Jan 2024\nFrom: f\n"
              "To: t\nSubject: s\nSent at: d\nCC: c\nReply To: r\nOrganization: o"}},
            {"no field: no box", 1, {}, 0, std::nullopt, full, {}},
            {"unreadable headers, text shown", 0, {{std::nullopt, "ignored"}}, 1, "Body text\r\n", noInfo,
             {"Body text\r\n"}},
            {"only the first 1024 bytes", 1, {}, 1, longText, full,
             {QString::fromStdString(longText.substr(0, 1024))}},
            {"a NUL ends the text", 1, {}, 1, std::string("before\0after", 12), full, {"before"}},
        };
        for (const Row &row : rows) {
            QTemporaryDir folder;
            Harness harness;
            const QString path = folder.filePath(QStringLiteral("msg.eml"));
            harness.prompter.openAnswers = {path};
            fakeLibrary().messageInfoResult = row.infoResult;
            fakeLibrary().messageFields = row.fields;
            fakeLibrary().messageTextResult = row.textResult;
            fakeLibrary().messageText = row.text;
            QVERIFY(harness.trigger(merido::ID_UTIL_SHOWMESSAGEHEADERS));
            Calls want = row.want;
            for (std::string &wanted : want) {
                const auto at = wanted.find(dir);
                if (at != std::string::npos) wanted.replace(at, dir.size(), folder.path().toStdString() + "/");
            }
            EXPECT_CALLS(row.name, want);
            QStringList got;
            for (const auto &[text, caption] : harness.prompter.messages) {
                got << text;
                QCOMPARE(caption, QStringLiteral("Merido Windows Application"));
            }
            QVERIFY2(got == row.messages, qPrintable(row.name + ": got " + got.join(" | ") + ", want " +
                                                      row.messages.join(" | ")));
            QCOMPARE(fakeLibrary().freedRecords, row.infoResult != 0 ? 1 : 0);
        }
    }

    void missingMessageTextReportsTheFile() {
        QTemporaryDir folder;
        Harness harness;
        harness.prompter.openAnswers = {folder.filePath(QStringLiteral("msg.eml"))};
        fakeLibrary().messageTextResult = 1;  // claims success but writes nothing
        QVERIFY(harness.trigger(merido::ID_UTIL_SHOWMESSAGEHEADERS));
        QCOMPARE(harness.prompter.messages.size(), std::size_t{1});
        QCOMPARE(harness.prompter.messages[0].first,
                 folder.filePath(QStringLiteral("Message.txt")) + QStringLiteral(" was not found."));
    }
};

// ---- Multiple Files -----------------------------------------------------------------

class MultipleFilesTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir root_;
    QString dir(const QString &relative = QString()) const {
        return root_.path() + QLatin1Char('/') + relative;
    }

private slots:
    void initTestCase() {
        QVERIFY(root_.isValid());
        QDir(root_.path()).mkpath(QStringLiteral("sub.txt/deeper.TXT"));
        QDir(root_.path()).mkpath(QStringLiteral("other"));
        for (const char *file : {"a.txt", "b.TXT", "c.dat", "noext", "sub.txt/d.txt", "sub.txt/e.dat",
                                 "sub.txt/deeper.TXT/f.txt", "other/g.txt"})
            QVERIFY(writeFile(dir(QString::fromLatin1(file)), "x"));
        // A link back to the root must not make the search run forever.
        QVERIFY(QFile::link(root_.path(), dir(QStringLiteral("sub.txt/loop.txt"))));
    }

    void splitsPathAndMask() {
        struct Row {
            QString text, folder, mask;
        };
        const std::vector<Row> rows = {
            {"/news/*.txt", "/news/", "*.txt"},
            {"/news/", "/news/", ""},
            {"news", "news", "*.*"},
            {"", "", "*.*"},
            {"/*.*", "/", "*.*"},
        };
        for (const Row &row : rows) {
            const merido::FolderAndMask got = merido::splitPathMask(row.text);
            QVERIFY2(got.folder == row.folder && got.mask == row.mask,
                     qPrintable(QStringLiteral("%1: got %2 + %3, want %4 + %5")
                                    .arg(row.text, got.folder, got.mask, row.folder, row.mask)));
        }
    }

    void matchesMasksLikeTheSystemSearch() {
        struct Row {
            QString name, mask;
            bool want;
        };
        const std::vector<Row> rows = {
            {"a.txt", "*.txt", true},     {"A.TXT", "*.txt", true},    {"a.txt.bak", "*.txt", false},
            {"noext", "*.*", true},       {".hidden", "*.*", true},    {"report", "report.*", true},
            {"report.doc", "report.*", true}, {"reports", "report.*", false}, {"a1.txt", "a?.txt", true},
            {"a12.txt", "a?.txt", false}, {"a+b(1).txt", "a+b(1).txt", true}, {"x", "", false},
        };
        for (const Row &row : rows)
            QVERIFY2(merido::matchesMask(row.name, row.mask) == row.want,
                     qPrintable(QStringLiteral("%1 against %2: got %3, want %4")
                                    .arg(row.name, row.mask).arg(!row.want).arg(row.want)));
    }

    void defaultTextIsTheCurrentFolder() {
        const QString saved = QDir::currentPath();
        struct Row {
            QString current, want;
        };
        const std::vector<Row> rows = {{dir(QStringLiteral("other")), dir(QStringLiteral("other/*.*"))},
                                       {QStringLiteral("/"), QStringLiteral("/*.*")}};
        for (const Row &row : rows) {
            QVERIFY(QDir::setCurrent(row.current));
            CDecodeMultipleDialog dialog;
            dialog.show();
            const auto *edit = dialog.findChild<QLineEdit *>(QStringLiteral("m_strPathMask"));
            const auto *box = dialog.findChild<QCheckBox *>(QStringLiteral("m_bSubdirectories"));
            QCOMPARE(edit->text(), row.want);
            QCOMPARE(box->text(), QStringLiteral("&Process Subdirectories"));
            QVERIFY(box->isChecked());
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Decode Multiple Files"));
        }
        QDir::setCurrent(saved);
    }

    void decodesEveryMatchingFileWithListedNames() {
        struct Row {
            QString name;
            QString text;  // typed into the dialog; empty: keep the default
            bool subdirectories;
            QString current;  // current folder while the command runs
            QStringList scanned;
        };
        const std::vector<Row> rows = {
            {"mask with subfolders", dir(QStringLiteral("*.txt")), true, QString(),
             {dir("a.txt"), dir("b.TXT"), dir("sub.txt/d.txt"), dir("sub.txt/deeper.TXT/f.txt")}},
            {"mask without subfolders", dir(QStringLiteral("*.txt")), false, QString(),
             {dir("a.txt"), dir("b.TXT")}},
            {"text ending in a separator", dir(), true, QString(), {}},
            {"bare folder name searched with *.*", QStringLiteral("sub.txt"), false, dir(),
             {dir("sub.txt/d.txt"), dir("sub.txt/e.dat")}},
        };
        const QString saved = QDir::currentPath();
        for (const Row &row : rows) {
            if (!row.current.isEmpty()) QVERIFY(QDir::setCurrent(row.current));
            Harness harness;
            fakeLibrary().namesByFile[dir("a.txt").toStdString()] = {dir("photo.jpg").toStdString(), "song.mid"};
            fakeLibrary().namesByFile[dir("sub.txt/d.txt").toStdString()] = {"/elsewhere/x.bin"};
            harness.prompter.onDialog = [&](QDialog &dialog) {
                dialog.findChild<QLineEdit *>(QStringLiteral("m_strPathMask"))->setText(row.text);
                dialog.findChild<QCheckBox *>(QStringLiteral("m_bSubdirectories"))->setChecked(row.subdirectories);
                dialog.accept();
                return dialog.result();
            };
            QVERIFY(harness.trigger(merido::ID_DECODE_MULTIPLEFILES));
            QDir::setCurrent(saved);
            Calls want;
            for (const QString &file : row.scanned) {
                const std::string path = file.toStdString();
                want.push_back(call("GetNumFilesToDecode", path));
                if (file == dir("a.txt")) {
                    want.insert(want.end(), {"GetEncodedFile(0)", "GetEncodedFile(1)"});
                    want.push_back("DecodeFile(\"" + path + "\", \"" + path + "_photo.jpg;" + path +
                                   "_song.mid\", 1)");
                }
                if (file == dir("sub.txt/d.txt")) {
                    want.push_back("GetEncodedFile(0)");
                    want.push_back("DecodeFile(\"" + path + "\", \"" + path + "_x.bin\", 1)");
                }
            }
            EXPECT_CALLS(row.name, want);
        }
    }

    void cancelDecodesNothing() {
        Harness harness;
        harness.prompter.onDialog = [](QDialog &) { return QDialog::Rejected; };
        QVERIFY(harness.trigger(merido::ID_DECODE_MULTIPLEFILES));
        QCOMPARE(harness.prompter.dialogsRun, 1);
        EXPECT_CALLS(QStringLiteral("cancelled"), Calls{});
    }
};

// ---- Display Files To Decode --------------------------------------------------------

class DecodeListTest : public QObject {
    Q_OBJECT

private:
    static void select(CDecodeListDialog &dialog, int row) {
        dialog.m_listNames->setCurrentRow(row);
        QListWidgetItem *item = dialog.m_listNames->item(row);
        const QPoint centre = dialog.m_listNames->visualItemRect(item).center();
        QWidget *viewport = dialog.m_listNames->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, centre);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre);
    }

private slots:
    void renamesInPlaceAndDecodesTheJoinedNames() {
        struct Row {
            QString name;
            std::vector<std::string> listed;
            int doubleClickRow;  // -1: none
            std::optional<QString> saveAnswer;
            bool ok;
            Calls wantAfterStart;
        };
        const std::vector<Row> rows = {
            {"rename the second of three", {"/m/one.jpg", "/m/two.gif", "/m/three.png"}, 1,
             QStringLiteral("/out/pic.gif"), true,
             {"DecodeFile(\"/m/msg.txt\", \"/m/one.jpg;/out/pic.gif;/m/three.png\", 1)"}},
            {"save prompt cancelled", {"/m/one.jpg", "/m/two.gif"}, 0, std::nullopt, true,
             {"DecodeFile(\"/m/msg.txt\", \"/m/one.jpg;/m/two.gif\", 1)"}},
            {"cancel after renaming", {"/m/one.jpg"}, 0, QStringLiteral("/out/x"), false, {}},
            {"nothing to decode", {}, -1, std::nullopt, true, {}},
        };
        for (const Row &row : rows) {
            fakeLibrary().reset();
            fakeLibrary().namesByFile["/m/msg.txt"] = row.listed;
            ScriptedPrompter prompter;
            if (row.doubleClickRow >= 0) prompter.saveAnswers = {row.saveAnswer};
            CDecodeListDialog dialog(QStringLiteral("/m/msg.txt"), nullptr, fakeLibraryFunctions(), prompter);
            QCOMPARE(dialog.m_strPath, QStringLiteral("/m/msg.txt"));
            QVERIFY2(fakeLibrary().calls.empty(), "library called before the dialog starts");
            dialog.show();
            QCOMPARE(dialog.m_listNames->count(), static_cast<int>(row.listed.size()));
            fakeLibrary().calls.clear();
            if (row.doubleClickRow >= 0) {
                select(dialog, row.doubleClickRow);
                QCOMPARE(prompter.saveInitialNames,
                         QStringList{QString::fromStdString(row.listed[static_cast<std::size_t>(row.doubleClickRow)])});
                QCOMPARE(dialog.m_listNames->count(), static_cast<int>(row.listed.size()));
            }
            if (row.ok) {
                dialog.findChildren<QPushButton *>().first()->click();  // OK, first in template order
                QCOMPARE(dialog.result(), static_cast<int>(QDialog::Accepted));
            } else {
                dialog.reject();
            }
            EXPECT_CALLS(row.name, row.wantAfterStart);
        }
    }

    void doubleClickWithoutSelectionDoesNothing() {
        fakeLibrary().reset();
        fakeLibrary().namesByFile["/m/msg.txt"] = {"/m/one.jpg"};
        ScriptedPrompter prompter;
        CDecodeListDialog dialog(QStringLiteral("/m/msg.txt"), nullptr, fakeLibraryFunctions(), prompter);
        dialog.show();
        dialog.m_listNames->clearSelection();
        dialog.OnDblclkNameList();
        QVERIFY(prompter.saveInitialNames.isEmpty());
    }

    void controlsMatchTheTemplate() {
        fakeLibrary().reset();
        ScriptedPrompter prompter;
        CDecodeListDialog dialog(QStringLiteral("/m/msg.txt"), nullptr, fakeLibraryFunctions(), prompter);
        const auto buttons = dialog.findChildren<QPushButton *>();
        QCOMPARE(buttons.size(), 2);
        QCOMPARE(buttons[0]->text(), QStringLiteral("OK"));
        QVERIFY(buttons[0]->isDefault());
        QCOMPARE(buttons[1]->text(), QStringLiteral("Cancel"));
        const auto *label = dialog.findChild<QLabel *>();
        QCOMPARE(label->text(), QStringLiteral("&Double-click to change a file name"));
        QCOMPARE(label->buddy(), dialog.m_listNames);
        QCOMPARE(dialog.m_listNames->selectionMode(), QAbstractItemView::SingleSelection);
    }
};

// ---- Encode/Decode Buffer -----------------------------------------------------------

class BufferCodecTest : public QObject {
    Q_OBJECT

private:
    static QPlainTextEdit &edit(QDialog &dialog) { return *dialog.findChild<QPlainTextEdit *>(); }
    static QComboBox &combo(QDialog &dialog) { return *dialog.findChild<QComboBox *>(); }
    static QPushButton &button(QDialog &dialog, const char *text) {
        for (QPushButton *candidate : dialog.findChildren<QPushButton *>())
            if (candidate->text() == QLatin1String(text)) return *candidate;
        qFatal("no button %s", text);
    }

private slots:
    void startsWithSampleTextAndUuencode() {
        fakeLibrary().reset();
        CBufferCodecDialog dialog(nullptr, fakeLibraryFunctions());
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Encode/Decode Buffer"));
        QCOMPARE(edit(dialog).toPlainText(), QStringLiteral("Sample Text"));
        QStringList entries;
        for (int i = 0; i < combo(dialog).count(); ++i) entries << combo(dialog).itemText(i);
        QCOMPARE(entries, (QStringList{"UUENCODED", "Base64 encoded (MIME)", "XXENCODED", "Quoted-printable"}));
        QCOMPARE(combo(dialog).currentIndex(), 0);
        QVERIFY(!combo(dialog).isEditable());
        QVERIFY(button(dialog, "&Encode").isDefault());
        QVERIFY2(fakeLibrary().calls.empty(), "the dialog called the library on start-up");
    }

    void mapsTheComboIndexToATypeWithoutBinHex() {
        struct Row {
            int index, type;
        };
        const std::vector<Row> rows = {{0, 1}, {1, 2}, {2, 4}, {3, 5}};
        for (const Row &row : rows) {
            QCOMPARE(merido::bufferEncodingType(row.index), row.type);
            fakeLibrary().reset();
            CBufferCodecDialog dialog(nullptr, fakeLibraryFunctions());
            dialog.show();
            combo(dialog).setCurrentIndex(row.index);
            button(dialog, "&Encode").click();
            button(dialog, "&Decode").click();
            EXPECT_CALLS(QStringLiteral("index %1").arg(row.index),
                         (Calls{"EncodeBuffer(\"Sample Text\", 11, " + std::to_string(row.type) + ")",
                                "DecodeBuffer(\"\", 0, " + std::to_string(row.type) + ")"}));
            QCOMPARE(combo(dialog).currentIndex(), row.index);
        }
    }

    void codesTheBoxTextRepeatedly() {
        fakeLibrary().reset();
        CBufferCodecDialog dialog(nullptr, fakeLibraryFunctions());
        dialog.show();
        fakeLibrary().bufferOutput = "first\r\nline";
        button(dialog, "&Encode").click();
        QCOMPARE(edit(dialog).toPlainText(), QStringLiteral("first\nline"));
        fakeLibrary().bufferOutput = "second";
        button(dialog, "&Decode").click();
        QCOMPARE(edit(dialog).toPlainText(), QStringLiteral("second"));
        QCOMPARE(dialog.m_strText, QStringLiteral("second"));
        EXPECT_CALLS(QStringLiteral("encode then decode"),
                     (Calls{"EncodeBuffer(\"Sample Text\", 11, 1)", "DecodeBuffer(\"first\r\nline\", 11, 1)"}));
    }

    void returnInsertsALineBreakAndOkNeverCloses() {
        fakeLibrary().reset();
        CBufferCodecDialog dialog(nullptr, fakeLibraryFunctions());
        dialog.show();
        QPlainTextEdit &text = edit(dialog);
        text.setFocus();
        text.moveCursor(QTextCursor::End);
        QTest::keyClick(&text, Qt::Key_Return);
        QTest::keyClicks(&text, QStringLiteral("more"));
        QVERIFY(dialog.isVisible());
        dialog.accept();
        QVERIFY2(dialog.isVisible(), "OK closed the dialog");
        button(dialog, "&Encode").click();
        EXPECT_CALLS(QStringLiteral("line break"), (Calls{"EncodeBuffer(\"Sample Text\r\nmore\", 17, 1)"}));
        button(dialog, "Cancel").click();
        QVERIFY(!dialog.isVisible());
    }

    void takesNoMoreThanTheBufferHolds() {
        struct Row {
            QString name;
            std::string output;
            int result;
            QString want;
        };
        const std::vector<Row> rows = {
            {"zero empties the box", "ignored", 0, ""},
            {"negative empties the box", "ignored", -5, ""},
            {"count past the buffer", std::string(40, 'z'), 1 << 20, QString(40, QLatin1Char('z'))},
            {"a NUL ends the text", std::string("ab\0cd", 5), 5, "ab"},
        };
        for (const Row &row : rows) {
            fakeLibrary().reset();
            fakeLibrary().bufferOutput = row.output;
            fakeLibrary().bufferResult = row.result;
            CBufferCodecDialog dialog(nullptr, fakeLibraryFunctions());
            dialog.show();
            button(dialog, "&Encode").click();
            QVERIFY2(edit(dialog).toPlainText() == row.want,
                     qPrintable(row.name + ": got " + edit(dialog).toPlainText() + ", want " + row.want));
        }
    }

    void buffersHoldEachTypesBound() {
        struct Row {
            std::size_t length;
            int type;
            std::size_t encodeAtLeast, decodeAtLeast;
        };
        // Encoding bounds: one line per 45 (UU, XX) or 57 (Base64) bytes, about three
        // characters per byte for quoted-printable; decoding: 3 bytes per 4 characters + 3.
        const std::vector<Row> rows = {
            {0, 1, 4, 4},         {1, 1, 1 + 4 + 2 + 1, 4}, {45, 4, 63 + 1, 37}, {57, 2, 78 + 1, 46},
            {100, 5, 300 + 6 + 3 + 1, 101}, {2, 2, 6 + 1, 3 + 1},
        };
        for (const Row &row : rows) {
            QVERIFY2(merido::encodeBufferSize(row.length, row.type) >= row.encodeAtLeast,
                     qPrintable(QStringLiteral("encode %1 bytes of type %2: got %3, want at least %4")
                                    .arg(row.length).arg(row.type)
                                    .arg(merido::encodeBufferSize(row.length, row.type)).arg(row.encodeAtLeast)));
            QVERIFY2(merido::decodeBufferSize(row.length, row.type) >= row.decodeAtLeast,
                     qPrintable(QStringLiteral("decode %1 of type %2: got %3, want at least %4")
                                    .arg(row.length).arg(row.type)
                                    .arg(merido::decodeBufferSize(row.length, row.type)).arg(row.decodeAtLeast)));
        }
    }
};

// ---- The library's dialogs --------------------------------------------------------------

class LibraryUserInterfaceTest : public QObject {
    Q_OBJECT

private slots:
    void questionsAndSavePromptGoThroughThePrompter() {
        fakeLibrary().reset();
        ScriptedPrompter prompter;
        QWidget main;
        installLibraryUserInterface(fakeLibraryFunctions(), &main, prompter);
        const KodraUserInterface ui = fakeLibrary().userInterface;
        prompter.libraryAnswers = {KODRA_IDNO};
        QCOMPARE(ui.messageBox(ui.context, &main, "Decode file /x/a.jpg?", "Kodra DLL", KODRA_MB_YESNOCANCEL),
                 KODRA_IDNO);
        QCOMPARE(prompter.libraryQuestions.size(), std::size_t{1});
        QCOMPARE(prompter.libraryQuestions[0].text, QStringLiteral("Decode file /x/a.jpg?"));
        QCOMPARE(prompter.libraryQuestions[0].caption, QStringLiteral("Kodra DLL"));
        QCOMPARE(prompter.libraryQuestions[0].buttons, KODRA_MB_YESNOCANCEL);
        QCOMPARE(prompter.libraryQuestions[0].owner, &main);
        QCOMPARE(ui.activeWindow(ui.context), static_cast<void *>(&main));

        char path[16] = "/x/a.jpg";
        prompter.saveAnswers = {QStringLiteral("/y/b.jpg"), QStringLiteral("/a/name/too/long/for/it"), std::nullopt};
        QCOMPARE(ui.chooseSaveFile(ui.context, &main, path, 16), 1);
        QCOMPARE(QByteArray(path), QByteArray("/y/b.jpg"));
        QCOMPARE(ui.chooseSaveFile(ui.context, &main, path, 16), 0);
        QCOMPARE(QByteArray(path), QByteArray("/y/b.jpg"));
        QCOMPARE(ui.chooseSaveFile(ui.context, &main, path, 16), 0);
        QCOMPARE(prompter.saveInitialNames, (QStringList{"/x/a.jpg", "/y/b.jpg", "/y/b.jpg"}));
        uninstallLibraryUserInterface(fakeLibraryFunctions());
        QVERIFY(!fakeLibrary().userInterfaceInstalled);
    }

    void qtMessageBoxShowsTheLibrarysButtons() {
        struct Row {
            int buttons;
            QMessageBox::StandardButtons want;
            QMessageBox::StandardButton press;
            int answer;
        };
        const std::vector<Row> rows = {
            {KODRA_MB_YESNOCANCEL, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Cancel,
             KODRA_IDCANCEL},
            {KODRA_MB_YESNO, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, KODRA_IDYES},
            {KODRA_MB_OK, QMessageBox::Ok, QMessageBox::Ok, KODRA_IDOK},
        };
        for (const Row &row : rows) {
            CQtPrompter prompter;
            QMessageBox::StandardButtons shown;
            QString caption;
            QTimer::singleShot(0, [&] {
                auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
                if (!box) return;
                shown = box->standardButtons();
                caption = box->windowTitle();
                box->button(row.press)->click();
            });
            const int answer = prompter.askLibraryQuestion(nullptr, QStringLiteral("File /x exists.  \nOverwite?"),
                                                           QStringLiteral("Kodra DLL"), row.buttons);
            QCOMPARE(answer, row.answer);
            QCOMPARE(shown, row.want);
            QCOMPARE(caption, QStringLiteral("Kodra DLL"));
        }
    }
};

// ---- Against the real library -------------------------------------------------------

class RealLibraryTest : public QObject {
    Q_OBJECT

private:
    struct RealHarness {
        ScriptedPrompter prompter;
        CMeridoApp app{realLibraryFunctions(), prompter};
        RealHarness() { app.InitInstance(); }
        bool trigger(int command) {
            QAction *action = app.mainFrame()->commandAction(command);
            if (!action) return false;
            action->trigger();
            return true;
        }
    };

private slots:
    void encodesMimeWithTwoAttachments() {
        QTemporaryDir folder;
        const QString first = folder.filePath(QStringLiteral("notes.txt"));
        const QString second = folder.filePath(QStringLiteral("data.bin"));
        QVERIFY(writeFile(first, "first attachment\r\n"));
        QVERIFY(writeFile(second, QByteArray("\x00\x01\x02\xff", 4)));
        QVERIFY(writeFile(folder.filePath(QStringLiteral("notes.MIM")), "already here"));
        RealHarness harness;
        harness.prompter.openAnswers = {first, second};
        QVERIFY(harness.trigger(merido::ID_ENCODE_MIME));
        QCOMPARE(readFile(folder.filePath(QStringLiteral("notes.MIM"))), QByteArray("already here"));
        const QByteArray output = readFile(folder.filePath(QStringLiteral("notes1.MIM")));
        QVERIFY2(output.contains("Merido Windows Application"), output.constData());
        QVERIFY(output.contains("notes.txt") && output.contains("data.bin"));
        QCOMPARE(output.count(QByteArray("--") + kBoundary.c_str()), 2);
        QVERIFY2(output.endsWith(QByteArray("--") + kBoundary.c_str() + "--\r\n"), output.constData());
    }

    void splitsAndJoinsAFile() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("big.bin"));
        QByteArray content(80000, '\0');
        for (int i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i * 7);
        QVERIFY(writeFile(path, content));
        RealHarness harness;
        harness.prompter.openAnswers = {path};
        QVERIFY(harness.trigger(merido::ID_UTIL_SPLITFILE));
        const QStringList pieces = QDir(folder.path()).entryList(QDir::Files);
        QCOMPARE(pieces, (QStringList{"big.bin", "big1.bin", "big2.bin", "big3.bin"}));
        QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("big1.bin"))).size(), 35000);
        QCOMPARE(QFileInfo(folder.filePath(QStringLiteral("big3.bin"))).size(), 10000);
        // The first piece is chosen to join; the others are deleted once appended.
        harness.prompter.openAnswers = {folder.filePath(QStringLiteral("big1.bin"))};
        QVERIFY(harness.trigger(merido::ID_UTIL_CONCATENATEFILES));
        QCOMPARE(readFile(folder.filePath(QStringLiteral("big1.bin"))), content);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), (QStringList{"big.bin", "big1.bin"}));
    }

    void codesTheBufferBothWays() {
        struct Row {
            int index;
            QString text;
            QString decoded;
        };
        const std::vector<Row> rows = {
            {0, "Sample Text", "Sample Text"},
            {1, QString(200, QLatin1Char('x')), QString(200, QLatin1Char('x'))},
            {2, "Sample Text", "Sample Text"},
            // Three characters per byte encoded; the text comes back ending its last line.
            {3, QString(300, QLatin1Char('=')), QString(300, QLatin1Char('=')) + "\r\n"},
        };
        for (const Row &row : rows) {
            CBufferCodecDialog dialog(nullptr, realLibraryFunctions());
            dialog.show();
            combo(dialog).setCurrentIndex(row.index);
            dialog.findChild<QPlainTextEdit *>()->setPlainText(row.text);
            dialog.OnEncode();
            QVERIFY2(dialog.m_strText != row.text && !dialog.m_strText.isEmpty(),
                     qPrintable(QStringLiteral("index %1: nothing encoded").arg(row.index)));
            dialog.OnDecode();
            QVERIFY2(dialog.m_strText == row.decoded,
                     qPrintable(QStringLiteral("index %1: got %2, want %3").arg(row.index).arg(dialog.m_strText, row.decoded)));
        }
    }

    void showsTheHeadersAndTextOfAMessage() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("msg.eml"));
        QVERIFY(writeFile(path, mailWithTwoAttachments()));
        RealHarness harness;
        harness.prompter.openAnswers = {path};
        QVERIFY(harness.trigger(merido::ID_UTIL_SHOWMESSAGEHEADERS));
        QCOMPARE(harness.prompter.messages.size(), std::size_t{2});
        QCOMPARE(harness.prompter.messages[0].first, QStringLiteral("From: Ann <ann@example.org>\nSubject: Files"));
        QCOMPARE(harness.prompter.messages[1].first, QStringLiteral("Hello there\r\n"));
        QVERIFY(QFile::exists(folder.filePath(QStringLiteral("Message.txt"))));
    }

    // A message named like the fixed text target: its headers are shown, its text is
    // refused, and the message stays as it was.
    void aMessageNamedLikeItsTextIsLeftAlone() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("Message.txt"));
        QVERIFY(writeFile(path, mailWithTwoAttachments()));
        RealHarness harness;
        harness.prompter.openAnswers = {path};
        QVERIFY(harness.trigger(merido::ID_UTIL_SHOWMESSAGEHEADERS));
        QCOMPARE(harness.prompter.messages.size(), std::size_t{1});
        QCOMPARE(harness.prompter.messages[0].first, QStringLiteral("From: Ann <ann@example.org>\nSubject: Files"));
        QCOMPARE(readFile(path), mailWithTwoAttachments());
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("Message.txt")});
    }

    void allPromptsAsksThroughMeridosDialogs() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("msg.txt"));
        QVERIFY(writeFile(path, mailWithTwoAttachments()));
        RealHarness harness;
        harness.prompter.openAnswers = {path};
        harness.prompter.libraryAnswers = {KODRA_IDYES, KODRA_IDNO};
        QVERIFY(harness.trigger(merido::ID_DECODE_ALLPROMPTS));
        QCOMPARE(readFile(folder.filePath(QStringLiteral("photo.jpg"))), QByteArray("JPEGDATA\x01\x02"));
        QVERIFY2(!QFile::exists(folder.filePath(QStringLiteral("song.mid"))), "decoded a file the user refused");
        const auto &questions = harness.prompter.libraryQuestions;
        QVERIFY(questions.size() >= 2);
        QCOMPARE(questions[0].text, QStringLiteral("Decode file %1?").arg(folder.filePath(QStringLiteral("photo.jpg"))));
        QCOMPARE(questions[0].buttons, KODRA_MB_YESNOCANCEL);
        QCOMPARE(questions[0].owner, static_cast<QWidget *>(harness.app.mainFrame()));
        for (const auto &question : questions) QCOMPARE(question.caption, QStringLiteral("Kodra DLL"));
    }

    void overwritePromptOnlyAsksBeforeReplacing() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("msg.txt"));
        QVERIFY(writeFile(path, mailWithTwoAttachments()));
        QVERIFY(writeFile(folder.filePath(QStringLiteral("photo.jpg")), "old"));
        RealHarness harness;
        harness.prompter.openAnswers = {path};
        harness.prompter.libraryAnswers = {KODRA_IDYES};
        QVERIFY(harness.trigger(merido::ID_DECODE_OVERWRITEPROMPTONLY));
        const auto &questions = harness.prompter.libraryQuestions;
        QCOMPARE(questions.size(), std::size_t{1});
        QCOMPARE(questions[0].text,
                 QStringLiteral("File %1 exists.  \nOverwite?").arg(folder.filePath(QStringLiteral("photo.jpg"))));
        QCOMPARE(questions[0].buttons, KODRA_MB_YESNO);
        QCOMPARE(readFile(folder.filePath(QStringLiteral("photo.jpg"))), QByteArray("JPEGDATA\x01\x02"));
        QCOMPARE(readFile(folder.filePath(QStringLiteral("song.mid"))), QByteArray("MIDI"));
    }

    void showNamesDecodesUnderTheChangedNames() {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("msg.txt"));
        QVERIFY(writeFile(path, mailWithTwoAttachments()));
        RealHarness harness;
        harness.prompter.openAnswers = {path};
        harness.prompter.saveAnswers = {folder.filePath(QStringLiteral("renamed.mid"))};
        QStringList listed;
        harness.prompter.onDialog = [&](QDialog &dialog) {
            auto &list = dynamic_cast<CDecodeListDialog &>(dialog);
            for (int i = 0; i < list.m_listNames->count(); ++i) listed << list.m_listNames->item(i)->text();
            list.m_listNames->setCurrentRow(1);
            list.OnDblclkNameList();
            list.OnOK();
            return list.result();
        };
        QVERIFY(harness.trigger(merido::ID_DECODE_SHOWFILENAMES));
        QCOMPARE(listed, (QStringList{folder.filePath("photo.jpg"), folder.filePath("song.mid")}));
        QCOMPARE(readFile(folder.filePath(QStringLiteral("photo.jpg"))), QByteArray("JPEGDATA\x01\x02"));
        QCOMPARE(readFile(folder.filePath(QStringLiteral("renamed.mid"))), QByteArray("MIDI"));
        QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("song.mid"))));
        QVERIFY2(harness.prompter.libraryQuestions.empty(), "the silent mode asked something");
    }

    void multipleFilesPrefixesTheOutputsWithTheirSource() {
        QTemporaryDir folder;
        QVERIFY(writeFile(folder.filePath(QStringLiteral("msg1.txt")), mailWithTwoAttachments()));
        QVERIFY(writeFile(folder.filePath(QStringLiteral("plain.txt")), "Nothing encoded here.\r\n"));
        RealHarness harness;
        harness.prompter.onDialog = [&](QDialog &dialog) {
            auto &multiple = dynamic_cast<CDecodeMultipleDialog &>(dialog);
            multiple.findChild<QLineEdit *>()->setText(folder.filePath(QStringLiteral("*.txt")));
            multiple.accept();
            return multiple.result();
        };
        QVERIFY(harness.trigger(merido::ID_DECODE_MULTIPLEFILES));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 (QStringList{"msg1.txt", "msg1.txt_photo.jpg", "msg1.txt_song.mid", "plain.txt"}));
        QCOMPARE(readFile(folder.filePath(QStringLiteral("msg1.txt_song.mid"))), QByteArray("MIDI"));
    }

private:
    static QComboBox &combo(QDialog &dialog) { return *dialog.findChild<QComboBox *>(); }
};

// Runs one test object; a fresh object per suite keeps their state apart.
template <typename Test>
int runSuite(int argc, char *argv[]) {
    Test test;
    return QTest::qExec(&test, argc, argv);
}

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    // One after another, in this order (the operands of "+" have none).
    int failures = runSuite<MainWindowTest>(argc, argv);
    failures += runSuite<CommandTest>(argc, argv);
    failures += runSuite<MultipleFilesTest>(argc, argv);
    failures += runSuite<DecodeListTest>(argc, argv);
    failures += runSuite<BufferCodecTest>(argc, argv);
    failures += runSuite<LibraryUserInterfaceTest>(argc, argv);
    failures += runSuite<RealLibraryTest>(argc, argv);
    return failures == 0 ? 0 : 1;
}

#include "merido_tests.moc"
