#include "graphs/least_squares.h"

#include <algorithm>
#include <cmath>

namespace graphs {

std::optional<FitLine> fitLine(std::span<const float> t, std::span<const float> v) {
    const std::size_t count = std::min(t.size(), v.size());
    if (count < 2)
        return std::nullopt;
    // Equal times would leave only float noise in the denominator.
    if (std::all_of(t.begin(), t.begin() + count, [&](float tk) { return tk == t[0]; }))
        return std::nullopt;
    float st = 0.0f;
    float stt = 0.0f;
    float sv = 0.0f;
    float stv = 0.0f;
    for (std::size_t k = 0; k < count; ++k) {
        const double tk = t[k];
        st = static_cast<float>(st + tk);
        stt = static_cast<float>(stt + tk * tk);
        sv = static_cast<float>(sv + v[k]);
        stv = static_cast<float>(stv + tk * v[k]);
    }
    const double n = static_cast<double>(count);
    const float ltt = static_cast<float>(stt - static_cast<double>(st) * st / n);
    const float ltv = static_cast<float>(stv - static_cast<double>(sv) * st / n);
    if (ltt == 0.0f)
        return std::nullopt;
    const float a = static_cast<float>(static_cast<double>(ltv) / ltt);
    const float b = static_cast<float>(sv / n - static_cast<double>(a) * st / n);
    if (!std::isfinite(a) || !std::isfinite(b))
        return std::nullopt;
    return FitLine{a, b};
}

double fittedPosition(const FitLine& line, float s1, double t) {
    return (static_cast<double>(line.a) / 2.0) * t * t + static_cast<double>(line.b) * t + s1;
}

} // namespace graphs
