#include "graphs/form2.h"

#include "common/palette.h"
#include "graphs/chart_drawing.h"
#include "graphs/chart_labels.h"
#include "graphs/chart_mapping.h"
#include "graphs/chart_table.h"
#include "graphs/time_series.h"
#include "measurement/measurement_table.h"
#include "toolkit/picture_box.h"

#include <algorithm>
#include <span>

using namespace graphs;

Form2::Form2(QWidget* parent) : GraphFrame(QStringLiteral("v-tグラフ"), parent) {}

void Form2::Zahyo_vt() {
    const float tate = Tate_bairitu;
    const ChartFace face{
        kVelocityZeroRow,           [tate](int k) { return velocityLabel(k, tate); },
        QStringLiteral("単位長/s"), QStringLiteral("速度"),
        QStringLiteral(" Ｖx  "),   QStringLiteral(" Ｖy"),
    };
    drawEmptyChart(*Picture1, face, Yoko_bairitu, Module1::FrameTime.framesPerSecond);
}

// The velocities and middle times stay in the table: they are what the fit reads.
void Form2::Plot_vt() {
    const int marks = std::clamp<int>(Module1::MarkCount, 0, Module1::kMaxMarks);
    const int intervals = std::max(marks - 1, 0);
    intervalVelocities(marks, Module1::FrameGap, Module1::PosX, Module1::PosY, Module1::VelX,
                       Module1::VelY, Module1::TimeT, Module1::FrameTime.framesPerSecond);

    fitTimeAxisOnce(intervals >= 1 ? std::optional<float>(Module1::TimeT[intervals])
                                   : std::nullopt);
    // The axes are drawn once the time axis is fitted, so that their labels read the
    // magnification the points are plotted at.
    Zahyo_vt();
    Picture1->setDrawStyle(toolkit::LineStyle::Solid);
    Picture1->setFillStyle(toolkit::FillStyle::Solid);

    const auto times = std::span<const float>(Module1::TimeT).subspan(1, intervals);
    const double stretch = Module1::FrameTime.stretch();
    plotDotSeries(*Picture1, times, std::span<const float>(Module1::VelY).subspan(1, intervals),
                  velocityY, Tate_bairitu, Yoko_bairitu, common::QBColor(common::LightBlue),
                  stretch);
    plotDotSeries(*Picture1, times, std::span<const float>(Module1::VelX).subspan(1, intervals),
                  velocityY, Tate_bairitu, Yoko_bairitu, common::QBColor(common::Black), stretch);
}

void Form2::Graph_saisyo() {
    const float tate = Tate_bairitu;
    const double stretch = Module1::FrameTime.stretch();
    const float ay = Saisyo_ay;
    const float by = Saisyo_by;
    drawFitCurve(
        *Picture1, Yoko_bairitu,
        [=](double t) { return velocityY(static_cast<double>(ay) * t + by, tate); },
        common::QBColor(common::LightBlue), stretch);
    const float ax = Saisyo_ax;
    const float bx = Saisyo_bx;
    drawFitCurve(
        *Picture1, Yoko_bairitu,
        [=](double t) { return velocityY(static_cast<double>(ax) * t + bx, tate); },
        common::QBColor(common::Black), stretch);
    printAccelerations(*Picture1, Saisyo_ax, Saisyo_ay);
    if (Module1::LengthScale)
        printAccelerationsInMetres(*Picture1, Saisyo_ax, Saisyo_ay,
                                   Module1::LengthScale->metresPerUnit());
}

// The same series the plot derives, worked out again so that the fit always belongs to
// the marks as they are now, whichever window wrote the table last.
void Form2::prepareFitSeries() {
    intervalVelocities(Module1::MarkCount, Module1::FrameGap, Module1::PosX, Module1::PosY,
                       Module1::VelX, Module1::VelY, Module1::TimeT,
                       Module1::FrameTime.framesPerSecond);
}

// The intervals as this chart plots them, at their middle times.
QString Form2::tableText() const {
    return velocityTable(Module1::MarkCount, Module1::FrameGap, Module1::PosX, Module1::PosY,
                         fittedAccelerations(), tableUnits());
}
