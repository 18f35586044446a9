#pragma once

#include "common/vb_bool.h"

// Pixels of the measuring area <-> unit lengths. One unit length is 40 pixels. By default
// the origin is the bottom-right inner corner, x growing leftwards and y upwards; a flipped
// axis counts from 4 pixels before the left (top) inner edge, so the rulers read whole units
// at their ticks in both directions. Computed in double precision, stored as float.
namespace measurement {

inline constexpr double kPixelsPerUnit = 40.0;
inline constexpr double kFlippedOriginOffset = 4.0;

float positionX(float pixelX, VbBool xAxisRight, int areaW);
float positionY(float pixelY, VbBool yAxisDown, int areaH);

// The inverse, used to find the ruler dots of a stored mark again.
double pixelFromPositionX(float posX, VbBool xAxisRight, int areaW);
double pixelFromPositionY(float posY, VbBool yAxisDown, int areaH);

} // namespace measurement
