// The main window's client area: draws nothing and carries out every File > Decode,
// File > Encode and Util command.
#pragma once

#include <QString>
#include <QWidget>

class CPrompter;
struct CLibraryFunctions;

class CMeridoView : public QWidget {
public:
    CMeridoView(QWidget *parent, const CLibraryFunctions &library, CPrompter &prompter);

    void OnDecodeAllPrompts();
    void OnDecodeOverwritePrompt();
    void OnDecodeShowNames();
    void OnDecodeMultiple();
    void OnEncodeMime();
    void OnEncodeUu();
    void OnEncodeXx();
    void OnEncodeBinHex();
    void OnEncodeQp();
    void OnSplitFile();
    void OnConcatenateFiles();
    void OnEncodeBuffer();
    void OnShowMessageHeaders();

    // Boundary text of every encoded output.
    const QString m_strBoundary;

private:
    enum class TitleRegistration { none, first, beforeEncoding };

    // Open-file prompt for an existing file starting from initialName; false on cancel.
    bool AskExistingFile(const QString &initialName, QString &path);
    void registerTitle();
    void decodeChosenFile(int mode);
    void encodeChosenFile(int type, const char *extension, TitleRegistration registration);
    void decodeFileWithListedNames(const QString &file);
    void showMessageText(const QString &path);

    const CLibraryFunctions &library_;
    CPrompter &prompter_;
};

namespace merido {
// The encoded output's path: path without the extension of its file name, plus extension.
QString encodedOutputPath(const QString &path, const QString &extension);
}  // namespace merido
