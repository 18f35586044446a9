#include "fuzz_drivers.h"

#include "media/mci_channel.h"
#include "media/mci_commands.h"
#include "media/service/media_service.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string_view>

namespace fuzzing {

namespace {

constexpr int kReplySize = 256;
constexpr int kMostCommands = 16;

void require(bool holds, const char* what, const std::string& command) {
    if (holds)
        return;
    std::fprintf(stderr, "broken contract: %s (after \"%s\")\n", what, command.c_str());
    std::abort();
}

// Calls the service as the channel does, with a buffer exactly as long as the channel's, so
// that AddressSanitizer sees any write past it.
std::int32_t send(const std::string& command, std::string& reply) {
    const auto buffer = std::make_unique<char[]>(kReplySize);
    std::memset(buffer.get(), 0, kReplySize);
    const std::int32_t code =
        media::service::sendCommand(command.c_str(), buffer.get(), kReplySize);
    if (code != 0) {
        std::memset(buffer.get(), 0, kReplySize);
        media::service::errorText(code, buffer.get(), kReplySize);
        require(buffer[0] != '\0', "a failure without an error text", command);
    }
    const void* end = std::memchr(buffer.get(), '\0', kReplySize);
    require(end != nullptr, "a reply not cut to its buffer", command);
    reply.assign(buffer.get(),
                 static_cast<std::size_t>(static_cast<const char*>(end) - buffer.get()));
    return code;
}

void record(Outcome& outcome, const std::string& command) {
    std::string reply;
    outcome.codes.push_back(send(command, reply));
    outcome.replies.push_back(reply);
}

// Whatever was sent, an open "avfile" reports a position between 0 and its length.
void checkPosition(const std::string& after) {
    std::string length;
    std::string position;
    if (send(media::statusLengthCommand(), length) != 0)
        return;
    require(send(media::statusPositionCommand(), position) == 0, "no position", after);
    const std::int32_t frames = media::readNumericReply(length);
    const std::int32_t at = media::readNumericReply(position);
    require(frames >= 1, "an open video without frames", after);
    require(at >= 0 && at <= frames, "a position outside the video", after);
}

std::string openCommandFor(const std::string& path) {
    return media::openCommand(Module1::GetShortName(path), Stage::instance().parentHandle());
}

} // namespace

Outcome runCommands(const std::uint8_t* data, std::size_t size) {
    Stage& stage = Stage::instance();
    media::service::closeAllDevices();
    Outcome outcome;
    if (size == 0)
        return outcome;
    std::string reply;
    if (data[0] & 1) {
        outcome.openCode = send(openCommandFor(stage.videoPath()), reply);
        require(outcome.openCode == 0, "the stage video does not open", "open");
        send(media::putDestinationCommand(320, 240), reply);
    }
    std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (int n = 0; n < kMostCommands && !rest.empty(); ++n) {
        const std::size_t end = rest.find('\n');
        const std::string command(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        record(outcome, command);
        checkPosition(command);
    }
    stage.settle();
    media::service::closeAllDevices();
    stage.settle();
    return outcome;
}

Outcome runVideoFile(const std::uint8_t* data, std::size_t size) {
    Stage& stage = Stage::instance();
    media::service::closeAllDevices();
    const std::string path = stage.scratchFile();
    {
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    Outcome outcome;
    std::string reply;
    outcome.openCode = send(openCommandFor(path), reply);
    if (outcome.openCode != 0)
        return outcome;
    record(outcome, media::putDestinationCommand(320, 240));
    record(outcome, media::statusLengthCommand());
    const std::int32_t length = media::readNumericReply(outcome.replies.back());
    require(length >= 1, "an open video without frames", "status avfile length");
    const std::string update = media::updateCommand(stage.targetHandle());
    for (const std::string& command :
         {media::seekCommand(length / 2), update, media::stepCommand(), update,
          media::stepReverseCommand(), update, media::seekCommand(length - 1), media::stepCommand(),
          update, media::seekCommand(0), update, media::stepReverseCommand(), update}) {
        record(outcome, command);
        checkPosition(command);
    }
    record(outcome, media::closeCommand());
    stage.settle();
    return outcome;
}

} // namespace fuzzing
