// The file search of File > Decode > Multiple Files.
#pragma once

#include <QString>
#include <QStringList>

namespace merido {

struct FolderAndMask {
    QString folder;
    QString mask;
};

// Splits a path-and-mask text at its last "/": the folder keeps the "/", the mask is the
// rest. A text without "/" is a folder searched with "*.*".
FolderAndMask splitPathMask(const QString &text);

// True when name matches mask: "*" any run of characters, "?" one character, case
// ignored, and a mask ending in ".*" also matching names without that extension (so "*.*"
// matches every name).
bool matchesMask(const QString &name, const QString &mask);

}  // namespace merido

// Appends to list the full paths of the files in folder whose names match mask, in name
// order; with recurse, a matching subfolder's files stand where the subfolder was met.
// Each folder is searched at most once, so links that loop end the descent.
void CollectFiles(const QString &folder, const QString &mask, QStringList &list, bool recurse);
