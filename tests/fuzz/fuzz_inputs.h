#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the two fuzz targets do with one input, shared with the regression test that replays
// every input a fuzzer ever crashed on. Both abort when the service breaks its contract
// (a reply that is not cut to its buffer, a failure without an error text, a length the
// position cannot reach), so a fuzzer reports that as a finding too.
namespace fuzzing {

struct Outcome {
    std::int32_t openCode = 0;        // the open of the prepared device or of the file
    std::vector<std::int32_t> codes;  // one per command sent after the open
    std::vector<std::string> replies; // likewise
};

// The first byte chooses whether the commands meet an open device ("avfile", a small
// generated video; odd) or none (even); the rest is one command per line, at most 16.
Outcome runCommands(const std::uint8_t* data, std::size_t size);

// The bytes are written to a file ending in .avi, which is opened as the windows open a
// video; when that succeeds its length is asked for and it is sought, stepped both ways,
// painted and closed.
Outcome runVideoFile(const std::uint8_t* data, std::size_t size);

} // namespace fuzzing
