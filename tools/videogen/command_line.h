#pragma once

#include "videogen/avi_writer.h"

#include <string>
#include <vector>

namespace videogen {

struct CommandLine {
    VideoSettings settings;
    std::string path;
    std::string error; // non-empty when the arguments cannot be used
};

inline constexpr const char* kUsage =
    "usage: ugoki-videogen [--codec mjpeg|raw|mpeg4|h264|huffyuv] [--size WxH] [--frames N]\n"
    "                      [--fps NUM[/DEN]] [--gop N] [--bframes N] [--sar NUM:DEN]\n"
    "                      [--drop N,N,...] OUTPUT.avi\n";

// Reads the generator's arguments (without the program name). Unset options keep the
// defaults of VideoSettings.
CommandLine parseCommandLine(const std::vector<std::string>& args);

} // namespace videogen
