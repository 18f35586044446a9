#pragma once

#include <QString>
#include <array>
#include <cstdint>

// What must hold of the measurement table after any user action, whatever came before.
namespace reliability {

struct TableView {
    int markCount = 0;
    const std::int32_t* frameGap = nullptr; // 101 entries each
    const float* posX = nullptr;
    const float* posY = nullptr;
    const float* pixX = nullptr;
    const float* pixY = nullptr;
    bool xAxisRight = false;
    bool yAxisDown = false;
    int areaW = 0;
    int areaH = 0;
};

// Empty when the table holds together; else what is broken, for the failure message:
// the mark count lies in 0..100, every position is the conversion of its stored pixels for
// the current axis directions, and every mark after the first is at least one frame on.
QString brokenInvariant(const TableView& table);

// The resident memory of this process in bytes, from /proc/self/statm; 0 when unreadable.
std::int64_t residentBytes();

} // namespace reliability
