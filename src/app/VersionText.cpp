#include "VersionText.h"

#include "Version.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QString VersionText()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionPatch);
}

QPixmap TessalyLogo()
{
    // A small control chart: centre line, two limits and a run of points.
    QPixmap pixmap(320, 120);
    pixmap.fill(QColor(0x1f, 0x3a, 0x5f));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xe0, 0x60, 0x50), 2, Qt::DashLine));
    p.drawLine(20, 25, 300, 25);
    p.drawLine(20, 95, 300, 95);
    p.setPen(QPen(QColor(0x70, 0xc0, 0x70), 2));
    p.drawLine(20, 60, 300, 60);
    const int ys[] = {58, 44, 66, 52, 73, 49, 61, 38, 70, 57, 47, 64, 55};
    QPainterPath path;
    for (int i = 0; i < 13; ++i) {
        const QPointF pt(30 + i * 22, ys[i]);
        i == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    p.setPen(QPen(Qt::white, 2));
    p.drawPath(path);
    p.setBrush(Qt::white);
    for (int i = 0; i < 13; ++i) {
        p.drawEllipse(QPointF(30 + i * 22, ys[i]), 3, 3);
    }
    return pixmap;
}
