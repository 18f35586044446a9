#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace media::service {

// What an AVI file's own headers say about its size and length, read straight from its
// first bytes: libavformat trusts both, so a cut-off or lying file would otherwise open.
struct AviClaims {
    bool riff = false;            // the bytes start like an AVI file
    std::uint64_t riffEnd = 0;    // where the first RIFF chunk says the file ends
    std::uint64_t mostFrames = 0; // the largest frame count of the main, video and OpenDML headers
};

AviClaims readAviClaims(std::string_view head);

// kErrCorruptFile for an AVI file shorter than its RIFF header says (cut off while being
// written or copied: in its pictures, its index or anywhere else), or claiming more frames
// than it has bytes for (each frame takes an 8-byte chunk header at least); else kOk, also
// for files that are not AVI or cannot be read, which the decoder then judges.
std::int32_t checkAviClaims(const std::string& path);

} // namespace media::service
