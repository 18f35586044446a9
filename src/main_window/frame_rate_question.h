#pragma once

#include <QString>

// Time counts one frame as 1/30 s unless the user says otherwise. A video filmed at another
// rate asks once, as it opens, whether to count its frames at that rate instead.
namespace frame_rate_question {

// True when the rate differs from 30 frames per second by more than 2 %.
bool needed(double framesPerSecond);

// The question for a video filmed at this rate, answered with はい or いいえ.
QString text(double framesPerSecond);

} // namespace frame_rate_question
