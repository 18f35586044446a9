#pragma once

#include <cstdint>
#include <string>

namespace Module1 {

// Sends one command to the media service; reply receives the reply text, or the error text
// after a failure (announced by one beep). Returns the service's result code, 0 on success.
std::int32_t SendMciCommand(const std::string& command, std::string& reply);

// A form of path that the open command reads as one token; empty when the file is missing.
std::string GetShortName(const std::string& path);

} // namespace Module1
