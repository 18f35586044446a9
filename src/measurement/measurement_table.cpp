#include "measurement/measurement_table.h"

namespace Module1 {

std::int16_t MarkCount = 0;
std::array<FrameCount, kTableSize> FrameGap{};
std::array<float, kTableSize> PosX{};
std::array<float, kTableSize> PosY{};
std::array<float, kTableSize> VelX{};
std::array<float, kTableSize> VelY{};
std::array<float, kTableSize> TimeT{};
measurement::TimeBase FrameTime;
std::optional<measurement::LengthReference> LengthScale;

void resetTable() {
    MarkCount = 0;
    FrameGap.fill(0);
    PosX.fill(0.0f);
    PosY.fill(0.0f);
    VelX.fill(0.0f);
    VelY.fill(0.0f);
    TimeT.fill(0.0f);
    FrameTime = {};
    LengthScale.reset();
}

} // namespace Module1
