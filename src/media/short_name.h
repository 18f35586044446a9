#pragma once

#include <string>

namespace media {

// A form of path that the open command reads as one token: the path itself when it holds no
// blank, else the path in double quotes; empty when the file does not exist or the path
// holds a double quote (no token could carry it). Paths are UTF-8 bytes.
std::string shortNameFor(const std::string& path);

} // namespace media
