#pragma once

#include <array>
#include <cstdint>

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

// Back to the state at program start: no marks and every entry zero.
void resetTable();

} // namespace Module1
