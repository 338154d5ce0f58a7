// The document: holds nothing but its name; saving writes an empty file.
#pragma once

#include <QString>

class CMeridoDoc {
public:
    // Starts a new, empty, untitled document.
    bool OnNewDocument();
    // "Opens" path: nothing is read, the document takes the file's name.
    bool OnOpenDocument(const QString &path);
    // Writes the (empty) document to path; false when the file cannot be written.
    bool OnSaveDocument(const QString &path);

    // "Untitled", or the file name of the document's path.
    QString GetTitle() const;
    const QString &GetPathName() const { return m_strPathName; }

private:
    QString m_strPathName;
};
