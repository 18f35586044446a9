#include "support/support.h"

#include "toolkit/picture_box.h"

#include <QFile>
#include <QPainter>
#include <QTest>
#include <QWidget>

namespace support {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool showActive(QWidget* window) {
    window->show();
    window->activateWindow();
    return QTest::qWaitForWindowActive(window);
}

int countPixels(const QImage& image, const QColor& colour, QRect area) {
    if (area.isNull())
        area = image.rect();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixelColor(x, y) == colour;
    return n;
}

bool showsText(const toolkit::PictureBox& box, QPointF at, const QString& text, const QColor& ink) {
    QImage expected(box.image().size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    QFont font = box.font();
    font.setPointSizeF(box.fontSize());
    font.setStyleStrategy(QFont::NoAntialias);
    {
        QPainter painter(&expected);
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QPointF(at.x(), at.y() + QFontMetricsF(font, &expected).ascent()), text);
    }
    const QFontMetrics metrics(font, &expected);
    const QRect area = QRect(at.toPoint(), QSize(metrics.horizontalAdvance(text), metrics.height()))
                           .intersected(expected.rect());
    return box.image().copy(area) == expected.copy(area);
}

} // namespace support
