#include "media/mci_channel.h"

#include "media/service/media_service.h"
#include "media/short_name.h"
#include "toolkit/dialogs.h"

#include <algorithm>
#include <array>

namespace media {

namespace {

CommandService& currentService() {
    static CommandService service{&media::service::sendCommand, &media::service::errorText};
    return service;
}

} // namespace

void setCommandService(CommandService service) {
    if (!service.send || !service.errorText)
        service = {&media::service::sendCommand, &media::service::errorText};
    currentService() = service;
}

} // namespace media

namespace Module1 {

std::int32_t SendMciCommand(const std::string& command, std::string& reply) {
    constexpr int kReplySize = 256;
    std::array<char, kReplySize> buffer{}; // all NUL
    const media::CommandService& service = media::currentService();
    const std::int32_t code = service.send(command.c_str(), buffer.data(), kReplySize);
    if (code != 0) {
        toolkit::beep();
        service.errorText(code, buffer.data(), kReplySize);
    }
    const auto end = std::find(buffer.begin(), buffer.end(), '\0');
    if (end != buffer.end())
        reply.assign(buffer.begin(), end);
    return code;
}

std::string GetShortName(const std::string& path) {
    return media::shortNameFor(path);
}

} // namespace Module1
