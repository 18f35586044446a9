#include "common/number_format.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <string>

namespace common {

namespace {

struct Pattern {
    int minIntegerDigits = 0; // the '0' placeholders before the point
    int decimals = 0;         // every placeholder after the point
    int minDecimals = 0;      // up to and including the last '0' after the point
};

Pattern parsePattern(std::string_view pattern) {
    Pattern p;
    const auto point = pattern.find('.');
    const auto integerPart = pattern.substr(0, point);
    for (char c : integerPart) {
        if (c == '0') {
            ++p.minIntegerDigits;
        }
    }
    if (point != std::string_view::npos) {
        const auto fraction = pattern.substr(point + 1);
        for (std::size_t i = 0; i < fraction.size(); ++i) {
            if (fraction[i] == '0' || fraction[i] == '#') {
                ++p.decimals;
                if (fraction[i] == '0') {
                    p.minDecimals = p.decimals;
                }
            }
        }
    }
    return p;
}

// Formats the magnitude given as plain decimal digits ("123.4567", no sign, no exponent).
QString formatDigits(const std::string& fixed, bool negative, const Pattern& p) {
    const auto point = fixed.find('.');
    std::string integer = fixed.substr(0, point);
    std::string fraction = point == std::string::npos ? std::string() : fixed.substr(point + 1);

    // Round half away from zero at the pattern's number of places.
    const bool roundUp =
        fraction.size() > static_cast<std::size_t>(p.decimals) && fraction[p.decimals] >= '5';
    fraction.resize(p.decimals, '0');
    if (roundUp) {
        std::string digits = integer + fraction;
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') {
            digits[i] = '0';
            --i;
        }
        if (i >= 0) {
            ++digits[i];
        } else {
            digits.insert(digits.begin(), '1');
        }
        integer = digits.substr(0, digits.size() - fraction.size());
        fraction = digits.substr(digits.size() - fraction.size());
    }

    const auto firstSignificant = integer.find_first_not_of('0');
    integer =
        firstSignificant == std::string::npos ? std::string() : integer.substr(firstSignificant);
    if (static_cast<int>(integer.size()) < p.minIntegerDigits) {
        integer.insert(0, p.minIntegerDigits - integer.size(), '0');
    }
    while (static_cast<int>(fraction.size()) > p.minDecimals && fraction.back() == '0') {
        fraction.pop_back();
    }

    std::string out = negative ? "-" : "";
    out += integer;
    if (p.decimals > 0) {
        out += '.';
        out += fraction;
    }
    return QString::fromStdString(out);
}

QString nonFinite(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

template <typename T> QString formatShortest(T value, std::string_view pattern) {
    if (!std::isfinite(value)) {
        return nonFinite(static_cast<double>(value));
    }
    char buffer[512];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::fixed);
    if (result.ec != std::errc()) {
        return QStringLiteral("Overflow");
    }
    return formatDigits(std::string(buffer, result.ptr), value < 0, parsePattern(pattern));
}

} // namespace

QString formatNumber(double value, std::string_view pattern) {
    return formatShortest(value, pattern);
}

QString formatNumber(float value, std::string_view pattern) {
    return formatShortest(value, pattern);
}

QString plainText(float value) {
    if (value == 0.0f) {
        return QStringLiteral("0"); // also for -0
    }
    if (!std::isfinite(value)) {
        return nonFinite(value);
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.7g", static_cast<double>(value));
    std::string text(buffer);
    // Exponents read "E+08" / "E-05", never with three digits for a float.
    if (const auto e = text.find('e'); e != std::string::npos) {
        text[e] = 'E';
    }
    return QString::fromStdString(text);
}

} // namespace common
