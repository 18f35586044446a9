#pragma once

#include <QSizeF>
#include <map>
#include <string>
#include <vector>

namespace bench {

// What one run of the service on one file measured: named series of durations in ms,
// and single values.
struct ProbeResult {
    std::map<std::string, std::vector<double>> series;
    std::map<std::string, double> values;
    std::string error;
};

// Drives the media service through the command channel the main window uses, on a video
// area and a measuring area of the main window's sizes. `shape` is the picture's display
// shape, to find the frame number in what update paints; `keyframe` is the one the steps
// back cross; the fresh-open seeks are left to probeFreshSeeks. Needs a QApplication.
ProbeResult probeService(const std::string& path, int frames, QSizeF shape, double fps,
                         int keyframe);
// Seeks to each of coldSeekTargets() on a freshly opened file, in turns with the naive
// reference decoder in the same process: "cold seek" and "naive seek". A process of its own,
// so that the reference's memory is not counted as the service's.
ProbeResult probeFreshSeeks(const std::string& path, int frames, QSizeF shape);
// Follows the falling ball one frame a mark, as the main window does: the time of each
// automatic mark ("track step"), until it is lost or starts falling again.
ProbeResult probeTracking(const std::string& path, QSizeF shape);
// Opens the file as the main window does, shows its first picture, then a picture in the
// middle and the 20 after it: "open" and the peak memory.
ProbeResult probeOpen(const std::string& path);

// The 50 frames the random seeks go to, the same in every run.
std::vector<int> seekTargets(int frames);
// Every third of those, in ascending order: they keep the spread of the whole set. Each is
// sought on a freshly opened file, by the service and by the naive reference alike.
std::vector<int> coldSeekTargets(int frames);

// The text form the probe process prints and the parent reads back.
std::string toText(const ProbeResult& result);
ProbeResult fromText(const std::string& text);

} // namespace bench
