#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the two fuzz targets do with one input, shared with the test that replays every
// input a fuzzer ever crashed on, and their seed corpora, made afresh rather than kept.
namespace fuzzing {

// The surroundings the media service expects, made once per process: an application object
// on the offscreen platform (unless the caller already has one), the video and measuring
// areas, a small generated video and a scratch folder.
class Stage {
  public:
    static Stage& instance();
    std::int32_t parentHandle() const;
    std::int32_t targetHandle() const;
    // An 8-frame MJPEG video with a dropped frame, 64 x 48.
    const std::string& videoPath() const { return videoPath_; }
    // Where runVideoFile writes its bytes.
    std::string scratchFile() const;
    // Lets queued pictures reach their windows.
    void settle();

  private:
    Stage();
    std::string videoPath_;
};

struct Outcome {
    std::int32_t openCode = 0;        // the open of the prepared device or of the file
    std::vector<std::int32_t> codes;  // one per command sent after the open
    std::vector<std::string> replies; // likewise
};

// Both abort when the service breaks its contract (a reply not cut to its buffer, a failure
// without an error text, a position past the length), so that a fuzzer reports it. Commands:
// the first byte chooses an open device (odd) or none; then a command per line, at most 16.
Outcome runCommands(const std::uint8_t* data, std::size_t size);
// A file: the bytes opened as a video, then sought, stepped both ways, painted and closed.
Outcome runVideoFile(const std::uint8_t* data, std::size_t size);

struct Seed {
    std::string name;
    std::string bytes;
};
// Command lists that reach every verb of the service (handles of the stage), and small
// generated videos of every codec; empty with *error set when the generator fails.
std::vector<Seed> commandSeeds();
std::vector<Seed> videoSeeds(std::string* error);
// Writes each seed as folder/name; false when a file cannot be written.
bool writeSeeds(const std::vector<Seed>& seeds, const std::string& folder);

} // namespace fuzzing
