#include "measurement/time_base.h"

#include <QLocale>
#include <cmath>

namespace measurement {

QString rateText(double framesPerSecond) {
    QString text = QString::number(framesPerSecond, 'f', 2);
    while (text.endsWith(u'0'))
        text.chop(1);
    if (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

std::optional<double> parseRate(const QString& text) {
    bool ok = false;
    // Full-width digits, as a Japanese input method may give them, read as plain ones.
    const double rate =
        QLocale::c().toDouble(text.normalized(QString::NormalizationForm_KC).trimmed(), &ok);
    if (!ok || !std::isfinite(rate) || rate < kLowestRate || rate > kHighestRate)
        return std::nullopt;
    return rate;
}

} // namespace measurement
