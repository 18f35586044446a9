#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Every command string the windows send to the media service, composed in one place so the
// exact bytes are tested once. The device is always opened under the alias "avfile".
namespace media {

// The value's decimal text after one blank, or after its minus sign when negative, with no
// fraction for whole values: 0 gives " 0", 320 gives " 320", -5 gives "-5".
std::string spacedNumber(std::int32_t value);
std::string spacedNumber(double value);
// The decimal text with no leading blank: 17 gives "17".
std::string plainNumber(std::int32_t value);

// The number a reply begins with, after leading blanks: rounded half to even, saturated to
// the 32-bit range, 0 when the reply does not begin with a number.
std::int32_t readNumericReply(std::string_view reply);

std::string closeCommand();
// shortName as GetShortName gives it (already quoted when it holds blanks).
std::string openCommand(const std::string& shortName, std::int32_t parentHwnd);
std::string putDestinationCommand(std::int32_t width, std::int32_t height);
std::string statusLengthCommand();
std::string statusPositionCommand();
// The rate the video plays at, in frames per second times 1000.
std::string statusFrameRateCommand();
// The rate the video was filmed at, in frames per second times 1000.
std::string statusNominalFrameRateCommand();
std::string playCommand();
std::string pauseCommand();
std::string stepCommand();
std::string stepReverseCommand();
std::string seekCommand(std::int32_t frame);
std::string stopCommand();
std::string updateCommand(std::int32_t hdc);

} // namespace media
