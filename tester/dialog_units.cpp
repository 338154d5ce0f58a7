#include "dialog_units.h"

#include <QFontMetrics>
#include <QLabel>
#include <algorithm>
#include <QVariant>
#include <QWidget>

CDialogUnits::CDialogUnits(const QWidget &dialog) {
    const QFontMetrics metrics(dialog.font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    baseX_ = std::max(1, (metrics.horizontalAdvance(letters) / 26 + 1) / 2);
    baseY_ = std::max(1, metrics.height());
}

QRect CDialogUnits::rect(int x, int y, int width, int height) const {
    return {x * baseX_ / 4, y * baseY_ / 8, width * baseX_ / 4, height * baseY_ / 8};
}

void CDialogUnits::resizeDialog(QDialog &dialog, int width, int height) const {
    const QRect size = rect(0, 0, width, height);
    dialog.setFixedSize(size.width(), size.height());
}

void CDialogUnits::place(QWidget &control, int id, int x, int y, int width, int height) const {
    QRect area = rect(x, y, width, height);
    // Static texts keep their template place but never clip: our fonts are wider.
    if (const auto *label = qobject_cast<const QLabel *>(&control); label && !label->wordWrap())
        area.setWidth(std::max(area.width(), label->sizeHint().width()));
    control.setGeometry(area);
    control.setProperty(kControlIdProperty, id);
}
