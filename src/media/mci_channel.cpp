#include "media/mci_channel.h"

#include "toolkit/dialogs.h"

namespace Module1 {

// Placeholder until the media service exists: every command fails.
std::int32_t SendMciCommand(const std::string&, std::string& reply) {
    toolkit::beep();
    reply = "media service not built yet";
    return 1;
}

std::string GetShortName(const std::string&) { return {}; }

} // namespace Module1
