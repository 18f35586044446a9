#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace media::service {

// One token of a command string. Tokens are separated by runs of blanks; a double-quoted
// token may hold blanks and is marked quoted so that it never reads as a keyword.
struct Token {
    std::string text;
    bool quoted = false;
};

// Splits a command string; false when a quote is left open.
bool tokenize(std::string_view command, std::vector<Token>& tokens);

enum class Verb { Open, Close, Put, Status, Play, Pause, Resume, Stop, Step, Seek, Update };
// "frame rate": what the video plays at; "nominal frame rate": what it was filmed at. Both in
// frames per second times 1000.
enum class StatusItem { Length, Position, Mode, FrameRate, NominalFrameRate };
enum class SeekTarget { Frame, Start, End };

// A command as the device carries it out; only the fields of its verb are meaningful.
struct Command {
    Verb verb = Verb::Close;
    std::string device;      // the alias addressed; for open, the file
    bool allDevices = false; // close all

    // open
    std::string alias;
    bool childStyle = false;
    std::int32_t parent = 0;
    bool hasParent = false;

    // put destination
    bool hasRect = false;
    std::int32_t x = 0, y = 0, width = 0, height = 0;

    StatusItem item = StatusItem::Length;

    // step
    bool reverse = false;
    std::int32_t by = 1;

    // seek
    SeekTarget seekTarget = SeekTarget::Frame;
    std::int32_t frame = 0;

    // update
    std::int32_t hdc = 0;
};

struct ParsedCommand {
    std::int32_t code = 0; // 0, or the error code of a malformed command
    Command command;
};

ParsedCommand parseCommand(std::string_view text);

} // namespace media::service
