#include "measurement/length_reference.h"

#include "measurement/conversion.h"

#include <QLineF>
#include <QLocale>
#include <cmath>

namespace measurement {

namespace {

double metresIn(LengthUnit unit) {
    switch (unit) {
    case LengthUnit::Millimetre:
        return 0.001;
    case LengthUnit::Centimetre:
        return 0.01;
    case LengthUnit::Metre:
        break;
    }
    return 1.0;
}

// Three significant digits, trailing zeros dropped.
QString threeDigits(double value) {
    const int decimals = std::max(0, 2 - int(std::floor(std::log10(std::abs(value)))));
    QString text = QString::number(value, 'f', decimals);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    return text;
}

} // namespace

double LengthReference::metresPerUnit() const {
    return metres * kPixelsPerUnit / QLineF(from, to).length();
}

bool samePixel(QPointF a, QPointF b) {
    return std::floor(a.x()) == std::floor(b.x()) && std::floor(a.y()) == std::floor(b.y());
}

std::optional<double> parseLength(const QString& text, LengthUnit unit) {
    bool ok = false;
    // Full-width digits, as a Japanese input method may give them, read as plain ones.
    const double value =
        QLocale::c().toDouble(text.normalized(QString::NormalizationForm_KC).trimmed(), &ok);
    const double metres = value * metresIn(unit);
    if (!ok || !std::isfinite(metres) || metres <= 0 || metres > kLongestReference)
        return std::nullopt;
    return metres;
}

QString unitLengthText(double metresPerUnit) {
    const auto [value, unit] = metresPerUnit < 0.01  ? std::pair{metresPerUnit * 1000, "mm"}
                               : metresPerUnit < 1.0 ? std::pair{metresPerUnit * 100, "cm"}
                                                     : std::pair{metresPerUnit, "m"};
    return QStringLiteral("1 単位長 = %1 %2").arg(threeDigits(value), QLatin1String(unit));
}

} // namespace measurement
