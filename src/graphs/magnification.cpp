#include "graphs/magnification.h"

#include "common/number_format.h"
#include "graphs/chart_mapping.h"

#include <cstdlib>

namespace graphs {

float yokoBairitu(std::int16_t step) {
    if (step >= 1)
        return static_cast<float>(step);
    return static_cast<float>(1.0 / (std::abs(static_cast<int>(step)) + 2));
}

QString yokoText(std::int16_t step, float bairitu) {
    if (bairitu < 1.0f)
        return QStringLiteral("1/") + QString::number(std::abs(static_cast<int>(step)) + 2);
    return common::plainText(bairitu);
}

QString tateText(float bairitu) {
    return common::plainText(bairitu);
}

TateChange tateLarger(float bairitu) {
    const float doubled = bairitu * 2.0f;
    if (doubled <= kMaxTate)
        return {doubled, true};
    return {kMaxTate, false};
}

TateChange tateSmaller(float bairitu) {
    const float halved = bairitu / 2.0f;
    if (halved >= kMinTate)
        return {halved, true};
    return {kMinTate, false};
}

bool canStepYoko(std::int16_t step, int delta) {
    const int next = step + delta;
    return next >= kMinYokoStep && next <= kMaxYokoStep;
}

YokoFit fitTimeAxis(float lastTime, std::int16_t step, float bairitu) {
    while (chartX(lastTime, bairitu) > kPlotRight && step > kMinYokoStep) {
        --step;
        bairitu = yokoBairitu(step);
    }
    return {step, bairitu};
}

} // namespace graphs
