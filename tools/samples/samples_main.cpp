// Writes the sample experiment videos into a folder.
#include "samples/sample_scenes.h"
#include "videogen/videogen.h"

#include <cstdio>
#include <filesystem>
#include <string>

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ugoki-samples OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
        std::fprintf(stderr, "cannot create %s: %s\n", argv[1], error.message().c_str());
        return 1;
    }
    av_log_set_level(AV_LOG_WARNING); // no encoder statistics
    for (const samples::Sample& sample : samples::allSamples()) {
        // Written beside its place and renamed at the end, so that an interrupted build
        // never leaves a cut-off video that looks finished.
        const std::filesystem::path path = folder / sample.fileName;
        const std::filesystem::path partial = folder / ("partial-" + sample.fileName);
        const std::string problem =
            videogen::writeVideo(partial.string(), samples::videoSettings(sample));
        if (!problem.empty()) {
            std::fprintf(stderr, "%s: %s\n", path.c_str(), problem.c_str());
            return 1;
        }
        std::filesystem::rename(partial, path, error);
        if (error) {
            std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), error.message().c_str());
            return 1;
        }
    }
    return 0;
}
