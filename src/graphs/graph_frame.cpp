#include "graphs/graph_frame.h"

#include "common/palette.h"
#include "graphs/least_squares.h"
#include "graphs/magnification.h"
#include "measurement/measurement_table.h"
#include "toolkit/activation.h"
#include "toolkit/command_button.h"
#include "toolkit/dialogs.h"
#include "toolkit/picture_box.h"
#include "toolkit/window_geometry.h"

#include <QAction>
#include <QBuffer>
#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <algorithm>
#include <span>

namespace graphs {

namespace {

using toolkit::twipsToPixels;

constexpr int kWindowWidthTwips = 11115;
constexpr int kWindowHeightTwips = 8925;

template <typename W> W* place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                        twipsToPixels(height));
    return widget;
}

QLineEdit* magnificationBox(QWidget* parent) {
    auto* box = new QLineEdit(QStringLiteral("1"), parent);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"), 12);
    font.setBold(true);
    box->setFont(font);
    return box;
}

} // namespace

GraphFrame::GraphFrame(const QString& caption, QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load();
    toolkit::watchActivation(this, [this] { Form_Activate(); });
}

GraphFrame::~GraphFrame() = default;

void GraphFrame::buildControls() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, common::formBackground());
    setPalette(pal);
    setAutoFillBackground(true);

    Picture1 = new toolkit::PictureBox(this);
    Picture1->setOuterGeometry(twipsToPixels(720), twipsToPixels(480), twipsToPixels(9615),
                               twipsToPixels(6975));
    Picture1->setAccessibleName(QStringLiteral("グラフ"));

    Cmd_最小2乗法 =
        place(new toolkit::CommandButton(QStringLiteral("最小２乗法"), this), 600, 7800, 1335, 495);
    Cmd_small =
        place(new toolkit::CommandButton(QStringLiteral("縦縮小"), this), 2280, 7800, 855, 495);
    Cmd_large =
        place(new toolkit::CommandButton(QStringLiteral("縦拡大"), this), 3120, 7800, 735, 495);
    Cmd_small_yoko =
        place(new toolkit::CommandButton(QStringLiteral("横縮小"), this), 4080, 7800, 735, 495);
    Cmd_large_yoko =
        place(new toolkit::CommandButton(QStringLiteral("横拡大"), this), 4800, 7800, 735, 495);
    Label1 = place(new QLabel(QStringLiteral("縦倍率"), this), 5760, 7920, 735, 255);
    Text1 = place(magnificationBox(this), 6480, 7800, 735, 375);
    Label2 = place(new QLabel(QStringLiteral("横倍率"), this), 7320, 7920, 615, 255);
    Text2 = place(magnificationBox(this), 7920, 7800, 735, 375);
    Cmd_close =
        place(new toolkit::CommandButton(QStringLiteral("閉じる"), this), 9120, 7800, 1335, 495);

    connect(Cmd_最小2乗法, &QPushButton::clicked, this, &GraphFrame::Cmd_最小2乗法_Click);
    connect(Cmd_small, &QPushButton::clicked, this, &GraphFrame::Cmd_small_Click);
    connect(Cmd_large, &QPushButton::clicked, this, &GraphFrame::Cmd_large_Click);
    connect(Cmd_small_yoko, &QPushButton::clicked, this, &GraphFrame::Cmd_small_yoko_Click);
    connect(Cmd_large_yoko, &QPushButton::clicked, this, &GraphFrame::Cmd_large_yoko_Click);
    connect(Cmd_close, &QPushButton::clicked, this, &GraphFrame::Cmd_close_Click);
    buildCopyMenu();
}

void GraphFrame::buildCopyMenu() {
    mnuCopyData = new QAction(QStringLiteral("データをコピー"), this);
    mnuCopyData->setShortcut(QKeySequence::Copy);
    addAction(mnuCopyData); // so that Ctrl+C works wherever the focus is in the window
    mnuCopyGraph = new QAction(QStringLiteral("グラフをコピー"), this);
    connect(mnuCopyData, &QAction::triggered, this, &GraphFrame::mnuCopyData_Click);
    connect(mnuCopyGraph, &QAction::triggered, this, &GraphFrame::mnuCopyGraph_Click);

    QWidget* chart = Picture1->clientArea();
    chart->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(chart, &QWidget::customContextMenuRequested, this, [this, chart](QPoint at) {
        QMenu menu(this);
        menu.addAction(mnuCopyData);
        menu.addAction(mnuCopyGraph);
        menu.exec(chart->mapToGlobal(at));
    });
}

void GraphFrame::Form_Load() {
    toolkit::setOuterSizeCentred(this, twipsToPixels(kWindowWidthTwips),
                                 twipsToPixels(kWindowHeightTwips));
    Yoko_step = 1;
    Tate_bairitu = 1.0f;
    Yoko_bairitu = 1.0f;
    Saisyo_flag = VbFalse;
}

// The fit stays hidden here: it comes back with the next zoom or press of the fit button.
void GraphFrame::Form_Activate() {
    Yoko_fit_flag = VbFalse;
    plotPoints();
}

void GraphFrame::Cmd_close_Click() {
    close();
}

void GraphFrame::Cmd_large_Click() {
    const TateChange change = tateLarger(Tate_bairitu);
    Tate_bairitu = change.bairitu;
    showTate();
    if (change.redraw)
        Graph_bairitu();
}

void GraphFrame::Cmd_small_Click() {
    const TateChange change = tateSmaller(Tate_bairitu);
    Tate_bairitu = change.bairitu;
    showTate();
    if (change.redraw)
        Graph_bairitu();
}

void GraphFrame::Cmd_large_yoko_Click() {
    if (!canStepYoko(Yoko_step, +1))
        return;
    ++Yoko_step;
    Yoko_bairitu = yokoBairitu(Yoko_step);
    showYoko();
    Graph_bairitu();
}

void GraphFrame::Cmd_small_yoko_Click() {
    if (!canStepYoko(Yoko_step, -1))
        return;
    --Yoko_step;
    Yoko_bairitu = yokoBairitu(Yoko_step);
    showYoko();
    Graph_bairitu();
}

// Fits over what is drawn, without clearing. A fit that is not determined (fewer than two
// velocities, or all at one time) is refused with a beep and leaves everything as it was.
void GraphFrame::Cmd_最小2乗法_Click() {
    prepareFitSeries();
    const int points = std::clamp<int>(Module1::MarkCount - 1, 0, Module1::kMaxMarks - 1);
    const auto times = std::span<const float>(Module1::TimeT).subspan(1, points);
    const auto fitX = fitLine(times, std::span<const float>(Module1::VelX).subspan(1, points));
    const auto fitY = fitLine(times, std::span<const float>(Module1::VelY).subspan(1, points));
    if (!fitX || !fitY) {
        toolkit::beep();
        return;
    }
    Saisyo_flag = VbTrue;
    Saisyo_ax = fitX->a;
    Saisyo_bx = fitX->b;
    Saisyo_ay = fitY->a;
    Saisyo_by = fitY->b;
    Graph_saisyo();
}

std::optional<Accelerations> GraphFrame::fittedAccelerations() const {
    if (!isTrue(Saisyo_flag))
        return std::nullopt;
    return Accelerations{Saisyo_ax, Saisyo_ay};
}

TableUnits GraphFrame::tableUnits() {
    return {Module1::FrameTime.framesPerSecond,
            Module1::LengthScale ? std::optional(Module1::LengthScale->metresPerUnit())
                                 : std::nullopt};
}

void GraphFrame::mnuCopyData_Click() {
    auto* data = new QMimeData;
    data->setText(tableText());
    QGuiApplication::clipboard()->setMimeData(data);
}

void GraphFrame::mnuCopyGraph_Click() {
    const QImage& chart = Picture1->image();
    auto* data = new QMimeData;
    data->setImageData(chart);
    // PNG as well, for the programs that take only that.
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    chart.save(&buffer, "PNG");
    data->setData(QStringLiteral("image/png"), png);
    QGuiApplication::clipboard()->setMimeData(data);
}

// The plot procedure draws the axes again itself; the fit is drawn from the stored
// coefficients, not recomputed, so marks changed since the last press are not in it.
// With every mark erased there is nothing left to fit to: the chart stays empty.
void GraphFrame::Graph_bairitu() {
    drawAxes();
    plotPoints();
    if (isTrue(Saisyo_flag) && Module1::MarkCount >= 1)
        Graph_saisyo();
}

void GraphFrame::measuringChanged(double previousFramesPerSecond) {
    const double faster = Module1::FrameTime.framesPerSecond / previousFramesPerSecond;
    Saisyo_ax = static_cast<float>(Saisyo_ax * faster * faster);
    Saisyo_ay = static_cast<float>(Saisyo_ay * faster * faster);
    Saisyo_bx = static_cast<float>(Saisyo_bx * faster);
    Saisyo_by = static_cast<float>(Saisyo_by * faster);
    Graph_bairitu();
}

void GraphFrame::fitTimeAxisOnce(std::optional<float> lastTime) {
    if (!isTrue(Yoko_fit_flag) && lastTime) {
        // The axis counts frames: the time as it would be at 1/30 s a frame.
        const auto counted = static_cast<float>(*lastTime / Module1::FrameTime.stretch());
        const YokoFit fit = fitTimeAxis(counted, Yoko_step, Yoko_bairitu);
        Yoko_step = fit.step;
        Yoko_bairitu = fit.bairitu;
    }
    showYoko();
    Yoko_fit_flag = VbTrue;
}

void GraphFrame::showTate() {
    Text1->setText(tateText(Tate_bairitu));
}

void GraphFrame::showYoko() {
    Text2->setText(yokoText(Yoko_step, Yoko_bairitu));
}

} // namespace graphs
