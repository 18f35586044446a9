#include "fuzz_drivers.h"

#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "support/support.h"
#include "videogen/videogen.h"

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

namespace fuzzing {

namespace {

Seed commands(const std::string& name, bool open, const std::vector<std::string>& lines) {
    Seed seed{name, std::string(1, open ? '\x01' : '\x00')};
    for (const std::string& line : lines)
        seed.bytes += line + '\n';
    return seed;
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
        commands("step and seek forms", true,
                 {"step avfile by 3", "step avfile reverse by 2", "seek avfile to end",
                  "seek avfile to start wait", "seek avfile to 7", update}),
        commands("reopen", true,
                 {media::closeCommand(), open, media::putDestinationCommand(320, 240),
                  media::statusLengthCommand(), "close all"}),
        commands("closed device", false,
                 {media::closeCommand(), media::statusPositionCommand(), media::playCommand(), open,
                  media::statusLengthCommand(), media::closeCommand()}),
    };
}

std::vector<Seed> videoSeeds(std::string* error) {
    using videogen::Codec;
    std::vector<std::pair<std::string, videogen::VideoSettings>> recipes = {
        {"mjpeg.avi", {.width = 64, .height = 48, .frames = 6}},
        {"mjpeg-dropped.avi", {.width = 32, .height = 24, .frames = 8, .droppedFrames = {2, 3, 7}}},
        {"raw.avi", {.codec = Codec::RawVideo, .width = 16, .height = 16, .frames = 4}},
        {"huffyuv.avi", {.codec = Codec::HuffYuv, .width = 16, .height = 16, .frames = 4}},
        {"mpeg4-bframes.avi",
         {.codec = Codec::Mpeg4,
          .width = 64,
          .height = 48,
          .frames = 12,
          .gop = 5,
          .maxBFrames = 2}},
    };
    // The containers phones, cameras and browsers write; the generator has what it needs for
    // them when it has libx264.
    if (videogen::encoderAvailable(Codec::H264)) {
        const videogen::VideoSettings h264{.codec = Codec::H264,
                                           .width = 64,
                                           .height = 48,
                                           .frames = 12,
                                           .gop = 5,
                                           .maxBFrames = 2};
        videogen::VideoSettings phone = h264;
        phone.rotation = -90;
        phone.cutFrames = 2;
        phone.timeJitter = 1;
        recipes.insert(
            recipes.end(),
            {{"h264-bframes.avi", h264},
             {"h264-portrait-cut.mp4", phone},
             {"h264.mkv", h264},
             {"h264.ts", h264},
             {"vp9.webm", {.codec = Codec::Vp9, .width = 64, .height = 48, .frames = 12, .gop = 5}},
             {"wmv2.wmv",
              {.codec = Codec::Wmv2, .width = 64, .height = 48, .frames = 12, .gop = 5}},
             {"mpeg2.mpg",
              {.codec = Codec::Mpeg2,
               .width = 64,
               .height = 48,
               .frames = 12,
               .gop = 5,
               .maxBFrames = 2}}});
    }
    QTemporaryDir folder;
    std::vector<Seed> seeds;
    for (const auto& [name, settings] : recipes) {
        const std::string path = folder.filePath(QString::fromStdString(name)).toStdString();
        const std::string message = videogen::writeVideo(path, settings);
        if (!message.empty()) {
            if (error)
                *error = name + ": " + message;
            return {};
        }
        seeds.push_back({name, support::readFile(QString::fromStdString(path)).toStdString()});
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
