#pragma once

#include <QString>
#include <optional>

// How long one frame lasts. Time is counted in frames of 1/30 s unless the user chooses
// the rate the file plays at, the rate it was filmed at (a phone's slow motion records it),
// or a rate of their own (a high-speed camera whose file says nothing).
namespace measurement {

inline constexpr double kCountedFramesPerSecond = 30.0;
// The range a typed rate may take, in frames per second.
inline constexpr double kLowestRate = 1.0;
inline constexpr double kHighestRate = 100000.0;

enum class TimeSource { Counted, FileRate, FilmedRate, Typed };

struct TimeBase {
    double framesPerSecond = kCountedFramesPerSecond;
    TimeSource source = TimeSource::Counted;

    // What a second counted at 1/30 s a frame really lasts: 30 / the rate.
    double stretch() const { return kCountedFramesPerSecond / framesPerSecond; }
};

// A rate as people write it: "30", "120", "29.97", "59.94" (at most two decimals).
QString rateText(double framesPerSecond);

// A rate the user typed, in frames per second: nothing when it is empty, not a number, or
// outside kLowestRate..kHighestRate.
std::optional<double> parseRate(const QString& text);

} // namespace measurement
