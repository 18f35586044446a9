#include "main_window/frame_rate_question.h"

#include "measurement/time_base.h"

#include <cmath>

namespace frame_rate_question {

namespace {
constexpr double kTolerance = 0.02;
} // namespace

bool needed(double framesPerSecond) {
    return framesPerSecond > 0 && std::abs(framesPerSecond - measurement::kCountedFramesPerSecond) >
                                      kTolerance * measurement::kCountedFramesPerSecond;
}

QString text(double framesPerSecond) {
    const QString rate = measurement::rateText(framesPerSecond);
    return QStringLiteral("この映像は 1 秒間に %1 コマで撮影されています。\n"
                          "1 コマを 1/%1 秒として時間を数えますか？（いいえ: 1/30 秒のまま）")
        .arg(rate);
}

} // namespace frame_rate_question
