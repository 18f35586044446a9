#include "videogen/command_line.h"

#include <charconv>
#include <optional>

namespace videogen {

namespace {

std::optional<int> parseInt(std::string_view text) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "A<sep>B" into two numbers; with `optionalSecond`, a lone "A" gives B = 1.
bool parsePair(std::string_view text, char sep, bool optionalSecond, int& a, int& b) {
    const auto at = text.find(sep);
    if (at == std::string_view::npos) {
        if (!optionalSecond)
            return false;
        const auto first = parseInt(text);
        if (!first)
            return false;
        a = *first;
        b = 1;
        return true;
    }
    const auto first = parseInt(text.substr(0, at));
    const auto second = parseInt(text.substr(at + 1));
    if (!first || !second)
        return false;
    a = *first;
    b = *second;
    return true;
}

bool parseList(std::string_view text, std::vector<int>& out) {
    out.clear();
    while (!text.empty()) {
        const auto comma = text.find(',');
        const auto value = parseInt(text.substr(0, comma));
        if (!value)
            return false;
        out.push_back(*value);
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return !out.empty();
}

// Applies one option with its value; false when the value does not fit the option.
bool applyOption(std::string_view name, std::string_view value, VideoSettings& settings) {
    if (name == "--codec") {
        const auto codec = codecFromName(value);
        if (codec)
            settings.codec = *codec;
        return codec.has_value();
    }
    if (name == "--size")
        return parsePair(value, 'x', false, settings.width, settings.height);
    if (name == "--fps")
        return parsePair(value, '/', true, settings.fpsNum, settings.fpsDen);
    if (name == "--sar")
        return parsePair(value, ':', false, settings.sarNum, settings.sarDen);
    if (name == "--drop")
        return parseList(value, settings.droppedFrames);
    if (name == "--movflags") {
        settings.movFlags = value;
        return true;
    }
    if (name == "--mirror") {
        settings.mirrored = value == "yes";
        return value == "yes" || value == "no";
    }
    int* target = name == "--frames"    ? &settings.frames
                  : name == "--gop"     ? &settings.gop
                  : name == "--bframes" ? &settings.maxBFrames
                  : name == "--rotate"  ? &settings.rotation
                  : name == "--cut"     ? &settings.cutFrames
                  : name == "--jitter"  ? &settings.timeJitter
                                        : nullptr;
    if (!target)
        return false;
    const auto number = parseInt(value);
    if (number)
        *target = *number;
    return number.has_value();
}

} // namespace

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.rfind("--", 0) != 0) {
            if (!result.path.empty()) {
                result.error = "more than one output file: " + arg;
                return result;
            }
            result.path = arg;
            continue;
        }
        if (i + 1 >= args.size()) {
            result.error = arg + " needs a value";
            return result;
        }
        if (!applyOption(arg, args[i + 1], result.settings)) {
            result.error = "cannot use " + arg + " " + args[i + 1];
            return result;
        }
        ++i;
    }
    if (result.path.empty())
        result.error = "no output file given";
    return result;
}

} // namespace videogen
