#include "videogen/avi_index.h"

#include <cstring>
#include <fstream>

namespace videogen {

namespace {

constexpr std::uint32_t kKeyframeFlag = 0x10;

std::uint32_t little32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

bool isStreamZeroVideo(const char* id) {
    return std::memcmp(id, "00dc", 4) == 0 || std::memcmp(id, "00db", 4) == 0;
}

} // namespace

std::vector<AviIndexEntry> readAviVideoIndex(const std::string& path, std::string* error) {
    auto fail = [error](const std::string& text) {
        if (error)
            *error = text;
        return std::vector<AviIndexEntry>{};
    };
    std::ifstream file(path, std::ios::binary);
    char header[12];
    if (!file.read(header, sizeof header))
        return fail("cannot read " + path);
    if (std::memcmp(header, "RIFF", 4) != 0 || std::memcmp(header + 8, "AVI ", 4) != 0)
        return fail(path + " is not an AVI file");

    // Walk the top-level chunks of the first RIFF list until idx1.
    const std::uint64_t riffEnd = 8ull + little32(header + 4);
    std::uint64_t pos = 12;
    std::uint64_t movi = 0; // idx1 offsets count from the "movi" tag
    char chunk[12];
    while (pos + 8 <= riffEnd && file.seekg(static_cast<std::streamoff>(pos)) &&
           file.read(chunk, sizeof chunk)) {
        const std::uint32_t size = little32(chunk + 4);
        if (std::memcmp(chunk, "LIST", 4) == 0 && std::memcmp(chunk + 8, "movi", 4) == 0)
            movi = pos + 8;
        if (std::memcmp(chunk, "idx1", 4) == 0) {
            file.seekg(static_cast<std::streamoff>(pos + 8));
            std::vector<AviIndexEntry> entries;
            char entry[16];
            for (std::uint32_t i = 0; i + 16 <= size && file.read(entry, sizeof entry); i += 16)
                if (isStreamZeroVideo(entry))
                    entries.push_back({little32(entry + 12),
                                       (little32(entry + 4) & kKeyframeFlag) != 0,
                                       movi + little32(entry + 8) + 8});
            return entries;
        }
        pos += 8ull + size + (size & 1);
    }
    return fail(path + " has no idx1 index");
}

} // namespace videogen
