#include "report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

namespace {

const std::vector<double>& samples(const ProbeResult& r, const std::string& name) {
    static const std::vector<double> none;
    const auto it = r.series.find(name);
    return it == r.series.end() ? none : it->second;
}

double value(const ProbeResult& r, const std::string& name) {
    const auto it = r.values.find(name);
    return it == r.values.end() ? 0 : it->second;
}

std::vector<double> absolute(std::vector<double> v) {
    for (double& x : v)
        x = std::fabs(x);
    return v;
}

std::string row(const std::string& label, const Summary& s) {
    char line[160];
    std::snprintf(line, sizeof line, "  %-34s %5d %9.2f %9.2f %9.2f\n", label.c_str(), s.count,
                  s.median, s.p95, s.max);
    return line;
}

double ratio(double a, double b) {
    return b > 0 ? a / b : INFINITY;
}

} // namespace

std::vector<TargetCheck> checkTargets(const VideoFigures& f) {
    const ProbeResult& s = f.service;
    const double floor = summarize(f.floor).median;
    const double forward = summarize(samples(s, "forward")).median;
    const double period = 1000.0 / f.fps;
    std::vector<TargetCheck> checks;
    checks.push_back({"forward step median <= 1.5 x floor", ratio(forward, floor), 1.5});
    for (const char* series : {"reverse from 200", "reverse from 251"}) {
        const Summary reverse = summarize(samples(s, series));
        checks.push_back({std::string(series) + ": median <= 2 x forward median",
                          ratio(reverse.median, forward), 2.0});
        if (!f.longGop) {
            // Every picture is a keyframe: a step back is one decode, like a step forward.
            checks.push_back({std::string(series) + ": median <= 1.1 x forward (intra-only)",
                              ratio(reverse.median, forward), 1.1});
            continue;
        }
        checks.push_back({std::string(series) + ": naive median / median >= 20",
                          ratio(summarize(f.naiveReverse).median, reverse.median), 20.0, true});
        checks.push_back({std::string(series) + ": slowest <= 1.2 x one GOP decode",
                          ratio(reverse.max, f.gopMs), 1.2});
    }
    if (f.longGop)
        checks.push_back({"reverse at user's pace: p95 <= 2 x forward median",
                          ratio(summarize(samples(s, "reverse at pace")).p95, forward), 2.0});
    checks.push_back(
        {"random seek median <= 1.2 x naive seek median (fresh open)",
         ratio(summarize(samples(s, "cold seek")).median, summarize(f.naiveSeek).median), 1.2});
    const std::vector<double>& error = samples(s, "pacing error");
    checks.push_back({"playback: worst |error| <= 1 frame period (in periods)",
                      error.empty() ? INFINITY : summarize(absolute(error)).max / period, 1.0});
    checks.push_back({"playback: drift over the run <= 1/2 frame period (in periods)",
                      error.empty() ? INFINITY
                                    : std::fabs(slope(samples(s, "pacing time"), error)) *
                                          (samples(s, "pacing time").back()) / period,
                      0.5});
    if (f.longGop)
        checks.push_back({"peak RSS <= 250 MB (in MB)", value(s, "peak rss"), 250.0});
    return checks;
}

std::string formatFigures(const VideoFigures& f) {
    const ProbeResult& s = f.service;
    std::string out = "\n== " + f.name + " ==\n";
    char line[200];
    std::snprintf(line, sizeof line, "  %-34s %5s %9s %9s %9s   (ms)\n", "", "n", "median", "p95",
                  "max");
    out += line;
    std::snprintf(line, sizeof line, "  %-34s %5d %9.2f\n", "open, to the first picture", 1,
                  value(s, "open"));
    out += line;
    out += row("forward step (+ update)", summarize(samples(s, "forward")));
    for (const char* series : {"reverse from 200", "reverse from 251"}) {
        out +=
            row(std::string(series).replace(0, 7, "reverse step"), summarize(samples(s, series)));
        std::snprintf(line, sizeof line, "  %-34s %5s the slowest brought frame %.0f\n", "", "",
                      value(s, std::string(series) + " slowest at"));
        out += line;
    }
    out += row("random seek (+ update)", summarize(samples(s, "seek")));
    out += row("random seek, fresh open (+ update)", summarize(samples(s, "cold seek")));
    out += row("update alone", summarize(samples(s, "update")));
    out += row("reverse step, one per 150 ms", summarize(samples(s, "reverse at pace")));
    out += row("playback |error| vs due time", summarize(absolute(samples(s, "pacing error"))));
    out += row("floor: decode + scale a picture", summarize(f.floor));
    if (f.longGop) {
        std::snprintf(line, sizeof line, "  %-34s %5d %9.2f\n", "floor: decode + scale one GOP",
                      250, f.gopMs);
        out += line;
    }
    out += row("naive: reverse step", summarize(f.naiveReverse));
    out += row("naive: random seek, fresh open", summarize(f.naiveSeek));
    std::snprintf(line, sizeof line,
                  "  presented while playing 5 s: %.0f, last position %.0f; peak RSS %.1f MB; "
                  "wrong frames %.0f\n",
                  value(s, "presented"), value(s, "last position"), value(s, "peak rss"),
                  value(s, "wrong frames"));
    out += line;
    if (!s.error.empty())
        out += "  service: " + s.error + "\n";
    return out;
}

std::string formatTargets(const std::vector<TargetCheck>& checks) {
    std::string out;
    for (const TargetCheck& c : checks) {
        char line[200];
        std::snprintf(line, sizeof line, "  %s  %-62s %8.2f\n", c.pass() ? "PASS" : "FAIL",
                      c.what.c_str(), c.ratio);
        out += line;
    }
    return out;
}

} // namespace bench
