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

// The time per frame and the scale, where they are not the counted ones.
QString unitLines(const TableUnits& units) {
    QString lines;
    if (units.framesPerSecond != measurement::kCountedFramesPerSecond || units.metresPerUnit) {
        lines +=
            row({QStringLiteral("1 秒間のコマ数"), measurement::rateText(units.framesPerSecond)});
        lines +=
            row({QStringLiteral("1コマの時間 [s]"), number(float(1.0 / units.framesPerSecond))});
    }
    if (units.metresPerUnit)
        lines += row({QStringLiteral("1 単位長 [m]"), number(float(*units.metresPerUnit))});
    return lines.isEmpty() ? lines : lines + u'\n';
}

// The same values in metres, where a reference gives them: more cells for the row.
QStringList inMetres(const TableUnits& units, std::initializer_list<float> values) {
    QStringList cells;
    if (units.metresPerUnit)
        for (float v : values)
            cells << number(float(double(v) * *units.metresPerUnit));
    return cells;
}

QString withFit(QString table, std::optional<Accelerations> fit, const TableUnits& units) {
    if (fit) {
        table += u'\n';
        table += row({QStringLiteral("加速度 ax [単位長/s²]"), number(fit->ax)});
        table += row({QStringLiteral("加速度 ay [単位長/s²]"), number(fit->ay)});
        if (units.metresPerUnit) {
            table +=
                row(QStringList{QStringLiteral("加速度 ax [m/s²]")} + inMetres(units, {fit->ax}));
            table +=
                row(QStringList{QStringLiteral("加速度 ay [m/s²]")} + inMetres(units, {fit->ay}));
        }
    }
    return table;
}

int marksIn(int markCount, std::size_t tableSize) {
    return std::clamp(markCount, 0, static_cast<int>(tableSize) - 1);
}

} // namespace

QString positionTable(int markCount, std::span<const std::int32_t> frameGap,
                      std::span<const float> posX, std::span<const float> posY,
                      std::optional<Accelerations> fit, const TableUnits& units) {
    const std::size_t size = std::min({frameGap.size(), posX.size(), posY.size()});
    const int marks = marksIn(markCount, size);
    std::vector<float> times(size);
    markTimes(marks, frameGap.first(size), times, units.framesPerSecond);
    QString table =
        unitLines(units) +
        row(QStringList{QStringLiteral("番号"), QStringLiteral("フレーム"),
                        QStringLiteral("時間 t [s]"), QStringLiteral("x [単位長]"),
                        QStringLiteral("y [単位長]")} +
            (units.metresPerUnit ? QStringList{QStringLiteral("x [m]"), QStringLiteral("y [m]")}
                                 : QStringList{}));
    std::int64_t frames = 0;
    for (int i = 1; i <= marks; ++i) {
        frames += frameGap[i - 1];
        table += row(QStringList{QString::number(i), QString::number(frames), number(times[i]),
                                 number(posX[i]), number(posY[i])} +
                     inMetres(units, {posX[i], posY[i]}));
    }
    return withFit(table, fit, units);
}

QString velocityTable(int markCount, std::span<const std::int32_t> frameGap,
                      std::span<const float> posX, std::span<const float> posY,
                      std::optional<Accelerations> fit, const TableUnits& units) {
    const std::size_t size = std::min({frameGap.size(), posX.size(), posY.size()});
    const int marks = marksIn(markCount, size);
    // Worked out as the chart does, into copies: the shared series stay as they are.
    std::vector<float> velX(size), velY(size), times(size);
    intervalVelocities(marks, frameGap.first(size), posX.first(size), posY.first(size), velX, velY,
                       times, units.framesPerSecond);
    QString table =
        unitLines(units) +
        row(QStringList{QStringLiteral("区間"), QStringLiteral("時間 t [s]"),
                        QStringLiteral("vx [単位長/s]"), QStringLiteral("vy [単位長/s]")} +
            (units.metresPerUnit
                 ? QStringList{QStringLiteral("vx [m/s]"), QStringLiteral("vy [m/s]")}
                 : QStringList{}));
    for (int i = 1; i < marks; ++i)
        table += row(
            QStringList{QString::number(i), number(times[i]), number(velX[i]), number(velY[i])} +
            inMetres(units, {velX[i], velY[i]}));
    return withFit(table, fit, units);
}

} // namespace graphs
