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

namespace media {

// The two calls the channel makes: send a command string with a reply buffer of `size`
// bytes, and fill that buffer with the text for an error code. Tests put a scripted service
// in its place; empty members restore the media service.
struct CommandService {
    std::int32_t (*send)(const char* command, char* buffer, int size) = nullptr;
    void (*errorText)(std::int32_t code, char* buffer, int size) = nullptr;
};
void setCommandService(CommandService service);

} // namespace media
