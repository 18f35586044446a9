#pragma once

#include <QColor>

namespace common {

// The fixed 16-colour palette that colour indexes 0..15 refer to.
enum PaletteIndex : int {
    Black = 0,
    Blue = 1,
    Green = 2,
    Cyan = 3,
    Red = 4,
    Magenta = 5,
    Yellow = 6,
    White = 7,
    Grey = 8,
    LightBlue = 9,
    LightGreen = 10,
    LightCyan = 11,
    LightRed = 12,
    LightMagenta = 13,
    LightYellow = 14,
    BrightWhite = 15,
};

// Colour n of the palette; indexes outside 0..15 wrap into it rather than fail.
QColor QBColor(int n);

// The main window's light grey background (192, 192, 192).
QColor formBackground();

} // namespace common
