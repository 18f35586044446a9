#pragma once

#include "graphs/graph_frame.h"

// The velocity-time window "v-tグラフ": the velocity of every interval between two marks
// at the interval's middle time, and the straight lines fitted to them.
class Form2 : public graphs::GraphFrame {
  public:
    explicit Form2(QWidget* parent = nullptr);

    void Zahyo_vt();
    void Plot_vt();
    void Graph_saisyo() override;

  protected:
    void drawAxes() override { Zahyo_vt(); }
    void plotPoints() override { Plot_vt(); }
    void prepareFitSeries() override;
    QString tableText() const override;
};
