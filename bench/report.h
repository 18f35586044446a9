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
    int gop = 250;
    int height = 0; // of the pictures
    ProbeResult service;
    std::vector<double> floor;        // decode + scale of each picture, in order
    double gopMs = 0;                 // decode + scale of the first GOP
    std::vector<double> naiveReverse; // a sample of the reverse steps, done naively
};

struct TargetCheck {
    std::string what;
    double ratio = 0; // over several rounds, their median
    double limit = 0;
    bool atLeast = false; // the ratio must reach the limit instead of staying under it
    // Over several rounds, the lowest and the highest ratio and how many there were.
    double low = 0;
    double high = 0;
    int rounds = 1;
    bool pass() const { return atLeast ? ratio >= limit : ratio <= limit; }
};

// The targets that apply to this video, as ratios measured in one round.
std::vector<TargetCheck> checkTargets(const VideoFigures& figures);
// The same targets measured in several rounds, each judged on the median of its ratios.
std::vector<TargetCheck> overRounds(const std::vector<std::vector<TargetCheck>>& rounds);

// The figures of every round, their samples pooled.
std::string formatFigures(const std::vector<VideoFigures>& rounds);

// Opening a short and a long file of the same 4K pictures, one after the other: open times
// in ms, the k-th of each list measured beside the k-th of the other (warm, and cold when
// the page cache could be emptied), and peak memory in MB.
struct OpenFigures {
    std::vector<double> shortWarm, longWarm, shortCold, longCold;
    double shortRss = 0, longRss = 0;
    long long shortBytes = 0, longBytes = 0;
    bool coldMeasured = false;
    std::string error;
};
std::vector<TargetCheck> checkOpenTargets(const OpenFigures& figures);
std::string formatOpening(const OpenFigures& figures);
std::string formatTargets(const std::vector<TargetCheck>& checks);

} // namespace bench
