#pragma once

#include <string>

namespace mediatest {

// Copies the video packets of an AVI file into another container (chosen by the target's
// name: .mkv, .mp4, .mov ...) without decoding. Returns "" or what went wrong.
std::string remuxVideo(const std::string& source, const std::string& target);

} // namespace mediatest
