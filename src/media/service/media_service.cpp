#include "media/service/media_service.h"

#include "media/service/commands/command_parser.h"
#include "media/service/commands/error_codes.h"
#include "media/service/container/avi_claims.h"
#include "media/service/video_device.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <string>

#ifdef __GLIBC__
#include <malloc.h>
#endif

extern "C" {
#include <libavutil/log.h>
}

namespace media::service {

namespace {

struct DeviceTable {
    std::map<std::string, std::unique_ptr<VideoDevice>> devices;
    std::function<void(std::int64_t)> presentHook;
    bool cleanupRegistered = false;
};

DeviceTable& table() {
    static DeviceTable instance;
    return instance;
}

void writeText(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0)
        return;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

void registerCleanup() {
    DeviceTable& t = table();
    if (t.cleanupRegistered || !QCoreApplication::instance())
        return;
    // Devices own widgets and threads, which must go before the application object does.
    qAddPostRoutine(&closeAllDevices);
    t.cleanupRegistered = true;
}

// A decoded picture at phone sizes is megabytes, allocated and freed by several decoding
// threads. Once such a block was freed, glibc would serve the next ones from the threads'
// heaps and keep them there after they are freed; in mappings of their own they go back to
// the system at once.
void keepLargeBlocksMapped() {
#ifdef __GLIBC__
    static const bool set = mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1;
    (void)set;
#endif
}

std::int32_t openDevice(const Command& command) {
    keepLargeBlocksMapped();
    const std::string alias = command.alias.empty() ? command.device : command.alias;
    if (table().devices.count(alias))
        return kErrAliasInUse;
    // libavformat believes an AVI file's headers; a cut-off or lying file is refused here.
    if (const std::int32_t claimed = checkAviClaims(command.device); claimed != kOk)
        return claimed;
    std::unique_ptr<VideoDevice> device;
    const std::int32_t code = VideoDevice::open(command, device);
    if (code != kOk)
        return code;
    device->setPresentHook([](std::int64_t position) {
        if (table().presentHook)
            table().presentHook(position);
    });
    registerCleanup();
    table().devices.emplace(alias, std::move(device));
    return kOk;
}

std::int32_t closeDevice(const Command& command) {
    auto& devices = table().devices;
    if (command.allDevices) {
        devices.clear();
        return kOk;
    }
    const auto found = devices.find(command.device);
    if (found == devices.end())
        return kErrNoDevice;
    devices.erase(found);
    return kOk;
}

std::int32_t execute(const std::string& text, std::string& reply) {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET); // damaged files are reported through our own codes
        return true;
    }();
    (void)quiet;
    const ParsedCommand parsed = parseCommand(text);
    if (parsed.code != kOk)
        return parsed.code;
    const Command& command = parsed.command;
    if (command.verb == Verb::Open)
        return openDevice(command);
    if (command.verb == Verb::Close)
        return closeDevice(command);
    const auto found = table().devices.find(command.device);
    if (found == table().devices.end())
        return kErrNoDevice;
    return found->second->execute(command, reply);
}

} // namespace

std::int32_t sendCommand(const char* command, char* buffer, int size) {
    std::string reply;
    const std::int32_t code = execute(command ? std::string(command) : std::string(), reply);
    if (code == kOk)
        writeText(reply, buffer, size);
    return code;
}

void errorText(std::int32_t code, char* buffer, int size) {
    writeText(errorMessage(code), buffer, size);
}

void closeAllDevices() {
    table().devices.clear();
}

bool keepFullPictures(const std::string& alias, bool on) {
    const auto found = table().devices.find(alias);
    if (found == table().devices.end())
        return false;
    found->second->worker().keepFullPictures(on);
    return true;
}

std::optional<FullPicture> fullPicture(const std::string& alias) {
    const auto found = table().devices.find(alias);
    if (found == table().devices.end())
        return std::nullopt;
    DecodeWorker::FullPicture picture = found->second->worker().fullPicture();
    if (picture.grey.isNull())
        return std::nullopt;
    return FullPicture{std::move(picture.grey), picture.shownAt};
}

void setPresentHook(std::function<void(std::int64_t position)> hook) {
    table().presentHook = std::move(hook);
}

} // namespace media::service
