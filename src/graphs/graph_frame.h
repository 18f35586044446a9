#pragma once

#include "common/vb_bool.h"
#include "graphs/chart_table.h"

#include <QWidget>
#include <cstdint>
#include <optional>

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;

namespace toolkit {
class PictureBox;
}

namespace graphs {

// What the s-t and v-t windows share: the layout, the magnifications and their buttons,
// the least-squares button and the redraw that every zoom runs. What the chart shows is
// left to the window: its axes, its points and its fitted curves.
class GraphFrame : public QWidget {
  public:
    ~GraphFrame() override;

    toolkit::PictureBox* Picture1;
    QPushButton* Cmd_最小2乗法;
    QPushButton* Cmd_small;
    QPushButton* Cmd_large;
    QPushButton* Cmd_small_yoko;
    QPushButton* Cmd_large_yoko;
    QLabel* Label1;
    QLineEdit* Text1; // vertical magnification, display only
    QLabel* Label2;
    QLineEdit* Text2; // horizontal magnification, display only
    QPushButton* Cmd_close;
    // The chart's context menu; the data also on Ctrl+C anywhere in the window.
    QAction* mnuCopyData;
    QAction* mnuCopyGraph;

    VbBool Yoko_fit_flag = VbFalse; // the time axis has been fitted since the last activation
    float Tate_bairitu = 1.0f;
    float Yoko_bairitu = 1.0f;
    std::int16_t Yoko_step = 1;
    VbBool Saisyo_flag = VbFalse; // the fit is drawn with every zoom

    // The last fit: slopes (accelerations) and intercepts, per direction.
    float Saisyo_ax = 0.0f;
    float Saisyo_bx = 0.0f;
    float Saisyo_ay = 0.0f;
    float Saisyo_by = 0.0f;

    void Form_Load();
    void Form_Activate();
    void Cmd_close_Click();
    void Cmd_large_Click();
    void Cmd_small_Click();
    void Cmd_large_yoko_Click();
    void Cmd_small_yoko_Click();
    void Cmd_最小2乗法_Click();
    // Put on the clipboard what the chart plots, as a table, or the chart as it is shown.
    // Neither changes nor draws anything.
    void mnuCopyData_Click();
    void mnuCopyGraph_Click();

    // Redraws the chart at the current magnifications, with the fit once it was asked for.
    void Graph_bairitu();
    // How long a frame lasts or how long a unit length is has changed (it was
    // `previousFramesPerSecond` a second): the fit is converted to the new time, its slopes
    // and intercepts scaling with the rate, and the chart drawn again.
    void measuringChanged(double previousFramesPerSecond);

    // Fitted curves and the acceleration readout, over what is drawn.
    virtual void Graph_saisyo() = 0;

  protected:
    explicit GraphFrame(const QString& caption, QWidget* parent);

    // The window's own axes and plot procedures.
    virtual void drawAxes() = 0;
    virtual void plotPoints() = 0;

    // Puts the velocities of the current marks and the middle times of their intervals
    // into the table, where the fit reads them.
    virtual void prepareFitSeries() = 0;

    // What the chart plots as table text, with the accelerations once the fit is drawn.
    virtual QString tableText() const = 0;
    std::optional<Accelerations> fittedAccelerations() const;
    // How long a frame lasts and a unit length is, for the tables.
    static TableUnits tableUnits();

    // After an activation, shrinks the time axis until `lastTime` fits (nothing to fit
    // when there is no point), then shows the horizontal magnification.
    void fitTimeAxisOnce(std::optional<float> lastTime);

  private:
    void buildControls();
    void buildCopyMenu();
    void showTate();
    void showYoko();
};

} // namespace graphs
