#include "collect_files.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace merido {

FolderAndMask splitPathMask(const QString &text) {
    const qsizetype separator = text.lastIndexOf(QLatin1Char('/'));
    if (separator < 0) return {text, QStringLiteral("*.*")};
    return {text.left(separator + 1), text.mid(separator + 1)};
}

bool matchesMask(const QString &name, const QString &mask) {
    QString base = mask;
    bool extensionOptional = false;
    if (base.endsWith(QStringLiteral(".*"))) {
        base.chop(2);
        extensionOptional = true;
    }
    QString pattern;
    for (const QChar c : base) {
        if (c == QLatin1Char('*'))
            pattern += QStringLiteral(".*");
        else if (c == QLatin1Char('?'))
            pattern += QLatin1Char('.');
        else
            pattern += QRegularExpression::escape(QString(c));
    }
    if (extensionOptional) pattern += QStringLiteral("(\\..*)?");
    const QRegularExpression expression(QRegularExpression::anchoredPattern(pattern),
                                        QRegularExpression::CaseInsensitiveOption |
                                            QRegularExpression::DotMatchesEverythingOption);
    return expression.match(name).hasMatch();
}

}  // namespace merido

namespace {

void collect(const QString &folder, const QString &mask, QStringList &list, bool recurse,
             QSet<QString> &searched) {
    QString pattern = folder;
    if (!pattern.endsWith(QLatin1Char('/'))) pattern += QLatin1Char('/');
    pattern += mask;
    if (mask.isEmpty()) return;  // a pattern ending in "/" names no entry

    const qsizetype separator = pattern.lastIndexOf(QLatin1Char('/'));
    QString base = QDir(pattern.left(separator + 1)).absolutePath();
    if (!base.endsWith(QLatin1Char('/'))) base += QLatin1Char('/');

    const QString canonical = QFileInfo(base).canonicalFilePath();
    if (canonical.isEmpty() || searched.contains(canonical)) return;
    searched.insert(canonical);

    const QFileInfoList entries =
        QDir(base).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                 QDir::Name);
    for (const QFileInfo &entry : entries) {
        if (!merido::matchesMask(entry.fileName(), mask)) continue;
        const QString fullPath = base + entry.fileName();
        if (entry.isDir()) {
            if (recurse) collect(fullPath, mask, list, recurse, searched);
        } else {
            list.append(fullPath);
        }
    }
}

}  // namespace

void CollectFiles(const QString &folder, const QString &mask, QStringList &list, bool recurse) {
    QSet<QString> searched;
    collect(folder, mask, list, recurse, searched);
}
