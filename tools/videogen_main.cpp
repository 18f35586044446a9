// Writes one generated video file from command-line arguments.
#include "videogen/command_line.h"

#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const videogen::CommandLine line = videogen::parseCommandLine(args);
    if (!line.error.empty()) {
        std::fprintf(stderr, "%s\n%s", line.error.c_str(), videogen::kUsage);
        return 2;
    }
    av_log_set_level(AV_LOG_WARNING); // no encoder statistics
    const std::string problem = videogen::writeVideo(line.path, line.settings);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        return 1;
    }
    return 0;
}
