#pragma once

#include <QPointF>
#include <QString>
#include <optional>

// A length the user knows, marked by its two ends in the measuring area (both ends of a
// ruler filmed with the object, say): it says how long one unit length is in metres.
namespace measurement {

enum class LengthUnit { Millimetre, Centimetre, Metre };

// The longest reference that makes sense in a classroom video, in metres.
inline constexpr double kLongestReference = 1000.0;

struct LengthReference {
    QPointF from; // measuring-area pixels
    QPointF to;
    double metres = 0; // the real distance between them

    // Metres per unit length of 40 pixels.
    double metresPerUnit() const;
};

// Whether two clicks fell on the same pixel of the measuring area: no length between them.
bool samePixel(QPointF a, QPointF b);

// A length the user typed, in metres: nothing when it is empty, not a number, not above
// zero, or longer than kLongestReference.
std::optional<double> parseLength(const QString& text, LengthUnit unit);

// What the main window shows: "1 単位長 = 2.35 cm", in mm, cm or m, whichever reads best.
QString unitLengthText(double metresPerUnit);

} // namespace measurement
