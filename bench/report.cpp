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

// A target judged on the median of ratios measured side by side.
TargetCheck judged(std::string what, const std::vector<double>& ratios, double limit) {
    const Summary s = summarize(ratios);
    return {.what = std::move(what),
            .ratio = ratios.empty() ? INFINITY : s.median,
            .limit = limit,
            .low = ratios.empty() ? INFINITY : *std::min_element(ratios.begin(), ratios.end()),
            .high = s.max,
            .rounds = s.count};
}

// The samples of every round in one list.
std::vector<double> pooled(const std::vector<VideoFigures>& rounds,
                           const std::vector<double>& (*of)(const VideoFigures&)) {
    std::vector<double> all;
    for (const VideoFigures& f : rounds)
        all.insert(all.end(), of(f).begin(), of(f).end());
    return all;
}

std::vector<double> pooledSeries(const std::vector<VideoFigures>& rounds, const std::string& name) {
    std::vector<double> all;
    for (const VideoFigures& f : rounds)
        all.insert(all.end(), samples(f.service, name).begin(), samples(f.service, name).end());
    return all;
}

} // namespace

std::vector<TargetCheck> checkTargets(const VideoFigures& f) {
    const ProbeResult& s = f.service;
    const double floor = summarize(f.floor).median;
    const double forward = summarize(samples(s, "forward")).median;
    const double period = 1000.0 / f.fps;
    std::vector<TargetCheck> checks;
    checks.push_back({"forward step median <= 1.5 x floor", ratio(forward, floor), 1.5});
    for (const char* series : {"reverse within", "reverse across"}) {
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
    checks.push_back({"random seek median <= 1.2 x naive seek median (fresh open)",
                      ratio(summarize(samples(s, "cold seek")).median,
                            summarize(samples(s, "naive seek")).median),
                      1.2});
    const std::vector<double>& error = samples(s, "pacing error");
    checks.push_back({"playback: worst |error| <= 1 frame period (in periods)",
                      error.empty() ? INFINITY : summarize(absolute(error)).max / period, 1.0});
    checks.push_back({"playback: drift over the run <= 1/2 frame period (in periods)",
                      error.empty() ? INFINITY
                                    : std::fabs(slope(samples(s, "pacing time"), error)) *
                                          (samples(s, "pacing time").back()) / period,
                      0.5});
    // Frames due in 5 s of play that were never shown, and those the floor's decoder would
    // have had to drop: the pictures due after its 5 s were spent decoding the ones before,
    // each at its own cost (a keyframe at 4K costs several pictures' time, which the
    // median leaves out).
    const double due = std::min(value(s, "last position"), 5.0 * f.fps);
    const double dropped = std::max(0.0, due - value(s, "presented"));
    double spent = 0.0;
    std::size_t decodable = 0;
    while (decodable < f.floor.size() && decodable < due && spent + f.floor[decodable] <= 5000.0)
        spent += f.floor[decodable++];
    const double forced = std::max(0.0, due - double(decodable));
    checks.push_back(
        {"playback: frames dropped - those decoding forces <= 1 (frames)", dropped - forced, 1.0});
    if (f.longGop)
        checks.push_back({"peak RSS <= 250 MB (in MB)", value(s, "peak rss"), 250.0});
    // Following the ball one frame a mark: 30 marks a second at 720p, 15 at 1080p.
    if (f.height == 720 || f.height == 1080) {
        const std::vector<double>& track = samples(s, "track step");
        const double perSecond = track.size() < 10 ? 0 : 1000.0 / summarize(track).median;
        checks.push_back({f.height == 720 ? "tracking: marks per second >= 30"
                                          : "tracking: marks per second >= 15",
                          perSecond, f.height == 720 ? 30.0 : 15.0, true});
    }
    return checks;
}

std::vector<TargetCheck> overRounds(const std::vector<std::vector<TargetCheck>>& rounds) {
    std::vector<TargetCheck> checks;
    for (std::size_t i = 0; !rounds.empty() && i < rounds.front().size(); ++i) {
        std::vector<double> ratios;
        for (const auto& round : rounds)
            if (i < round.size())
                ratios.push_back(round[i].ratio);
        const TargetCheck& first = rounds.front()[i];
        TargetCheck check = judged(first.what, ratios, first.limit);
        check.atLeast = first.atLeast;
        checks.push_back(check);
    }
    return checks;
}

std::string formatFigures(const std::vector<VideoFigures>& rounds) {
    if (rounds.empty())
        return {};
    const VideoFigures& f = rounds.front();
    const auto series = [&rounds](const std::string& name) { return pooledSeries(rounds, name); };
    std::string out =
        "\n== " + f.name + " (" + std::to_string(rounds.size()) + " rounds, samples pooled) ==\n";
    char line[200];
    std::snprintf(line, sizeof line, "  %-34s %5s %9s %9s %9s   (ms)\n", "", "n", "median", "p95",
                  "max");
    out += line;
    std::vector<double> opens;
    for (const VideoFigures& round : rounds)
        opens.push_back(value(round.service, "open"));
    out += row("open, to the first picture", summarize(opens));
    out += row("forward step (+ update)", summarize(series("forward")));
    for (const char* name : {"reverse within", "reverse across"}) {
        out += row(std::string(name) == "reverse within" ? "reverse step from 200"
                                                         : "reverse step across the keyframe",
                   summarize(series(name)));
        std::string at;
        for (const VideoFigures& round : rounds)
            at +=
                " " + std::to_string(int(value(round.service, std::string(name) + " slowest at")));
        out += "  " + std::string(41, ' ') + "the slowest brought frame" + at + "\n";
    }
    out += row("random seek (+ update)", summarize(series("seek")));
    out += row("random seek, fresh open (+ update)", summarize(series("cold seek")));
    out += row("update alone", summarize(series("update")));
    if (!series("track step").empty())
        out += row("tracking: one automatic mark", summarize(series("track step")));
    out += row("reverse step, one per 150 ms", summarize(series("reverse at pace")));
    out += row("playback |error| vs due time", summarize(absolute(series("pacing error"))));
    out += row("floor: decode + scale a picture",
               summarize(pooled(rounds, [](const VideoFigures& r) -> const std::vector<double>& {
                   return r.floor;
               })));
    if (f.longGop) {
        std::vector<double> gops;
        for (const VideoFigures& round : rounds)
            gops.push_back(round.gopMs);
        std::snprintf(line, sizeof line, "  %-34s %5d %9.2f  (median of the rounds)\n",
                      "floor: decode + scale one GOP", f.gop, summarize(gops).median);
        out += line;
    }
    out += row("naive: reverse step",
               summarize(pooled(rounds, [](const VideoFigures& r) -> const std::vector<double>& {
                   return r.naiveReverse;
               })));
    out += row("naive: random seek, fresh open", summarize(series("naive seek")));
    for (const VideoFigures& round : rounds) {
        const ProbeResult& s = round.service;
        std::snprintf(line, sizeof line,
                      "  presented while playing 5 s: %.0f of %.0f due, last position %.0f; peak "
                      "RSS %.1f MB; wrong frames %.0f\n",
                      value(s, "presented"), std::min(value(s, "last position"), 5.0 * f.fps),
                      value(s, "last position"), value(s, "peak rss"), value(s, "wrong frames"));
        out += line;
        if (!s.error.empty())
            out += "  service: " + s.error + "\n";
    }
    return out;
}

std::vector<TargetCheck> checkOpenTargets(const OpenFigures& f) {
    const auto pairs = [](const std::vector<double>& longer, const std::vector<double>& shorter) {
        std::vector<double> ratios;
        for (std::size_t k = 0; k < std::min(longer.size(), shorter.size()); ++k)
            ratios.push_back(ratio(longer[k], shorter[k]));
        return ratios;
    };
    std::vector<TargetCheck> checks;
    checks.push_back(
        judged("open, warm: long file <= 1.2 x short file", pairs(f.longWarm, f.shortWarm), 1.2));
    if (f.coldMeasured)
        checks.push_back(judged("open, cold: long file <= 1.2 x short file",
                                pairs(f.longCold, f.shortCold), 1.2));
    checks.push_back({"peak RSS: long file within 10 % of short file",
                      std::fabs(ratio(f.longRss, f.shortRss) - 1), 0.1});
    checks.push_back({"peak RSS <= 250 MB (in MB)", std::max(f.shortRss, f.longRss), 250.0});
    return checks;
}

std::string formatOpening(const OpenFigures& f) {
    std::string out = "\n== open time: the same 4K pictures, short and long ==\n";
    char line[200];
    std::snprintf(line, sizeof line, "  %-34s %5s %9s %9s %9s   (ms)\n", "", "n", "median", "p95",
                  "max");
    out += line;
    const auto mb = [](long long bytes) { return double(bytes) / 1e6; };
    char label[80];
    std::snprintf(label, sizeof label, "short (%.0f MB), warm", mb(f.shortBytes));
    out += row(label, summarize(f.shortWarm));
    std::snprintf(label, sizeof label, "long (%.0f MB), warm", mb(f.longBytes));
    out += row(label, summarize(f.longWarm));
    if (f.coldMeasured) {
        out += row("short, cold page cache", summarize(f.shortCold));
        out += row("long, cold page cache", summarize(f.longCold));
    } else {
        out += "  cold page cache not measured: it can only be emptied as root\n";
    }
    std::snprintf(line, sizeof line, "  peak RSS: short %.1f MB, long %.1f MB\n", f.shortRss,
                  f.longRss);
    out += line;
    if (!f.error.empty())
        out += "  service: " + f.error + "\n";
    return out;
}

std::string formatTargets(const std::vector<TargetCheck>& checks) {
    std::string out;
    for (const TargetCheck& c : checks) {
        char line[240];
        if (c.rounds > 1)
            std::snprintf(line, sizeof line, "  %s  %-62s %8.2f  (%.2f-%.2f over %d)\n",
                          c.pass() ? "PASS" : "FAIL", c.what.c_str(), c.ratio, c.low, c.high,
                          c.rounds);
        else
            std::snprintf(line, sizeof line, "  %s  %-62s %8.2f\n", c.pass() ? "PASS" : "FAIL",
                          c.what.c_str(), c.ratio);
        out += line;
    }
    return out;
}

} // namespace bench
