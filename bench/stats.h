#pragma once

#include <vector>

namespace bench {

// Median, 95th percentile (nearest rank) and maximum of a set of durations.
struct Summary {
    int count = 0;
    double median = 0;
    double p95 = 0;
    double max = 0;
};

Summary summarize(std::vector<double> samples);

// The value below which the fraction `p` (0..1) of the sorted samples lie, by nearest rank.
double percentile(const std::vector<double>& sorted, double p);

// Least-squares slope of y over x; 0 for fewer than two points.
double slope(const std::vector<double>& x, const std::vector<double>& y);

} // namespace bench
