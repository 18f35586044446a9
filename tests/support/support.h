#pragma once

#include <QColor>
#include <QImage>
#include <QPointF>
#include <QRect>
#include <QString>

class QWidget;
namespace toolkit {
class PictureBox;
}

// Small helpers that every kind of test needs once.
namespace support {

QByteArray readFile(const QString& path);
bool writeFile(const QString& path, const QByteArray& bytes);

// Shows the window and makes it the active one; false when it never became active.
bool showActive(QWidget* window);

// Pixels of this colour in the image, or in `area` of it.
int countPixels(const QImage& image, const QColor& colour, QRect area = {});

// Whether `box` shows `text` printed with its top-left corner at `at` (pixels) in the box's
// font and current font size, black on white, as a QPainter draws it: an independent
// reference for where the program prints. Compares the area the text takes.
bool showsText(const toolkit::PictureBox& box, QPointF at, const QString& text,
               const QColor& ink = Qt::black);

} // namespace support
