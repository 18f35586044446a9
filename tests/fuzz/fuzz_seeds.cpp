#include "fuzz_seeds.h"

#include "fuzz_stage.h"
#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "videogen/videogen.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fuzzing {

namespace {

Seed commands(const std::string& name, bool open, const std::vector<std::string>& lines) {
    Seed seed{name, std::string(1, open ? '\x01' : '\x00')};
    for (const std::string& line : lines)
        seed.bytes += line + '\n';
    return seed;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

} // namespace

std::vector<Seed> commandSeeds() {
    const Stage& stage = Stage::instance();
    const std::string update = media::updateCommand(stage.targetHandle());
    const std::string open =
        media::openCommand(Module1::GetShortName(stage.videoPath()), stage.parentHandle());
    return {
        commands("transport", true,
                 {media::statusLengthCommand(), media::statusPositionCommand(),
                  media::stepCommand(), media::stepReverseCommand(), media::seekCommand(3), update,
                  media::stopCommand(), update}),
        commands("playback", true,
                 {media::playCommand(), "status avfile mode", media::pauseCommand(),
                  "resume avfile", media::stopCommand(), media::statusPositionCommand()}),
        commands("destination", true,
                 {media::putDestinationCommand(160, 120), update, "put avfile destination",
                  "put avfile destination at 10 20 300 50", update,
                  media::putDestinationCommand(320, 240)}),
        commands("step and seek forms", true,
                 {"step avfile by 3", "step avfile reverse by 2", "seek avfile to end",
                  "seek avfile to start wait", "seek avfile to 7", update}),
        commands("reopen", true,
                 {media::closeCommand(), open, media::putDestinationCommand(320, 240),
                  media::statusLengthCommand(), "close all"}),
        commands("second alias", true,
                 {"open " + Module1::GetShortName(stage.videoPath()) + " alias second",
                  "status second length", "seek second to 2", "close second"}),
        commands("closed device", false,
                 {media::closeCommand(), media::statusPositionCommand(), media::playCommand(), open,
                  media::statusLengthCommand(), media::closeCommand()}),
    };
}

std::vector<Seed> videoSeeds(std::string* error) {
    using videogen::Codec;
    struct Recipe {
        std::string name;
        Codec codec;
        int width, height, frames, gop, bFrames;
        std::vector<int> dropped;
    };
    std::vector<Recipe> recipes = {
        {"mjpeg.avi", Codec::Mjpeg, 64, 48, 6, 12, 0, {}},
        {"mjpeg-dropped.avi", Codec::Mjpeg, 32, 24, 8, 12, 0, {2, 3, 7}},
        {"raw.avi", Codec::RawVideo, 16, 16, 4, 12, 0, {}},
        {"huffyuv.avi", Codec::HuffYuv, 16, 16, 4, 12, 0, {}},
        {"mpeg4-bframes.avi", Codec::Mpeg4, 64, 48, 12, 5, 2, {}},
    };
    if (videogen::encoderAvailable(Codec::H264))
        recipes.push_back({"h264-bframes.avi", Codec::H264, 64, 48, 12, 5, 2, {}});

    QTemporaryDir folder;
    std::vector<Seed> seeds;
    for (const Recipe& r : recipes) {
        videogen::VideoSettings settings;
        settings.codec = r.codec;
        settings.width = r.width;
        settings.height = r.height;
        settings.frames = r.frames;
        settings.gop = r.gop;
        settings.maxBFrames = r.bFrames;
        settings.droppedFrames = r.dropped;
        const std::string path = folder.filePath(QString::fromStdString(r.name)).toStdString();
        const std::string message = videogen::writeAvi(path, settings);
        if (!message.empty()) {
            if (error)
                *error = r.name + ": " + message;
            return {};
        }
        seeds.push_back({r.name, readFile(path)});
    }
    return seeds;
}

bool writeSeeds(const std::vector<Seed>& seeds, const std::string& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    for (const Seed& seed : seeds) {
        std::string name = seed.name;
        for (char& c : name)
            if (c == ' ')
                c = '-';
        std::ofstream file(folder + "/" + name, std::ios::binary | std::ios::trunc);
        if (!file.write(seed.bytes.data(), static_cast<std::streamsize>(seed.bytes.size())))
            return false;
    }
    return true;
}

} // namespace fuzzing
