#include "graphs/form3.h"

#include "common/palette.h"
#include "graphs/chart_drawing.h"
#include "graphs/chart_labels.h"
#include "graphs/chart_mapping.h"
#include "graphs/chart_table.h"
#include "graphs/least_squares.h"
#include "graphs/time_series.h"
#include "toolkit/picture_box.h"

#include <algorithm>
#include <span>

using namespace graphs;

Form3::Form3(QWidget* parent) : GraphFrame(QStringLiteral("s-tグラフ"), parent) {}

void Form3::Zahyo_st() {
    const float tate = Tate_bairitu;
    const ChartFace face{
        kPlotBottom,
        [tate](int k) { return positionLabel(k, tate); },
        QStringLiteral("単位長"),
        QStringLiteral("位置"),
        QStringLiteral(" Ｘ  "),
        QStringLiteral(" Ｙ"),
    };
    drawEmptyChart(*Picture1, face, Yoko_bairitu, Module1::FrameTime.framesPerSecond);
}

// Mark times go into the shared table; the v-t window and the fit put interval times
// there, so they are written afresh on every run.
void Form3::Plot_st() {
    const int marks = std::clamp<int>(Module1::MarkCount, 0, Module1::kMaxMarks);
    std::copy_n(Module1::PosX.begin() + 1, marks, Zahyo_x.begin() + 1);
    std::copy_n(Module1::PosY.begin() + 1, marks, Zahyo_y.begin() + 1);
    markTimes(marks, Module1::FrameGap, Module1::TimeT, Module1::FrameTime.framesPerSecond);

    fitTimeAxisOnce(marks >= 1 ? std::optional<float>(Module1::TimeT[marks]) : std::nullopt);
    // The axes are drawn once the time axis is fitted, so that their labels read the
    // magnification the points are plotted at.
    Zahyo_st();
    Picture1->setDrawStyle(toolkit::LineStyle::Solid);
    Picture1->setFillStyle(toolkit::FillStyle::Solid);

    const auto times = std::span<const float>(Module1::TimeT).subspan(1, marks);
    // y first, so that where the two coincide the black x dot lies on top.
    const double stretch = Module1::FrameTime.stretch();
    plotDotSeries(*Picture1, times, std::span<const float>(Zahyo_y).subspan(1, marks), positionY,
                  Tate_bairitu, Yoko_bairitu, common::QBColor(common::LightBlue), stretch);
    plotDotSeries(*Picture1, times, std::span<const float>(Zahyo_x).subspan(1, marks), positionY,
                  Tate_bairitu, Yoko_bairitu, common::QBColor(common::Black), stretch);
}

// The curves start at the position of mark 1 as it is now.
void Form3::Graph_saisyo() {
    const float tate = Tate_bairitu;
    const double stretch = Module1::FrameTime.stretch();
    const FitLine lineY{Saisyo_ay, Saisyo_by};
    const float startY = Module1::PosY[1];
    drawFitCurve(
        *Picture1, Yoko_bairitu,
        [&](double t) { return positionY(fittedPosition(lineY, startY, t), tate); },
        common::QBColor(common::LightBlue), stretch);
    const FitLine lineX{Saisyo_ax, Saisyo_bx};
    const float startX = Module1::PosX[1];
    drawFitCurve(
        *Picture1, Yoko_bairitu,
        [&](double t) { return positionY(fittedPosition(lineX, startX, t), tate); },
        common::QBColor(common::Black), stretch);
    printAccelerations(*Picture1, Saisyo_ax, Saisyo_ay);
    if (Module1::LengthScale)
        printAccelerationsInMetres(*Picture1, Saisyo_ax, Saisyo_ay,
                                   Module1::LengthScale->metresPerUnit());
}

// This chart keeps mark times in the table, so the velocities are derived here.
void Form3::prepareFitSeries() {
    intervalVelocities(Module1::MarkCount, Module1::FrameGap, Module1::PosX, Module1::PosY,
                       Module1::VelX, Module1::VelY, Module1::TimeT,
                       Module1::FrameTime.framesPerSecond);
}

// The marks as this chart plots them, with their times since mark 1.
QString Form3::tableText() const {
    return positionTable(Module1::MarkCount, Module1::FrameGap, Module1::PosX, Module1::PosY,
                         fittedAccelerations(), tableUnits());
}
