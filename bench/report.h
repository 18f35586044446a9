#pragma once

#include "service_probe.h"
#include "stats.h"

#include <string>
#include <vector>

namespace bench {

// Everything measured on one video: the service and the two references.
struct VideoFigures {
    std::string name;
    bool longGop = false;
    double fps = 30;
    ProbeResult service;
    std::vector<double> floor;        // decode + scale of each picture, in order
    double gopMs = 0;                 // decode + scale of the first 250 pictures
    std::vector<double> naiveReverse; // a sample of the reverse steps, done naively
    std::vector<double> naiveSeek;    // a sample of the random seeks, done naively
};

struct TargetCheck {
    std::string what;
    double ratio = 0;
    double limit = 0;
    bool atLeast = false; // the ratio must reach the limit instead of staying under it
    bool pass() const { return atLeast ? ratio >= limit : ratio <= limit; }
};

// The targets that apply to this video, as ratios measured in this run.
std::vector<TargetCheck> checkTargets(const VideoFigures& figures);

std::string formatFigures(const VideoFigures& figures);
std::string formatTargets(const std::vector<TargetCheck>& checks);

} // namespace bench
