#pragma once

#include <optional>
#include <span>

// Straight line v = a*t + b through the velocity points by least squares. The sums are
// kept in floats and added in index order, so the result is the same wherever it is
// computed.
namespace graphs {

struct FitLine {
    float a; // slope: the acceleration
    float b; // intercept: the velocity at t = 0
};

// t[k], v[k] for k = 0..size-1 are the points. Nothing when the line is not determined:
// fewer than two points, all times equal, or a point that is not a finite number.
std::optional<FitLine> fitLine(std::span<const float> t, std::span<const float> v);

// Position on the curve that the line implies, starting from s1 at t = 0.
double fittedPosition(const FitLine& line, float s1, double t);

} // namespace graphs
