#include "measurement/conversion.h"

namespace measurement {

namespace {

float toPosition(float pixel, VbBool flipped, int areaSize) {
    const double p = pixel;
    const double units = isTrue(flipped) ? (p + kFlippedOriginOffset) / kPixelsPerUnit
                                         : (areaSize - p) / kPixelsPerUnit;
    return static_cast<float>(units);
}

double toPixel(float position, VbBool flipped, int areaSize) {
    const double s = position;
    return isTrue(flipped) ? s * kPixelsPerUnit - kFlippedOriginOffset
                           : areaSize - s * kPixelsPerUnit;
}

} // namespace

float positionX(float pixelX, VbBool xAxisRight, int areaW) {
    return toPosition(pixelX, xAxisRight, areaW);
}

float positionY(float pixelY, VbBool yAxisDown, int areaH) {
    return toPosition(pixelY, yAxisDown, areaH);
}

double pixelFromPositionX(float posX, VbBool xAxisRight, int areaW) {
    return toPixel(posX, xAxisRight, areaW);
}

double pixelFromPositionY(float posY, VbBool yAxisDown, int areaH) {
    return toPixel(posY, yAxisDown, areaH);
}

} // namespace measurement
