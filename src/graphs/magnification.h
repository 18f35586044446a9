#pragma once

#include <QString>
#include <cstdint>

// Zoom steps of the graph windows. Vertically the chart doubles or halves between 1/8 and
// 256; horizontally it moves in whole steps: 1, 2, 3 ... above 1 and 1/2, 1/3 ... below,
// so that the time labels stay readable numbers.
namespace graphs {

inline constexpr float kMinTate = 0.125f;
inline constexpr float kMaxTate = 256.0f;

// |step| + 2 must still fit in 16 bits for the "1/n" display.
inline constexpr std::int16_t kMinYokoStep = -(32767 - 2);
inline constexpr std::int16_t kMaxYokoStep = 32767;

// Horizontal magnification of a step: the step itself from 1 up, 1 / (|step| + 2) below.
float yokoBairitu(std::int16_t step);

// What the magnification boxes show: "1/2", "1/3" ... below 1, else the plain number.
QString yokoText(std::int16_t step, float bairitu);
QString tateText(float bairitu);

// One press of a vertical zoom button. `redraw` is false when the press ran into a limit:
// the value then stays at that limit and the chart, already drawn there, is left as it is.
struct TateChange {
    float bairitu;
    bool redraw;
};
TateChange tateLarger(float bairitu);
TateChange tateSmaller(float bairitu);

// Whether a horizontal zoom press may move the step; at the ends of the 16-bit range it
// may not.
bool canStepYoko(std::int16_t step, int delta);

// The shrinking of the time axis after an activation: lowers the step one at a time while
// the chart x of `lastTime` lies right of the plot, never below the lowest step.
struct YokoFit {
    std::int16_t step;
    float bairitu;
};
YokoFit fitTimeAxis(float lastTime, std::int16_t step, float bairitu);

} // namespace graphs
