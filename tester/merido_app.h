// The application object: builds the document, the main window with its menus and the
// view, installs the library's dialogs, and shows Help > About.
#pragma once

#include "merido_doc.h"

#include <memory>

class CMainFrame;
class CPrompter;
class QMenu;
struct CLibraryFunctions;

class CMeridoApp {
public:
    CMeridoApp(const CLibraryFunctions &library, CPrompter &prompter);
    ~CMeridoApp();
    CMeridoApp(const CMeridoApp &) = delete;
    CMeridoApp &operator=(const CMeridoApp &) = delete;

    // Creates the empty document and shows the main window; true on success.
    bool InitInstance();

    void OnHelpAbout();
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();

    CMainFrame *mainFrame() const { return frame_.get(); }
    CMeridoDoc &document() { return document_; }

private:
    void buildMenus();
    void buildAccelerators();

    const CLibraryFunctions &library_;
    CPrompter &prompter_;
    CMeridoDoc document_;
    std::unique_ptr<CMainFrame> frame_;
};
