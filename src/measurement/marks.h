#pragma once

#include "common/vb_bool.h"
#include "measurement/measurement_table.h"

namespace measurement {

enum class ClickVerdict {
    Ignore,    // play not yet pressed, or no net step since the previous mark: silently
    TableFull, // a mark would be the 101st: refused with a message
    Record,
};

// Whether a click on the measuring area becomes a mark. The first mark needs only that
// play was pressed; each later one a net step forward of at least one frame.
ClickVerdict judgeClick(int markCount, Module1::FrameCount framesSinceMark, VbBool playStarted);

// Frame counts add without wrapping: past the 32-bit range they stay at its ends.
Module1::FrameCount addFrames(Module1::FrameCount a, Module1::FrameCount b);

} // namespace measurement
