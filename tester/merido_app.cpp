#include "merido_app.h"

#include "about_dialog.h"
#include "library_user_interface.h"
#include "main_frame.h"
#include "merido_view.h"
#include "prompter.h"
#include "resources.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>

#include <functional>

namespace {

QAction *addCommand(QMenu &menu, const char *text, int commandId, std::function<void()> handler) {
    QAction *action = menu.addAction(QString::fromLatin1(text));
    action->setProperty(kCommandIdProperty, commandId);
    QObject::connect(action, &QAction::triggered, action, [handler = std::move(handler)] { handler(); });
    return action;
}

}  // namespace

CMeridoApp::CMeridoApp(const CLibraryFunctions &library, CPrompter &prompter)
    : library_(library), prompter_(prompter) {}

CMeridoApp::~CMeridoApp() {
    if (frame_) uninstallLibraryUserInterface(library_);
}

bool CMeridoApp::InitInstance() {
    frame_ = std::make_unique<CMainFrame>();
    frame_->setCentralWidget(new CMeridoView(frame_.get(), library_, prompter_));
    buildMenus();
    buildAccelerators();
    installLibraryUserInterface(library_, frame_.get(), prompter_);
    OnFileNew();
    frame_->show();
    return true;
}

void CMeridoApp::buildMenus() {
    CMeridoView *view = frame_->view();
    QMenuBar *bar = frame_->menuBar();

    QMenu *file = bar->addMenu(QStringLiteral("&File"));
    QMenu *decode = file->addMenu(QStringLiteral("&Decode"));
    addCommand(*decode, "&All Prompts", merido::ID_DECODE_ALLPROMPTS, [view] { view->OnDecodeAllPrompts(); });
    addCommand(*decode, "&Overwrite Prompt Only", merido::ID_DECODE_OVERWRITEPROMPTONLY,
               [view] { view->OnDecodeOverwritePrompt(); });
    addCommand(*decode, "&Show File Names...", merido::ID_DECODE_SHOWFILENAMES,
               [view] { view->OnDecodeShowNames(); });
    addCommand(*decode, "&Multiple Files", merido::ID_DECODE_MULTIPLEFILES,
               [view] { view->OnDecodeMultiple(); });
    QMenu *encode = file->addMenu(QStringLiteral("Encode"));
    addCommand(*encode, "&MIME(Base64)", merido::ID_ENCODE_MIME, [view] { view->OnEncodeMime(); });
    addCommand(*encode, "UUENCODED", merido::ID_ENCODE_UUENCODED, [view] { view->OnEncodeUu(); });
    addCommand(*encode, "XXENCODED", merido::ID_ENCODE_XXENCODED, [view] { view->OnEncodeXx(); });
    addCommand(*encode, "BinHex (Macintosh)", merido::ID_ENCODE_BINHEX, [view] { view->OnEncodeBinHex(); });
    addCommand(*encode, "Quoted-printable", merido::ID_ENCODE_QUOTEDPRINTABLE, [view] { view->OnEncodeQp(); });
    file->addSeparator();
    CMainFrame *frame = frame_.get();
    addCommand(*file, "E&xit", merido::ID_APP_EXIT, [frame] { frame->close(); });

    QMenu *util = bar->addMenu(QStringLiteral("&Util"));
    addCommand(*util, "&Split File", merido::ID_UTIL_SPLITFILE, [view] { view->OnSplitFile(); });
    addCommand(*util, "&Concatenate Files", merido::ID_UTIL_CONCATENATEFILES,
               [view] { view->OnConcatenateFiles(); });
    addCommand(*util, "&Encode Buffer", merido::ID_UTIL_ENCODEBUFFER, [view] { view->OnEncodeBuffer(); });
    addCommand(*util, "&Show Message Headers", merido::ID_UTIL_SHOWMESSAGEHEADERS,
               [view] { view->OnShowMessageHeaders(); });

    QMenu *help = bar->addMenu(QStringLiteral("&Help"));
    addCommand(*help, "&About Merido...", merido::ID_APP_ABOUT, [this] { OnHelpAbout(); });
}

// The framework's standard accelerators: New, Open and Save work on the empty document;
// the edit and pane keys reach no handler.
void CMeridoApp::buildAccelerators() {
    struct Accelerator {
        int commandId;
        QList<QKeySequence> keys;
        std::function<void()> handler;
    };
    const Accelerator accelerators[] = {
        {merido::ID_FILE_NEW, {QKeySequence(QStringLiteral("Ctrl+N"))}, [this] { OnFileNew(); }},
        {merido::ID_FILE_OPEN, {QKeySequence(QStringLiteral("Ctrl+O"))}, [this] { OnFileOpen(); }},
        {merido::ID_FILE_SAVE, {QKeySequence(QStringLiteral("Ctrl+S"))}, [this] { OnFileSave(); }},
        {57643, {QKeySequence(QStringLiteral("Ctrl+Z")), QKeySequence(QStringLiteral("Alt+Backspace"))}, {}},
        {57635, {QKeySequence(QStringLiteral("Ctrl+X")), QKeySequence(QStringLiteral("Shift+Del"))}, {}},
        {57634, {QKeySequence(QStringLiteral("Ctrl+C")), QKeySequence(QStringLiteral("Ctrl+Ins"))}, {}},
        {57637, {QKeySequence(QStringLiteral("Ctrl+V")), QKeySequence(QStringLiteral("Shift+Ins"))}, {}},
        {59392, {QKeySequence(QStringLiteral("F6"))}, {}},
        {59393, {QKeySequence(QStringLiteral("Shift+F6"))}, {}},
    };
    for (const Accelerator &accelerator : accelerators) {
        auto *action = new QAction(frame_.get());
        action->setProperty(kCommandIdProperty, accelerator.commandId);
        action->setShortcuts(accelerator.keys);
        if (accelerator.handler)
            QObject::connect(action, &QAction::triggered, action,
                             [handler = accelerator.handler] { handler(); });
        else
            action->setEnabled(false);
        frame_->addAction(action);
    }
}

void CMeridoApp::OnHelpAbout() {
    CAboutDialog dialog(frame_.get());
    prompter_.runDialog(dialog);
}

void CMeridoApp::OnFileNew() {
    document_.OnNewDocument();
    frame_->UpdateFrameTitle(document_.GetTitle());
}

void CMeridoApp::OnFileOpen() {
    QString path;
    if (!prompter_.askExistingFile(frame_.get(), path)) return;
    if (document_.OnOpenDocument(path)) frame_->UpdateFrameTitle(document_.GetTitle());
}

void CMeridoApp::OnFileSave() {
    QString path = document_.GetPathName();
    if (path.isEmpty()) {
        path = document_.GetTitle();
        if (!prompter_.askSaveFile(frame_.get(), path)) return;
    }
    if (document_.OnSaveDocument(path))
        frame_->UpdateFrameTitle(document_.GetTitle());
    else
        prompter_.showMessage(frame_.get(), QStringLiteral("Access to %1 was denied.").arg(path),
                              QString::fromLatin1(merido::kAppTitle));
}
