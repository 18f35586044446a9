#include "main_window/frame_rate_notice.h"

#include <cmath>

namespace frame_rate_notice {

namespace {

constexpr double kCountedRate = 30.0;
constexpr double kTolerance = 0.02;

// Whole numbers without a point; others to two decimals, trailing zeros dropped.
QString number(double value) {
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

bool nearlyWhole(double value) {
    return std::abs(value - std::round(value)) < 0.01 * value;
}

} // namespace

bool needed(double framesPerSecond) {
    return framesPerSecond > 0 &&
           std::abs(framesPerSecond - kCountedRate) > kTolerance * kCountedRate;
}

QString factorText(double factor) {
    if (factor >= 1 && nearlyWhole(factor))
        return number(std::round(factor)) + QStringLiteral(" 倍");
    if (factor < 1 && factor > 0 && nearlyWhole(1 / factor))
        return QStringLiteral("1/") + number(std::round(1 / factor));
    return QString::number(factor, 'g', 3) + QStringLiteral(" 倍");
}

QString text(double framesPerSecond) {
    const double times = framesPerSecond / kCountedRate;
    return QStringLiteral("この映像は 1 秒間に %1 コマで撮影されています。\n"
                          "このソフトでは 1 コマを 1/30 秒として時間を数えるため、"
                          "グラフの時間は実際の %2、加速度は実際の %3 になります。")
        .arg(number(framesPerSecond), factorText(times), factorText(1 / (times * times)));
}

} // namespace frame_rate_notice
