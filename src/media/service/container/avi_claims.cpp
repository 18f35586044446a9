#include "media/service/container/avi_claims.h"

#include "media/service/commands/error_codes.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace media::service {

namespace {

// The headers of every AVI file come first and are small.
constexpr std::size_t kHeadBytes = 64 * 1024;
constexpr std::uint64_t kLeastBytesPerFrame = 8;

std::uint32_t le32(std::string_view bytes, std::size_t at) {
    if (at + 4 > bytes.size())
        return 0;
    const auto b = [&](std::size_t i) { return std::uint32_t(std::uint8_t(bytes[at + i])); };
    return b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24;
}

// Walks the chunks of [begin, end), descending into lists, and keeps the frame counts.
void readChunks(std::string_view bytes, std::size_t begin, std::size_t end, AviClaims& claims,
                int depth) {
    std::size_t at = begin;
    while (depth < 4 && at + 8 <= end) {
        const std::string_view id = bytes.substr(at, 4);
        const std::uint64_t size = le32(bytes, at + 4);
        const std::size_t data = at + 8;
        const std::size_t stop = std::size_t(std::min<std::uint64_t>(data + size, end));
        if (id == "LIST" && data + 4 <= stop) {
            if (bytes.substr(data, 4) == "movi")
                return; // the pictures: no headers past here
            readChunks(bytes, data + 4, stop, claims, depth + 1);
        } else if (id == "avih") {
            claims.mostFrames = std::max<std::uint64_t>(claims.mostFrames, le32(bytes, data + 16));
        } else if (id == "strh" && bytes.substr(data, 4) == "vids") {
            claims.mostFrames = std::max<std::uint64_t>(claims.mostFrames, le32(bytes, data + 32));
        } else if (id == "dmlh") {
            claims.mostFrames = std::max<std::uint64_t>(claims.mostFrames, le32(bytes, data));
        }
        at = data + size + (size & 1);
    }
}

} // namespace

AviClaims readAviClaims(std::string_view head) {
    AviClaims claims;
    if (head.size() < 12 || head.substr(0, 4) != "RIFF" || head.substr(8, 4) != "AVI ")
        return claims;
    claims.riff = true;
    claims.riffEnd = 8 + std::uint64_t(le32(head, 4));
    readChunks(head, 12, head.size(), claims, 0);
    return claims;
}

std::int32_t checkAviClaims(const std::string& path) {
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(path, error);
    if (error || !std::filesystem::is_regular_file(path, error))
        return kOk;
    std::ifstream file(path, std::ios::binary);
    std::string head(std::size_t(std::min<std::uint64_t>(size, kHeadBytes)), '\0');
    if (!file.read(head.data(), std::streamsize(head.size())))
        return kOk;
    const AviClaims claims = readAviClaims(head);
    if (!claims.riff)
        return kOk;
    if (claims.riffEnd > size || claims.mostFrames > size / kLeastBytesPerFrame)
        return kErrCorruptFile;
    return kOk;
}

} // namespace media::service
