#include "media/short_name.h"

#include <filesystem>
#include <system_error>

namespace media {

std::string shortNameFor(const std::string& path) {
    if (path.empty() || path.find('"') != std::string::npos || path.find('\0') != std::string::npos)
        return {};
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::path(path), error) || error)
        return {};
    if (path.find_first_of(" \t") != std::string::npos)
        return '"' + path + '"';
    return path;
}

} // namespace media
