#pragma once

class QWidget;

namespace toolkit {

// Layouts are given in twips; 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;
constexpr int twipsToPixels(int twips) {
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

// Gives a top-level window an outer size (frame and title bar included) and centres that
// frame on its screen. Frame margins are known only once the window manager has framed
// the window, which it reports some time after the first show: the size and position are
// adjusted once more then. Until then the margins of a window framed before are assumed.
void setOuterSizeCentred(QWidget* window, int outerWidthPx, int outerHeightPx);

} // namespace toolkit
