#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace videogen {

// One video chunk of an AVI file's legacy index (idx1), in file order.
struct AviIndexEntry {
    std::uint32_t size = 0; // 0 for an empty chunk (a dropped frame)
    bool keyframe = false;
    std::uint64_t offset = 0; // of the chunk's payload in the file
};

// Reads the idx1 entries of stream 0 straight from the file, without libavformat, so tests
// can see what was really written. Empty with *error set when the file has no such index.
std::vector<AviIndexEntry> readAviVideoIndex(const std::string& path, std::string* error);

} // namespace videogen
