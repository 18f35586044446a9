#pragma once

#include <cstdint>

// Flags are kept as 16-bit integers, False 0 and True -1, and "not" flips every bit, so a
// flag that once held any non-zero value still reads as True after two negations.
using VbBool = std::int16_t;

inline constexpr VbBool VbFalse = 0;
inline constexpr VbBool VbTrue = -1;

constexpr VbBool vbNot(VbBool b) {
    return static_cast<VbBool>(~b);
}
constexpr bool isTrue(VbBool b) {
    return b != 0;
}
constexpr VbBool toVbBool(bool b) {
    return b ? VbTrue : VbFalse;
}
