#pragma once

#include <string>
#include <vector>

// Seed corpora for the two fuzz targets, made afresh rather than kept as binaries: command
// lists that reach every verb of the service, and small generated videos of every codec
// the generator writes. The seed test checks that they do reach the device, and writes them
// out for the fuzzers when UGOKI_FUZZ_CORPUS names a folder.
namespace fuzzing {

struct Seed {
    std::string name;
    std::string bytes;
};

// Inputs for runCommands; handles are those of the fuzz stage.
std::vector<Seed> commandSeeds();
// Inputs for runVideoFile; empty with *error set when the generator fails.
std::vector<Seed> videoSeeds(std::string* error);

// Writes each seed as folder/name; false when a file cannot be written.
bool writeSeeds(const std::vector<Seed>& seeds, const std::string& folder);

} // namespace fuzzing
