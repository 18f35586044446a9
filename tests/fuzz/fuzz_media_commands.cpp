// libFuzzer target: arbitrary command strings, one per line, against an open or a closed
// device. See README.md for how to run it.
#include "fuzz_drivers.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzzing::Stage::instance();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::runCommands(data, size);
    return 0;
}
