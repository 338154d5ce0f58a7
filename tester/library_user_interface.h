// Hands the library merido's own dialogs for the questions, messages and save prompt of
// DecodeFile.
#pragma once

class CPrompter;
class QWidget;
struct CLibraryFunctions;

// Installs prompter's dialogs into the library; mainWindow owns prompts when no window is
// active. Both must outlive the installation.
void installLibraryUserInterface(const CLibraryFunctions &library, QWidget *mainWindow,
                                 CPrompter &prompter);
// Restores the library's default dialogs.
void uninstallLibraryUserInterface(const CLibraryFunctions &library);
