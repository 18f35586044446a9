#include "main_window/form1.h"
#include "main_window/ruler_geometry.h"
#include "toolkit/fonts.h"
#include "toolkit/picture_box.h"

#include <QPainter>
#include <QTest>
#include <memory>

using rulers::RulerItem;

namespace {

const QColor kBlack(0, 0, 0);
const QColor kWhite(255, 255, 255);

std::vector<RulerItem> ofKind(const std::vector<RulerItem>& items, RulerItem::Kind kind) {
    std::vector<RulerItem> out;
    for (const RulerItem& item : items) {
        if (item.kind == kind) {
            out.push_back(item);
        }
    }
    return out;
}

// Renders a label the way the ruler area prints text, onto white, and compares the area
// around it with what the ruler area shows.
bool showsLabel(const toolkit::PictureBox& box, int x, int y, const QString& text) {
    QImage expected(box.image().size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    QFont font = box.font();
    font.setPointSizeF(box.fontSize());
    font.setStyleStrategy(QFont::NoAntialias);
    {
        QPainter painter(&expected);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(x, y + QFontMetricsF(font, &expected).ascent()), text);
    }
    const QRect area = QRect(x, y, 30, 16).intersected(expected.rect());
    return box.image().copy(area) == expected.copy(area);
}

} // namespace

class TestRulers : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { toolkit::setApplicationFont(); }
    void init();
    void cleanup() { form_.reset(); }

    void seriesRunWhileTheCoordinateIsAtLeastOne();
    void itemsComeInDrawingOrder();
    void labelValues_data();
    void labelValues();
    void tickPixels_data();
    void tickPixels();
    void frameIsTwoPixelsWide();
    void labelsAreDrawn_data();
    void labelsAreDrawn();
    void scaleDrawDoesNotClearAndLeavesPlainDrawingState();

  private:
    std::unique_ptr<Form1> form_;
};

void TestRulers::init() {
    form_ = std::make_unique<Form1>();
    form_->show();
    form_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form_.get()));
}

void TestRulers::seriesRunWhileTheCoordinateIsAtLeastOne() {
    const auto items = rulers::rulerItems(316, 236, VbFalse, VbFalse);
    const auto lines = ofKind(items, RulerItem::Kind::Line);
    const auto texts = ofKind(items, RulerItem::Kind::Text);
    // Bottom: 79 small (316 .. 4), 8 unit (316 .. 36), 16 half (316 .. 16);
    // right: 59 small (236 .. 4), 6 unit (236 .. 36), 12 half (236 .. 16).
    QCOMPARE(static_cast<int>(lines.size()), 79 + 8 + 16 + 59 + 6 + 12);
    QCOMPARE(static_cast<int>(texts.size()), 8 + 6);
    QCOMPARE(lines[78], (RulerItem{RulerItem::Kind::Line, 4, 236, 4, 250, {}}));
    QCOMPARE(texts.front().x1, 314);
    QCOMPARE(texts[7].x1, 34);
    QCOMPARE(texts[7].y1, 266);
    QCOMPARE(texts[8].x1, 346);
    QCOMPARE(texts[8].y1, 231);
    QCOMPARE(texts[13].y1, 31);
}

void TestRulers::itemsComeInDrawingOrder() {
    const auto items = rulers::rulerItems(316, 236, VbFalse, VbFalse);
    // small ticks, unit ticks, labels, half ticks; bottom first, then right.
    QCOMPARE(items[0], (RulerItem{RulerItem::Kind::Line, 316, 236, 316, 250, {}}));
    QCOMPARE(items[79], (RulerItem{RulerItem::Kind::Line, 316, 236, 316, 258, {}}));
    QCOMPARE(items[87].kind, RulerItem::Kind::Text);
    QCOMPARE(items[95], (RulerItem{RulerItem::Kind::Line, 316, 236, 316, 254, {}}));
    QCOMPARE(items[111], (RulerItem{RulerItem::Kind::Line, 316, 236, 330, 236, {}}));
    QCOMPARE(items[170], (RulerItem{RulerItem::Kind::Line, 316, 236, 339, 236, {}}));
    QCOMPARE(items[176].kind, RulerItem::Kind::Text);
    QCOMPARE(items.back(), (RulerItem{RulerItem::Kind::Line, 316, 16, 336, 16, {}}));
}

void TestRulers::labelValues_data() {
    QTest::addColumn<bool>("xRight");
    QTest::addColumn<bool>("yDown");
    QTest::addColumn<QStringList>("bottom");
    QTest::addColumn<QStringList>("right");
    const QStringList zeroToSeven = {"0", "1", "2", "3", "4", "5", "6", "7"};
    const QStringList eightToOne = {"8", "7", "6", "5", "4", "3", "2", "1"};
    const QStringList zeroToFive = {"0", "1", "2", "3", "4", "5"};
    const QStringList sixToOne = {"6", "5", "4", "3", "2", "1"};
    QTest::newRow("default") << false << false << zeroToSeven << zeroToFive;
    QTest::newRow("x flipped") << true << false << eightToOne << zeroToFive;
    QTest::newRow("y flipped") << false << true << zeroToSeven << sixToOne;
    QTest::newRow("both flipped") << true << true << eightToOne << sixToOne;
}

void TestRulers::labelValues() {
    QFETCH(bool, xRight);
    QFETCH(bool, yDown);
    QFETCH(QStringList, bottom);
    QFETCH(QStringList, right);
    const auto texts = ofKind(rulers::rulerItems(316, 236, toVbBool(xRight), toVbBool(yDown)),
                              RulerItem::Kind::Text);
    QStringList got;
    for (const RulerItem& t : texts) {
        got << t.text;
    }
    QCOMPARE(got, bottom + right);
}

void TestRulers::tickPixels_data() {
    QTest::addColumn<QPoint>("lastInk");    // the tick's last black pixel
    QTest::addColumn<QPoint>("firstPaper"); // the white pixel just beyond it
    QTest::newRow("leftmost small bottom tick") << QPoint(4, 249) << QPoint(4, 250);
    QTest::newRow("small bottom tick") << QPoint(312, 249) << QPoint(312, 250);
    QTest::newRow("half-unit bottom tick") << QPoint(296, 253) << QPoint(296, 254);
    QTest::newRow("unit bottom tick, 22 long") << QPoint(36, 257) << QPoint(36, 258);
    QTest::newRow("topmost small right tick") << QPoint(329, 4) << QPoint(330, 4);
    QTest::newRow("half-unit right tick") << QPoint(335, 216) << QPoint(336, 216);
    QTest::newRow("unit right tick, 23 long") << QPoint(338, 36) << QPoint(339, 36);
    QTest::newRow("between bottom ticks") << QPoint(4, 240) << QPoint(3, 240);
    QTest::newRow("between right ticks") << QPoint(320, 4) << QPoint(320, 3);
}

void TestRulers::tickPixels() {
    QFETCH(QPoint, lastInk);
    QFETCH(QPoint, firstPaper);
    const toolkit::PictureBox* p2 = form_->Picture2;
    QCOMPARE(p2->pixelColor(lastInk.x(), lastInk.y()), kBlack);
    QCOMPARE(p2->pixelColor(firstPaper.x(), firstPaper.y()), kWhite);
}

void TestRulers::frameIsTwoPixelsWide() {
    const toolkit::PictureBox* p2 = form_->Picture2;
    QCOMPARE(p2->pixelColor(316, 100), kBlack);
    QCOMPARE(p2->pixelColor(315, 100), kBlack);
    QCOMPARE(p2->pixelColor(314, 100), kWhite);
    QCOMPARE(p2->pixelColor(102, 236), kBlack);
    QCOMPARE(p2->pixelColor(102, 235), kBlack);
    QCOMPARE(p2->pixelColor(102, 237), kWhite);
    QCOMPARE(p2->pixelColor(0, 100), kBlack);
    QCOMPARE(p2->pixelColor(100, 0), kBlack);
    QCOMPARE(p2->pixelColor(100, 100), kWhite); // not filled
}

void TestRulers::labelsAreDrawn_data() {
    QTest::addColumn<bool>("flipX");
    QTest::addColumn<bool>("flipY");
    QTest::newRow("default") << false << false;
    QTest::newRow("flipped") << true << true;
}

void TestRulers::labelsAreDrawn() {
    QFETCH(bool, flipX);
    QFETCH(bool, flipY);
    form_->XAxisRight = toVbBool(flipX);
    form_->YAxisDown = toVbBool(flipY);
    form_->Picture2->clear();
    form_->scale_draw();
    for (int i = 0; i < 8; ++i) {
        const QString text = QString::number(flipX ? 8 - i : i);
        QVERIFY2(showsLabel(*form_->Picture2, 316 - 40 * i - 2, 266, text), qPrintable(text));
    }
    for (int i = 0; i < 6; ++i) {
        const QString text = QString::number(flipY ? 6 - i : i);
        QVERIFY2(showsLabel(*form_->Picture2, 346, 236 - 40 * i - 5, text), qPrintable(text));
    }
    // A wrong label is told apart: the test itself can fail.
    QVERIFY(!showsLabel(*form_->Picture2, 314, 266, flipX ? "0" : "8"));
}

void TestRulers::scaleDrawDoesNotClearAndLeavesPlainDrawingState() {
    toolkit::PictureBox* p2 = form_->Picture2;
    p2->setPixel(100, 100, QColor(255, 0, 0));
    p2->setDrawMode(toolkit::DrawMode::XorPen);
    p2->setFillStyle(toolkit::FillStyle::Solid);
    p2->setDrawWidth(3);
    form_->scale_draw();
    QCOMPARE(p2->pixelColor(100, 100), QColor(255, 0, 0));
    QCOMPARE(p2->drawMode(), toolkit::DrawMode::CopyPen);
    QCOMPARE(p2->fillStyle(), toolkit::FillStyle::Transparent);
    QCOMPARE(p2->drawWidth(), 1);
    // Drawn twice in copy mode, the ticks stay black (XOR would have removed them).
    QCOMPARE(p2->pixelColor(36, 257), kBlack);
}

QTEST_MAIN(TestRulers)
#include "test_rulers.moc"
