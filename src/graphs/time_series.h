#pragma once

#include "measurement/time_base.h"

#include <cstdint>
#include <span>

// The series the charts plot, derived from the measurement table. Index i of every span is
// entry i of the table: marks are 1..markCount, entry 0 is never written. Values are
// worked out in double precision and stored as floats.
namespace graphs {

// Frames are counted at this rate unless the user says how long one really lasts:
// `framesPerSecond` below. At the counted rate every value is exactly as it has always been.
inline constexpr double kFramesPerSecond = measurement::kCountedFramesPerSecond;

// timeT[i] = frames from mark 1 to mark i, in seconds, for i = 1..markCount.
void markTimes(int markCount, std::span<const std::int32_t> frameGap, std::span<float> timeT,
               double framesPerSecond = kFramesPerSecond);

// For every interval i = 1..markCount-1, from mark i to mark i+1: the velocities over it
// and the time of its middle.
void intervalVelocities(int markCount, std::span<const std::int32_t> frameGap,
                        std::span<const float> posX, std::span<const float> posY,
                        std::span<float> velX, std::span<float> velY, std::span<float> timeT,
                        double framesPerSecond = kFramesPerSecond);

} // namespace graphs
