// libFuzzer target: arbitrary bytes opened, sought, stepped and painted as a video file.
// See README.md for how to run it.
#include "fuzz_drivers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::Stage::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::runVideoFile(data, size);
    return 0;
}
