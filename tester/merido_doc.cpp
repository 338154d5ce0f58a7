#include "merido_doc.h"

#include "resources.h"

#include <QFile>
#include <QFileInfo>

bool CMeridoDoc::OnNewDocument() {
    m_strPathName.clear();
    return true;
}

bool CMeridoDoc::OnOpenDocument(const QString &path) {
    m_strPathName = path;
    return true;
}

bool CMeridoDoc::OnSaveDocument(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    if (!file.flush()) return false;
    file.close();
    m_strPathName = path;
    return true;
}

QString CMeridoDoc::GetTitle() const {
    return m_strPathName.isEmpty() ? QString::fromLatin1(merido::kUntitled)
                                   : QFileInfo(m_strPathName).fileName();
}
