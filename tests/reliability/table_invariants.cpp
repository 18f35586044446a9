#include "table_invariants.h"

#include "measurement/conversion.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <unistd.h>

namespace reliability {

namespace {

bool same(float stored, float expected) {
    return std::fabs(stored - expected) <= 1e-5f * std::max(1.0f, std::fabs(expected));
}

} // namespace

QString brokenInvariant(const TableView& t) {
    if (t.markCount < 0 || t.markCount > 100)
        return QStringLiteral("MarkCount is %1").arg(t.markCount);
    const VbBool right = t.xAxisRight ? VbTrue : VbFalse;
    const VbBool down = t.yAxisDown ? VbTrue : VbFalse;
    for (int i = 1; i <= t.markCount; ++i) {
        const float x = measurement::positionX(t.pixX[i], right, t.areaW);
        const float y = measurement::positionY(t.pixY[i], down, t.areaH);
        if (!same(t.posX[i], x) || !same(t.posY[i], y))
            return QStringLiteral("mark %1 at (%2, %3) px reads (%4, %5), not (%6, %7)")
                .arg(i)
                .arg(t.pixX[i])
                .arg(t.pixY[i])
                .arg(t.posX[i])
                .arg(t.posY[i])
                .arg(x)
                .arg(y);
        if (i >= 2 && t.frameGap[i - 1] < 1)
            return QStringLiteral("mark %1 is %2 frames after mark %3")
                .arg(i)
                .arg(t.frameGap[i - 1])
                .arg(i - 1);
    }
    if (t.markCount >= 1 && t.frameGap[0] != 0)
        return QStringLiteral("FrameGap(0) is %1").arg(t.frameGap[0]);
    return {};
}

std::int64_t residentBytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    if (fields.size() < 2)
        return 0;
    return fields[1].toLongLong() * sysconf(_SC_PAGESIZE);
}

} // namespace reliability
