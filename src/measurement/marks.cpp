#include "measurement/marks.h"

#include <limits>

namespace measurement {

ClickVerdict judgeClick(int markCount, Module1::FrameCount framesSinceMark, VbBool playStarted) {
    if (markCount != 0 && framesSinceMark <= 0) {
        return ClickVerdict::Ignore;
    }
    if (!isTrue(playStarted)) {
        return ClickVerdict::Ignore;
    }
    if (markCount >= Module1::kMaxMarks) {
        return ClickVerdict::TableFull;
    }
    return ClickVerdict::Record;
}

Module1::FrameCount addFrames(Module1::FrameCount a, Module1::FrameCount b) {
    using Limits = std::numeric_limits<Module1::FrameCount>;
    const long long sum = static_cast<long long>(a) + b;
    if (sum > Limits::max()) {
        return Limits::max();
    }
    if (sum < Limits::min()) {
        return Limits::min();
    }
    return static_cast<Module1::FrameCount>(sum);
}

} // namespace measurement
