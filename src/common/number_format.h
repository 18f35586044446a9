#pragma once

#include <QString>
#include <string_view>

namespace common {

// Digit patterns: "0" is a digit always printed, "#" a digit printed only when significant,
// "." the decimal point. The value is rounded to as many places as the pattern has after
// the point (halves away from zero) and a negative value gets a leading minus sign, also
// when it rounds to zero ("-.0"): the sign tells the user the value was below zero.
// Patterns in use: "##0.00", "#0", "###0.0", "##.#0", "##0.0", "####.0".
QString formatNumber(double value, std::string_view pattern);

// A 32-bit float is formatted from its shortest decimal form, so 2.675f rounds as 2.675
// and not as the binary value 2.67499995...
QString formatNumber(float value, std::string_view pattern);

// Plain text of a 32-bit float: the shortest general form with at most 7 significant
// digits, no leading blank, no trailing zeros ("2.725", "7.9", "0.1", "0", "1E+08").
QString plainText(float value);

} // namespace common
