#include "graphs/time_series.h"

#include <algorithm>

namespace graphs {

namespace {
// Never past the end of the table, whatever the count says.
int usableMarks(int markCount, std::size_t tableSize) {
    return std::clamp(markCount, 0, static_cast<int>(tableSize) - 1);
}

// Seconds counted at 1/30 s a frame are stretched by this to the seconds the frames really
// last: exactly 1 at the counted rate.
double stretchAt(double framesPerSecond) {
    return kFramesPerSecond / framesPerSecond;
}

} // namespace

void markTimes(int markCount, std::span<const std::int32_t> frameGap, std::span<float> timeT,
               double framesPerSecond) {
    const int marks = usableMarks(markCount, std::min(frameGap.size(), timeT.size()));
    const double stretch = stretchAt(framesPerSecond);
    std::int32_t frames = 0;
    for (int i = 1; i <= marks; ++i) {
        frames += frameGap[i - 1];
        timeT[i] = static_cast<float>(frames / kFramesPerSecond * stretch);
    }
}

void intervalVelocities(int markCount, std::span<const std::int32_t> frameGap,
                        std::span<const float> posX, std::span<const float> posY,
                        std::span<float> velX, std::span<float> velY, std::span<float> timeT,
                        double framesPerSecond) {
    const std::size_t size = std::min(
        {frameGap.size(), posX.size(), posY.size(), velX.size(), velY.size(), timeT.size()});
    const int marks = usableMarks(markCount, size);
    const double stretch = stretchAt(framesPerSecond);
    std::int32_t frames = 0;
    for (int i = 1; i < marks; ++i) {
        const double dt = frameGap[i] / kFramesPerSecond;
        const double seconds = dt * stretch;
        velX[i] = static_cast<float>((static_cast<double>(posX[i + 1]) - posX[i]) / seconds);
        velY[i] = static_cast<float>((static_cast<double>(posY[i + 1]) - posY[i]) / seconds);
        frames += frameGap[i - 1];
        timeT[i] = static_cast<float>((dt / 2.0 + frames / kFramesPerSecond) * stretch);
    }
}

} // namespace graphs
