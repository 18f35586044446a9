#pragma once

#include "measurement/length_reference.h"
#include "measurement/time_base.h"

#include <array>
#include <cstdint>
#include <optional>

// The process-wide measurement table: written by the main window while the user marks the
// object, read by the graph windows when they draw. Marks occupy indices 1..MarkCount of
// every array; index 0 never holds a mark. Nothing here is ever saved.
namespace Module1 {

inline constexpr int kMaxMarks = 100;
inline constexpr int kTableSize = kMaxMarks + 1;

// Frame counts are 32-bit so that no sum of frame gaps can wrap.
using FrameCount = std::int32_t;

extern std::int16_t MarkCount;
extern std::array<FrameCount, kTableSize> FrameGap; // FrameGap[i]: frames from mark i to i+1
extern std::array<float, kTableSize> PosX;          // unit lengths, current x direction
extern std::array<float, kTableSize> PosY;          // unit lengths, current y direction
extern std::array<float, kTableSize> VelX;          // unit lengths per second (graph windows)
extern std::array<float, kTableSize> VelY;
extern std::array<float, kTableSize> TimeT; // seconds (graph windows)

// How long a frame lasts and how long a unit length is, as the user chose them for the video
// that is open: 1/30 s and no reference until then. Marks keep only pixels and frame gaps,
// so a change here recomputes everything the graphs and the copied tables show.
extern measurement::TimeBase FrameTime;
extern std::optional<measurement::LengthReference> LengthScale;

// Back to the state at program start: no marks, every entry zero, 1/30 s, no reference.
void resetTable();

} // namespace Module1
