// The two graph windows driven through their buttons on the offscreen platform; what they
// draw is read back from the chart's backing image.
#include "graphs/chart_mapping.h"
#include "graphs/form2.h"
#include "graphs/form3.h"
#include "graphs/magnification.h"
#include "main_window/form1.h"
#include "measurement/measurement_table.h"
#include "support/support.h"
#include "toolkit/activation.h"
#include "toolkit/command_button.h"
#include "toolkit/dialogs.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_box.h"
#include "toolkit/program.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <map>
#include <tuple>
#include <vector>

using graphs::GraphFrame;

namespace {

const QColor kBlack(0, 0, 0);
const QColor kLightBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);

struct Mark {
    int frame; // since mark 1
    float x;
    float y;
};

void setMarks(const std::vector<Mark>& marks) {
    Module1::resetTable();
    Module1::MarkCount = static_cast<std::int16_t>(marks.size());
    for (std::size_t i = 0; i < marks.size(); ++i) {
        Module1::PosX[i + 1] = marks[i].x;
        Module1::PosY[i + 1] = marks[i].y;
        if (i > 0)
            Module1::FrameGap[i] = marks[i].frame - marks[i - 1].frame;
    }
}

QColor pixel(GraphFrame* w, int x, int y) {
    return w->Picture1->image().pixelColor(x, y);
}

void press(QPushButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
}

// Whether the chart shows a curve of `colour` through every column of y = f(t).
bool curveDrawn(GraphFrame* w, const std::function<double(double)>& chartY, const QColor& colour) {
    int columns = 0;
    for (double t = 0.01; t < 0.66 / w->Yoko_bairitu; t += 0.01 / w->Yoko_bairitu) {
        const double x = graphs::chartX(t, w->Yoko_bairitu);
        const double y = chartY(t);
        if (!graphs::pixelInsidePlot(float(x), float(y)) || y < 52 || y > 408)
            continue;
        bool found = false;
        for (int dy = -1; dy <= 1 && !found; ++dy)
            found = pixel(w, int(std::floor(x + 0.5)), int(std::floor(y + 0.5)) + dy) == colour;
        if (!found)
            return false;
        ++columns;
    }
    return columns > 20;
}

// A right-click on the chart, through the window as the window system delivers it, then a
// click on the item of the context menu it opens (which runs an event loop of its own).
void chooseFromChartMenu(GraphFrame* w, const QString& item) {
    QTimer::singleShot(50, [item] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (QAction* action : menu ? menu->actions() : QList<QAction*>())
            if (action->text() == item)
                QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
        if (menu && menu->isVisible())
            menu->close();
    });
    QTest::mouseClick(w->windowHandle(), Qt::RightButton, {},
                      w->Picture1->clientArea()->mapTo(w, QPoint(300, 200)));
}

int inkAboveChart(GraphFrame* w) {
    const QRect readout(450, 6, 187, 40);
    return readout.width() * readout.height() -
           support::countPixels(w->Picture1->image(), kWhite, readout);
}

} // namespace

class GraphWindowsTest : public QObject {
    Q_OBJECT

    std::vector<QPointer<QWidget>> windows_;
    int beeps_ = 0;

    template <typename W> W* open() {
        auto* w = new W();
        windows_.emplace_back(w);
        return support::showActive(w) ? w : nullptr;
    }
    GraphFrame* open(const QString& kind) {
        return kind == "st" ? static_cast<GraphFrame*>(open<Form3>()) : open<Form2>();
    }
    static void bothKinds() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("s-t") << "st";
        QTest::newRow("v-t") << "vt";
    }

  private slots:
    void initTestCase() {
        toolkit::installFontSubstitutions();
        toolkit::setBeepHandler([this] { ++beeps_; });
    }
    void init() { beeps_ = 0; }
    void cleanup() {
        for (auto& w : windows_)
            delete w.data();
        windows_.clear();
    }

    // The main window's buttons open the windows (once there is a mark), centred at their
    // outer size; ending the program takes them along.
    void buttonsOpenWindowsAndExitClosesThem() {
        Form1 main;
        QVERIFY(support::showActive(&main));
        Module1::MarkCount = 0;
        main.Cmd_st_Click();
        QVERIFY(!main.positionTimeWindow());
        setMarks({{0, 1, 1}});
        main.Cmd_st_Click();
        main.Cmd_vt_Click();
        QPointer<Form3> st = main.positionTimeWindow();
        QPointer<Form2> vt = main.velocityTimeWindow();
        QVERIFY(st && vt && QTest::qWaitForWindowActive(vt));
        QCOMPARE(st->windowTitle() + vt->windowTitle(), QStringLiteral("s-tグラフv-tグラフ"));
        const QRect frame = st->frameGeometry();
        QCOMPARE(frame.size(), QSize(741, 595));
        QVERIFY((frame.center() - st->screen()->geometry().center()).manhattanLength() <= 2);
        QCOMPARE(st->Text1->text() + st->Text2->text(), QStringLiteral("11"));
        toolkit::setEndProgramHandler([] {});
        main.close();
        toolkit::setEndProgramHandler(nullptr);
        QTRY_VERIFY(st.isNull() && vt.isNull());
    }

    // Each effective press redraws (the labels change); a press past the limit changes
    // neither the text nor the picture.
    void zoomSequences_data() {
        QTest::addColumn<QStringList>("presses");
        QTest::addColumn<QStringList>("texts");
        QTest::newRow("縦拡大") << QStringList(8, QStringLiteral("縦拡大"))
                                << QStringList{"2", "4", "8", "16", "32", "64", "128", "256"};
        QTest::newRow("縦縮小") << QStringList(3, QStringLiteral("縦縮小"))
                                << QStringList{"0.5", "0.25", "0.125"};
        QTest::newRow("横拡大") << QStringList(3, QStringLiteral("横拡大"))
                                << QStringList{"2", "3", "4"};
        QTest::newRow("横縮小 and back")
            << (QStringList(3, QStringLiteral("横縮小")) + QStringList(3, QStringLiteral("横拡大")))
            << QStringList{"1/2", "1/3", "1/4", "1/3", "1/2", "1"};
    }
    void zoomSequences() {
        QFETCH(QStringList, presses);
        QFETCH(QStringList, texts);
        setMarks({{0, 0.5f, 1}});
        Form3* w = open<Form3>();
        QVERIFY(w);
        const std::map<QString, QPushButton*> buttons{{"縦拡大", w->Cmd_large},
                                                      {"縦縮小", w->Cmd_small},
                                                      {"横拡大", w->Cmd_large_yoko},
                                                      {"横縮小", w->Cmd_small_yoko}};
        for (int i = 0; i < presses.size(); ++i) {
            const QImage before = w->Picture1->image().copy();
            press(buttons.at(presses[i]));
            QCOMPARE(presses[i].startsWith("縦") ? w->Text1->text() : w->Text2->text(), texts[i]);
            QVERIFY(w->Picture1->image() != before);
        }
        if (presses.last() == "縦拡大" || presses.last() == "縦縮小") {
            const QImage atLimit = w->Picture1->image().copy();
            press(buttons.at(presses.last()));
            QCOMPARE(w->Text1->text(), texts.last());
            QCOMPARE(w->Picture1->image(), atLimit);
        }
    }

    // Dots of radius 2 (5 pixels across, no corners) where the marks map to; y light blue,
    // x black on top; a series ends at its first dot outside the plot. Marks: "frame x y",
    // separated by ";".
    void dots_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("marks");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("colour");
        const auto row = [](const char* name, const char* kind, const char* marks, QPoint at,
                            QColor colour) {
            QTest::newRow(name) << kind << marks << at << colour;
        };
        row("x dot on the left side", "st", "0 2.5 1.5", {52, 284}, kBlack);
        row("y dot on the left side", "st", "0 2.5 1.5", {52, 320}, kLightBlue);
        row("beyond the radius", "st", "0 2.5 1.5", {53, 320}, kWhite);
        row("no corner", "st", "0 2.5 1.5", {52, 322}, kWhite);
        row("x over y", "st", "0 2.5 2.5", {51, 285}, kBlack);
        row("y = -1 on the bottom line", "st", "0 2.5 -1", {50, 412}, kLightBlue);
        row("y series ended below -1", "st", "0 2.5 0; 4 2.5 -1.1; 9 2.5 0", {298, 376}, kWhite);
        row("x series goes on", "st", "0 2.5 0; 4 2.5 -1.1; 9 2.5 0", {298, 284}, kBlack);
        row("600.00002 drawn at 1/2", "st", "0 0 2.5; 20 2.5 1.5", {327, 284}, kBlack);
        row("10 units/s at 0.05 s", "vt", "0 0 0; 3 1 0", {93, 212}, kBlack);
        row("its radius", "vt", "0 0 0; 3 1 0", {94, 212}, kWhite);
        row("vy 0", "vt", "0 0 0; 3 1 0", {91, 232}, kLightBlue);
    }
    void dots() {
        QFETCH(QString, kind);
        QFETCH(QString, marks);
        QFETCH(QPoint, at);
        QFETCH(QColor, colour);
        std::vector<Mark> list;
        for (const QString& mark : marks.split(u';')) {
            const QStringList v = mark.split(u' ', Qt::SkipEmptyParts);
            list.push_back({v[0].toInt(), v[1].toFloat(), v[2].toFloat()});
        }
        setMarks(list);
        GraphFrame* w = open(kind);
        QVERIFY(w);
        QCOMPARE(pixel(w, at.x(), at.y()), colour);
    }

    // The first run after an activation shrinks the time axis until the last point fits.
    void timeAxisFit() {
        for (const auto& [kind, frames, text] :
             {std::tuple{"st", 19, "1"}, {"st", 20, "1/2"}, {"vt", 39, "1"}, {"vt", 40, "1/2"}}) {
            setMarks({{0, 0, 2.5f}, {frames, 1, 2.5f}});
            GraphFrame* w = open(kind);
            QVERIFY(w);
            QCOMPARE(w->Text2->text(), QString(text));
        }
    }

    // After the fit on activation the time labels read the new magnification (0.0 .. 40.0
    // at 1/2), exactly as a redraw at 1/2 from the zoom buttons draws them.
    // A last mark 20 frames on lands at x = 600.00002: the s-t axis is fitted to 1/2, and at
    // magnification 1 again the mark is gone.
    void timeLabelsFollowTheFit() {
        for (const auto& [kind, frames] : {std::pair{"st", 20}, std::pair{"vt", 60}}) {
            setMarks({{0, 0, 2.5f}, {frames, 2.5f, 1.5f}});
            GraphFrame* w = open(QString::fromLatin1(kind));
            QVERIFY(w);
            QCOMPARE(w->Text2->text(), QStringLiteral("1/2"));
            const QRect labels(0, 412, 637, 26);
            const QImage afterFit = w->Picture1->image().copy(labels);
            press(w->Cmd_large_yoko);
            QVERIFY(w->Picture1->image().copy(labels) != afterFit); // the test can tell
            QVERIFY(kind != QByteArray("st") || pixel(w, 598, 284) == kWhite);
            press(w->Cmd_small_yoko);
            QCOMPARE(w->Picture1->image().copy(labels), afterFit);
        }
    }

    // x = 0, 5, 15 at 15-frame steps: the curve from mark 1 runs through all three marks.
    void fitInPositionChart() {
        setMarks({{0, 0, -0.5f}, {15, 5, -0.5f}, {30, 15, -0.5f}});
        Form3* w = open<Form3>();
        QVERIFY(w);
        QCOMPARE(inkAboveChart(w), 0);
        press(w->Cmd_最小2乗法);
        QCOMPARE(w->Saisyo_ax, 20.0f);
        QCOMPARE(w->Saisyo_bx, 5.0f);
        const float tate = w->Tate_bairitu;
        QVERIFY(curveDrawn(
            w, [&](double t) { return graphs::positionY(5 * t + 10 * t * t, tate); }, kBlack));
        QVERIFY(curveDrawn(
            w, [&](double) { return graphs::positionY(-0.5, tate); }, kLightBlue));
        QVERIFY(inkAboveChart(w) > 0);
    }

    // Constant velocity: no acceleration and level lines. An activation hides the fit; the
    // next zoom draws it again.
    void fitInVelocityChartAndActivation() {
        setMarks({{0, 0, 0}, {3, 1, 0}, {6, 2, 0}, {9, 3, 0}});
        Form2* w = open<Form2>();
        QVERIFY(w);
        press(w->Cmd_最小2乗法);
        QVERIFY(std::abs(w->Saisyo_ax) < 1e-3f);
        for (int x = 51; x < 600; ++x) {
            QCOMPARE(pixel(w, x, 212), kBlack);
            QCOMPARE(pixel(w, x, 230), kLightBlue);
        }
        QCOMPARE(pixel(w, 50, 212), kBlack); // the frame itself

        QWidget other; // the main window, say
        toolkit::watchActivation(&other, [] {});
        QVERIFY(support::showActive(&other));
        QVERIFY(support::showActive(w));
        QCOMPARE(pixel(w, 400, 212), kWhite);
        QCOMPARE(inkAboveChart(w), 0);
        QVERIFY(w->Saisyo_flag);
        press(w->Cmd_large_yoko);
        QCOMPARE(pixel(w, 400, 212), kBlack);
    }

    // Two marks give one velocity: no line. One beep, nothing drawn, nothing stored.
    void fitRefusedWithTwoMarks_data() { bothKinds(); }
    void fitRefusedWithTwoMarks() {
        QFETCH(QString, kind);
        setMarks({{0, 0, 0}, {5, 1, 1}});
        GraphFrame* w = open(kind);
        QVERIFY(w);
        const QImage before = w->Picture1->image().copy();
        press(w->Cmd_最小2乗法);
        QCOMPARE(beeps_, 1);
        QCOMPARE(w->Picture1->image(), before);
        QCOMPARE(w->Saisyo_flag, VbFalse);
        QCOMPARE(w->Saisyo_ax, 0.0f);
        press(w->Cmd_large);
        QCOMPARE(inkAboveChart(w), 0);
    }

    void closeAndReopenStartsAfresh() {
        setMarks({{0, 0, 1}, {15, 5, 1}, {30, 15, 1}});
        QPointer<Form3> w = open<Form3>();
        QVERIFY(w);
        press(w->Cmd_最小2乗法);
        press(w->Cmd_large);
        press(w->Cmd_close);
        QTRY_VERIFY(w.isNull());
        Form3* again = open<Form3>();
        QVERIFY(again);
        QCOMPARE(again->Text1->text(), QStringLiteral("1"));
        QCOMPARE(again->Tate_bairitu, 1.0f);
        QCOMPARE(again->Saisyo_flag, VbFalse);
        press(again->Cmd_large_yoko);
        QCOMPARE(inkAboveChart(again), 0);
    }

    // Fitted lines that graze the frame from inside: a value just inside rounds onto it, so
    // the frame must be tested on the pixel that is set. Rows: slope and intercept of the
    // light-blue y fit crossing the top and the bottom rows slowly, and a steep one.
    void fitNeverPaintsTheFrame_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<float>("a");
        QTest::addColumn<float>("b");
        for (const auto& [kind, a, b] : {std::tuple{"st", 0.0f, 8.995f},
                                         {"st", 0.0f, -0.995f},
                                         {"st", 0.5f, -1.0f},
                                         {"vt", 1.0f, 99.5f},
                                         {"vt", -1.0f, -99.5f},
                                         {"vt", 6.75f, -2.25f}})
            QTest::newRow(qPrintable(QStringLiteral("%1 %2 %3").arg(kind).arg(a).arg(b)))
                << QString(kind) << a << b;
    }
    void fitNeverPaintsTheFrame() {
        QFETCH(QString, kind);
        QFETCH(float, a);
        QFETCH(float, b);
        setMarks({{0, 0, 0}});
        GraphFrame* w = open(kind);
        QVERIFY(w);
        w->Saisyo_flag = VbTrue;
        w->Saisyo_ay = a;
        w->Saisyo_by = b;
        int nearFrame = 0; // so that the rows really graze it
        for (float tate = 0.125f; tate <= 256; tate *= 2) {
            for (std::int16_t step : {1, 2, 3, 0, -1}) {
                w->Tate_bairitu = tate;
                w->Yoko_step = step;
                w->Yoko_bairitu = graphs::yokoBairitu(step);
                w->Graph_bairitu();
                for (int i = 50; i <= 600; ++i) {
                    const bool frameBlue =
                        pixel(w, i, 50) == kLightBlue || pixel(w, i, 410) == kLightBlue ||
                        (i <= 410 &&
                         (pixel(w, 50, i) == kLightBlue || pixel(w, 600, i) == kLightBlue));
                    QVERIFY2(!frameBlue, qPrintable(QStringLiteral("at %1, vertical %2, step %3")
                                                        .arg(i)
                                                        .arg(tate)
                                                        .arg(step)));
                    nearFrame += pixel(w, i, 51) == kLightBlue || pixel(w, i, 409) == kLightBlue;
                }
            }
        }
        QVERIFY(nearFrame > 0);
    }

    // Ctrl+C and the chart's context menu copy what the window plots; the picture item the
    // chart as shown. Copying reads the table and changes or draws nothing.
    void copyTheTableAndTheChart_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("marks");
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<QString>("table");
        const QString st = "番号\tフレーム\t時間 t [s]\tx [単位長]\ty [単位長]\n"
                           "1\t0\t0\t5\t1\n2\t15\t0.5\t2\t4\n3\t30\t1\t4\t2\n";
        const QString vt = "区間\t時間 t [s]\tvx [単位長/s]\tvy [単位長/s]\n"
                           "1\t0.25\t-6\t6\n2\t0.75\t4\t-4\n";
        const QString fit = "\n加速度 ax [単位長/s²]\t20\n加速度 ay [単位長/s²]\t-20\n";
        QTest::newRow("s-t, Ctrl+C") << "st" << 3 << false << false << st;
        QTest::newRow("s-t fitted, menu") << "st" << 3 << true << true << st + fit;
        QTest::newRow("v-t, menu") << "vt" << 3 << false << true << vt;
        QTest::newRow("v-t fitted, Ctrl+C") << "vt" << 3 << true << false << vt + fit;
        QTest::newRow("s-t, no mark")
            << "st" << 0 << false << false << st.section(u'\n', 0, 0) + '\n';
        QTest::newRow("v-t, one mark")
            << "vt" << 1 << false << true << vt.section(u'\n', 0, 0) + '\n';
    }
    void copyTheTableAndTheChart() {
        QFETCH(QString, kind);
        QFETCH(int, marks);
        QFETCH(bool, fitted);
        QFETCH(bool, byMenu);
        QFETCH(QString, table);
        QTemporaryDir folder;
        const QString wasCurrent = QDir::currentPath();
        QDir::setCurrent(folder.path());
        const std::vector<Mark> three = {{0, 5, 1}, {15, 2, 4}, {30, 4, 2}};
        setMarks({three.begin(), three.begin() + marks});
        GraphFrame* w = open(kind);
        QVERIFY(w);
        if (fitted)
            press(w->Cmd_最小2乗法);
        const auto series = std::make_tuple(Module1::VelX, Module1::VelY, Module1::TimeT);
        const QImage chart = w->Picture1->image().copy();
        QClipboard* clipboard = QGuiApplication::clipboard();
        for (int copy = 0; copy < 2; ++copy) { // twice gives the same
            clipboard->clear();
            if (byMenu)
                chooseFromChartMenu(w, QStringLiteral("データをコピー"));
            else
                QTest::keyClick(w, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(clipboard->text(), table);
            QVERIFY(clipboard->mimeData()->hasFormat(QStringLiteral("text/plain")));
        }
        chooseFromChartMenu(w, QStringLiteral("グラフをコピー"));
        QCOMPARE(clipboard->image().convertToFormat(chart.format()), chart);
        QImage png;
        QVERIFY(png.loadFromData(clipboard->mimeData()->data(QStringLiteral("image/png")), "PNG"));
        QCOMPARE(png.convertToFormat(chart.format()), chart);
        QCOMPARE(std::make_tuple(Module1::VelX, Module1::VelY, Module1::TimeT), series);
        QCOMPARE(w->Picture1->image(), chart);
        QDir::setCurrent(wasCurrent);
        QVERIFY(QDir(folder.path()).isEmpty()); // no file written
    }

    // Marks erased while the window is open: a redraw shows the empty chart only, by
    // activation or by zoom, fit or no fit.
    void noMarksLeavesEmptyChart_data() { bothKinds(); }
    void noMarksLeavesEmptyChart() {
        QFETCH(QString, kind);
        setMarks({{0, 1, 1}, {3, 2, 2}, {6, 3, 4}});
        GraphFrame* w = open(kind);
        QVERIFY(w);
        press(w->Cmd_最小2乗法);
        Module1::MarkCount = 0;
        QWidget* other = windows_.emplace_back(new QWidget).data();
        toolkit::watchActivation(other, [] {});
        QVERIFY(support::showActive(other));
        QVERIFY(support::showActive(w));
        const QImage activated = w->Picture1->image().copy();
        press(w->Cmd_small_yoko);
        const QImage zoomed = w->Picture1->image().copy();
        auto* st = dynamic_cast<Form3*>(w);
        st ? st->Zahyo_st() : static_cast<Form2*>(w)->Zahyo_vt();
        QCOMPARE(zoomed, w->Picture1->image());
        press(w->Cmd_large_yoko);
        QCOMPARE(activated, w->Picture1->image());
    }
};

QTEST_MAIN(GraphWindowsTest)
#include "test_graph_windows.moc"
