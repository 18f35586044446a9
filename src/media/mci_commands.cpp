#include "media/mci_commands.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace media {

std::string spacedNumber(std::int32_t value) {
    return value < 0 ? std::to_string(value) : " " + std::to_string(value);
}

std::string spacedNumber(double value) {
    if (std::isfinite(value) && value == std::trunc(value) && std::fabs(value) < 1e15) {
        const auto whole = static_cast<long long>(value);
        return whole < 0 ? std::to_string(whole) : " " + std::to_string(whole);
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.15g", value);
    return value < 0 ? std::string(text) : " " + std::string(text);
}

std::string plainNumber(std::int32_t value) {
    return std::to_string(value);
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Length of the decimal number at the start of text: sign, digits, fraction, exponent.
std::size_t numberLength(std::string_view text) {
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-'))
            ++j;
        if (j < text.size() && isDigit(text[j])) {
            while (j < text.size() && isDigit(text[j]))
                ++j;
            i = j;
        }
    }
    return i;
}

} // namespace

std::int32_t readNumericReply(std::string_view reply) {
    std::size_t start = 0;
    while (start < reply.size() && (reply[start] == ' ' || reply[start] == '\t'))
        ++start;
    std::string_view rest = reply.substr(start);
    const std::size_t length = numberLength(rest);
    if (length == 0)
        return 0;
    // from_chars takes no leading '+' and, unlike strtod, ignores the locale.
    std::string_view number = rest.substr(0, length);
    if (number.front() == '+')
        number.remove_prefix(1);
    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        const bool tiny = number.find("e-") != number.npos || number.find("E-") != number.npos;
        value = tiny ? 0.0 : (number.front() == '-' ? -HUGE_VAL : HUGE_VAL);
    }
    const double rounded = std::nearbyint(value); // the default rounding mode: halves to even
    if (rounded >= static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (rounded <= static_cast<double>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(rounded);
}

std::string closeCommand() {
    return "close avfile";
}

std::string openCommand(const std::string& shortName, std::int32_t parentHwnd) {
    return "open " + shortName + " alias avfile style child parent " + plainNumber(parentHwnd);
}

std::string putDestinationCommand(std::int32_t width, std::int32_t height) {
    return "put avfile destination at 0 0 " + spacedNumber(width) + spacedNumber(height);
}

std::string statusLengthCommand() {
    return "status avfile length";
}
std::string statusPositionCommand() {
    return "status avfile position";
}
std::string statusFrameRateCommand() {
    return "status avfile frame rate";
}

std::string statusNominalFrameRateCommand() {
    return "status avfile nominal frame rate";
}
std::string playCommand() {
    return "play avfile window";
}
std::string pauseCommand() {
    return "pause avfile";
}
std::string stepCommand() {
    return "step avfile";
}
std::string stepReverseCommand() {
    return "step avfile reverse";
}

std::string seekCommand(std::int32_t frame) {
    return "seek avfile to " + spacedNumber(frame);
}

std::string stopCommand() {
    return "stop avfile";
}

std::string updateCommand(std::int32_t hdc) {
    return "update avfile hdc " + plainNumber(hdc);
}

} // namespace media
