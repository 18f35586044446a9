#pragma once

#include "measurement/time_base.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <span>

// What a chart plots, as a table to paste into a spreadsheet or a report: cells separated
// by tabs, each row ended by a line feed, numbers in the plain text of a 32-bit float. The
// spans are the measurement table's arrays (marks 1..markCount); nothing is written to them.
namespace graphs {

// The slopes of the last fit, once it has been drawn.
struct Accelerations {
    float ax;
    float ay;
};

// How long a frame lasts, and a unit length where a reference gives it. Beyond the counted
// 1/30 s the table states the time per frame in a line before the rows; with a reference
// it states the scale too, and every length, velocity and acceleration follows in metres.
struct TableUnits {
    double framesPerSecond = measurement::kCountedFramesPerSecond;
    std::optional<double> metresPerUnit;
};

// One row per mark: number, frames since mark 1, that time in seconds, x, y.
QString positionTable(int markCount, std::span<const std::int32_t> frameGap,
                      std::span<const float> posX, std::span<const float> posY,
                      std::optional<Accelerations> fit, const TableUnits& units = {});

// One row per interval between two marks: number, the time of its middle, vx, vy.
QString velocityTable(int markCount, std::span<const std::int32_t> frameGap,
                      std::span<const float> posX, std::span<const float> posY,
                      std::optional<Accelerations> fit, const TableUnits& units = {});

} // namespace graphs
