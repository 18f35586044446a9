#include "graphs/chart_labels.h"

#include "common/number_format.h"

#include <cstdint>

namespace graphs {

QString timeLabel(int k, float yokoBairitu) {
    return common::formatNumber(static_cast<float>(2 * k) / yokoBairitu, "###0.0");
}

QString positionLabel(int k, float tateBairitu) {
    return common::formatNumber(static_cast<float>(k - 1) / tateBairitu, "##.#0");
}

QString velocityLabel(int k, float tateBairitu) {
    const auto units = static_cast<std::int16_t>(20 * k - 100);
    return common::formatNumber(static_cast<float>(units) / tateBairitu, "##0.0");
}

QString accelerationLabel(float a) {
    return common::formatNumber(a, "####.0");
}

} // namespace graphs
