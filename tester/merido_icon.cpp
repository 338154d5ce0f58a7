#include "resources.h"

#include <QPainter>
#include <QPixmap>

namespace merido {

// A sealed envelope: the program handles mail attachments.
QIcon meridoIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0, 0, 128), 2));
    painter.setBrush(QColor(255, 255, 224));
    painter.drawRect(QRectF(3, 7, 26, 18));
    painter.drawLine(QPointF(3, 7), QPointF(16, 18));
    painter.drawLine(QPointF(29, 7), QPointF(16, 18));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(192, 0, 0));
    painter.drawEllipse(QPointF(16, 18), 3.5, 3.5);
    painter.end();
    return QIcon(pixmap);
}

}  // namespace merido
