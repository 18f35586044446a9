#pragma once

#include <QString>

// Time on the graphs counts one frame as 1/30 s whatever the video's own rate. A video filmed
// at another rate is told so once it opens, with what follows for its times and
// accelerations.
namespace frame_rate_notice {

// True when the rate differs from 30 frames per second by more than 2 %.
bool needed(double framesPerSecond);

// How many times the real value a graph shows, as text: "2 倍", "1/2", "0.83 倍".
QString factorText(double factor);

// The information box's text for a video filmed at this rate.
QString text(double framesPerSecond);

} // namespace frame_rate_notice
