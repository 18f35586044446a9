#pragma once

#include "graphs/graph_frame.h"
#include "measurement/measurement_table.h"

#include <array>

// The position-time window "s-tグラフ": x and y of every mark against its time, and the
// position curves that the fitted velocities imply, starting at mark 1.
class Form3 : public graphs::GraphFrame {
  public:
    explicit Form3(QWidget* parent = nullptr);

    // The positions as last plotted.
    std::array<float, Module1::kTableSize> Zahyo_x{};
    std::array<float, Module1::kTableSize> Zahyo_y{};

    void Zahyo_st();
    void Plot_st();
    void Graph_saisyo() override;

  protected:
    void drawAxes() override { Zahyo_st(); }
    void plotPoints() override { Plot_st(); }
    void prepareFitSeries() override;
    QString tableText() const override;
};
