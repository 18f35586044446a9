#pragma once

#include "videogen/video_settings.h"

#include <string>
#include <vector>

namespace videogen {

struct CommandLine {
    VideoSettings settings;
    std::string path;
    std::string error; // non-empty when the arguments cannot be used
};

inline constexpr const char* kUsage =
    "usage: ugoki-videogen [--codec mjpeg|raw|mpeg4|h264|huffyuv|hevc|mpeg2|vp8|vp9|av1|wmv2]\n"
    "                      [--size WxH] [--frames N] [--fps NUM[/DEN]] [--gop N] [--bframes N]\n"
    "                      [--sar NUM:DEN] [--drop N,N,...] [--rotate DEGREES] [--mirror yes|no]\n"
    "                      [--cut N] [--jitter 0-3] [--movflags FLAGS] "
    "OUTPUT.avi|.mp4|.mov|.mkv|.webm|.ts|.mpg|.wmv\n";

// Reads the generator's arguments (without the program name). Unset options keep the
// defaults of VideoSettings.
CommandLine parseCommandLine(const std::vector<std::string>& args);

} // namespace videogen
