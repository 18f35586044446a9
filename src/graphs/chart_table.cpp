#include "graphs/chart_table.h"

#include "common/number_format.h"
#include "graphs/time_series.h"

#include <QStringList>
#include <algorithm>
#include <vector>

namespace graphs {

namespace {

QString row(const QStringList& cells) {
    return cells.join(u'\t') + u'\n';
}

QString number(float value) {
    return common::plainText(value);
}

QString withFit(QString table, std::optional<Accelerations> fit) {
    if (fit) {
        table += u'\n';
        table += row({QStringLiteral("加速度 ax [単位長/s²]"), number(fit->ax)});
        table += row({QStringLiteral("加速度 ay [単位長/s²]"), number(fit->ay)});
    }
    return table;
}

int marksIn(int markCount, std::size_t tableSize) {
    return std::clamp(markCount, 0, static_cast<int>(tableSize) - 1);
}

} // namespace

QString positionTable(int markCount, std::span<const std::int32_t> frameGap,
                      std::span<const float> posX, std::span<const float> posY,
                      std::optional<Accelerations> fit) {
    const std::size_t size = std::min({frameGap.size(), posX.size(), posY.size()});
    const int marks = marksIn(markCount, size);
    std::vector<float> times(size);
    markTimes(marks, frameGap.first(size), times);
    QString table =
        row({QStringLiteral("番号"), QStringLiteral("フレーム"), QStringLiteral("時間 t [s]"),
             QStringLiteral("x [単位長]"), QStringLiteral("y [単位長]")});
    std::int64_t frames = 0;
    for (int i = 1; i <= marks; ++i) {
        frames += frameGap[i - 1];
        table += row({QString::number(i), QString::number(frames), number(times[i]),
                      number(posX[i]), number(posY[i])});
    }
    return withFit(table, fit);
}

QString velocityTable(int markCount, std::span<const std::int32_t> frameGap,
                      std::span<const float> posX, std::span<const float> posY,
                      std::optional<Accelerations> fit) {
    const std::size_t size = std::min({frameGap.size(), posX.size(), posY.size()});
    const int marks = marksIn(markCount, size);
    // Worked out as the chart does, into copies: the shared series stay as they are.
    std::vector<float> velX(size), velY(size), times(size);
    intervalVelocities(marks, frameGap.first(size), posX.first(size), posY.first(size), velX, velY,
                       times);
    QString table = row({QStringLiteral("区間"), QStringLiteral("時間 t [s]"),
                         QStringLiteral("vx [単位長/s]"), QStringLiteral("vy [単位長/s]")});
    for (int i = 1; i < marks; ++i)
        table += row({QString::number(i), number(times[i]), number(velX[i]), number(velY[i])});
    return withFit(table, fit);
}

} // namespace graphs
