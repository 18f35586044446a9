#include "common/palette.h"
#include "toolkit/dialogs.h"
#include "toolkit/fonts.h"
#include "toolkit/handle_registry.h"
#include "toolkit/picture_box.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <memory>

using namespace toolkit;
using common::QBColor;

namespace {

// A picture area with a pattern in it, so that a restored image is a real test.
std::unique_ptr<PictureBox> patternedBox() {
    auto box = std::make_unique<PictureBox>();
    box->setOuterSize(64, 48);
    for (int y = 0; y < 44; ++y) {
        for (int x = 0; x < 60; ++x) {
            box->setPixel(x, y, QColor((x * 37) & 255, (y * 53) & 255, ((x + y) * 11) & 255));
        }
    }
    return box;
}

int countPixels(const QImage& image, const QColor& colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += image.pixelColor(x, y) == colour;
        }
    }
    return n;
}

} // namespace

class TestPictureBox : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { installFontSubstitutions(); }
    void clientAreaIsFourPixelsSmaller();
    void resizingKeepsWhatFits();
    void xorTwiceRestoresBitForBit();
    void xorLightYellowOnWhiteShowsLightBlue();
    void xorDotHasNoHollowRing();
    void copyDotUsesFillInsideOutlineColourOutside();
    void transparentFillDrawsOnlyTheOutline();
    void lineWidthAndStyle();
    void userScaleMapsOntoTheClientArea();
    void clearResetsToBackColourAndOrigin();
    void textLandsAtTheCurrentPosition();
    void paintImageIsClippedToTheClientArea();
    void mouseDownKeepsFractionsAndButtons();
    void handlesResolveUntilTheSurfaceGoes();
    void beepSeamCountsBeeps();
};

void TestPictureBox::clientAreaIsFourPixelsSmaller() {
    PictureBox box;
    box.setOuterGeometry(400, 40, 320, 240);
    QCOMPARE(box.geometry(), QRect(400, 40, 320, 240));
    QCOMPARE(box.clientSize(), QSize(316, 236));
    QCOMPARE(box.image().size(), QSize(316, 236));
    QCOMPARE(box.clientArea()->geometry(), QRect(2, 2, 316, 236));
}

void TestPictureBox::resizingKeepsWhatFits() {
    PictureBox box;
    box.setOuterSize(24, 24);
    box.setPixel(3, 4, Qt::red);
    box.setOuterSize(44, 34);
    QCOMPARE(box.image().size(), QSize(40, 30));
    QCOMPARE(box.pixelColor(3, 4), QColor(Qt::red));
    QCOMPARE(box.pixelColor(39, 29), QColor(Qt::white));
}

void TestPictureBox::xorTwiceRestoresBitForBit() {
    auto box = patternedBox();
    const QImage before = box->image().copy();
    box->setDrawMode(DrawMode::XorPen);
    box->setFillStyle(FillStyle::Solid);
    box->setFillColor(QBColor(14));
    box->setDrawWidth(2);
    auto drawAll = [&] {
        box->drawCircle(20.4, 17.6, 3, QBColor(14));
        box->drawCircle(58, 42, 3, QBColor(15)); // partly outside the image
        box->drawLine(0, 0, 59, 43, QBColor(9));
        box->drawBox(5, 5, 30, 20, QBColor(12));
        box->setPixel(1, 1, QBColor(10));
    };
    drawAll();
    QVERIFY(box->image() != before);
    drawAll();
    QCOMPARE(box->image(), before);
}

void TestPictureBox::xorLightYellowOnWhiteShowsLightBlue() {
    PictureBox box;
    box.setOuterSize(40, 40);
    box.setDrawMode(DrawMode::XorPen);
    box.setFillStyle(FillStyle::Solid);
    box.setFillColor(QBColor(14));
    box.drawCircle(10, 10, 3, QBColor(14));
    QCOMPARE(box.pixelColor(10, 10), QBColor(9));
    box.setFillColor(QBColor(15));
    box.drawCircle(25, 25, 3, QBColor(15));
    QCOMPARE(box.pixelColor(25, 25), QBColor(0));
}

void TestPictureBox::xorDotHasNoHollowRing() {
    PictureBox box;
    box.setOuterSize(40, 40);
    box.setDrawMode(DrawMode::XorPen);
    box.setFillStyle(FillStyle::Solid);
    box.setFillColor(QBColor(14));
    box.drawCircle(20, 20, 3, QBColor(14));
    // Every pixel of the 37-pixel dot shows the same colour, edge and centre alike.
    QCOMPARE(countPixels(box.image(), QBColor(9)), 37);
    QCOMPARE(box.pixelColor(23, 20), QBColor(9));
    QCOMPARE(box.pixelColor(24, 20), QBColor(15));
}

void TestPictureBox::copyDotUsesFillInsideOutlineColourOutside() {
    PictureBox box;
    box.setOuterSize(40, 40);
    box.setFillStyle(FillStyle::Solid);
    box.setFillColor(QBColor(12));
    box.drawCircle(20, 20, 3, QBColor(1));
    QCOMPARE(box.pixelColor(20, 20), QBColor(12));
    QCOMPARE(box.pixelColor(23, 20), QBColor(1));
    QCOMPARE(box.pixelColor(20, 17), QBColor(1));
    QCOMPARE(countPixels(box.image(), QBColor(12)) + countPixels(box.image(), QBColor(1)), 37);
}

void TestPictureBox::transparentFillDrawsOnlyTheOutline() {
    PictureBox box;
    box.setOuterSize(40, 40);
    box.setFillStyle(FillStyle::Transparent);
    box.drawCircle(20, 20, 3, QBColor(0));
    QCOMPARE(box.pixelColor(20, 20), QBColor(15));
    QCOMPARE(box.pixelColor(23, 20), QBColor(0));
}

void TestPictureBox::lineWidthAndStyle() {
    PictureBox box;
    box.setOuterSize(104, 24);
    box.drawLine(10, 5, 40, 5, QBColor(0));
    QCOMPARE(box.pixelColor(10, 5), QBColor(0));
    QCOMPARE(box.pixelColor(39, 5), QBColor(0));
    QCOMPARE(box.pixelColor(40, 5), QBColor(15)); // the end point is left out
    box.setDrawStyle(LineStyle::Dot);
    box.drawLine(10, 10, 40, 10, QBColor(0));
    QCOMPARE(box.pixelColor(12, 10), QBColor(0));
    QCOMPARE(box.pixelColor(13, 10), QBColor(15));
    QCOMPARE(box.pixelColor(16, 10), QBColor(0));
    box.setDrawStyle(LineStyle::Solid);
    box.setDrawWidth(2);
    box.drawLine(10, 15, 40, 15, QBColor(4));
    QCOMPARE(box.pixelColor(20, 14), QBColor(4));
    QCOMPARE(box.pixelColor(20, 15), QBColor(4));
    QCOMPARE(box.pixelColor(20, 16), QBColor(15));
}

void TestPictureBox::userScaleMapsOntoTheClientArea() {
    PictureBox box;
    box.setOuterSize(641, 465); // the chart's client area is 637 x 461
    box.setUserScale(0, 0, 637, 461);
    QCOMPARE(box.toPixel({50, 410}), QPointF(50, 410));
    box.drawLine(50, 410, 600, 410, QBColor(0));
    QCOMPARE(box.pixelColor(599, 410), QBColor(0));

    PictureBox half;
    half.setOuterSize(104, 54); // 100 x 50 client
    half.setUserScale(0, 0, 200, 100);
    QCOMPARE(half.toPixel({100, 50}), QPointF(50, 25));
    QCOMPARE(half.toUser({50, 25}), QPointF(100, 50));
    half.setFillStyle(FillStyle::Solid);
    half.setFillColor(QBColor(9));
    half.drawCircle(100, 50, 4, QBColor(9)); // radius in user x units: 2 pixels
    QCOMPARE(half.pixelColor(52, 25), QBColor(9));
    QCOMPARE(half.pixelColor(53, 25), QBColor(15));
    half.setPixelScale();
    QCOMPARE(half.toPixel({100, 50}), QPointF(100, 50));
}

void TestPictureBox::clearResetsToBackColourAndOrigin() {
    PictureBox box;
    box.setOuterSize(24, 24);
    box.setPixel(5, 5, QBColor(0));
    box.setCurrentX(7);
    box.setCurrentY(9);
    box.clear();
    QCOMPARE(box.pixelColor(5, 5), QBColor(15));
    QCOMPARE(box.currentX(), 0.0);
    QCOMPARE(box.currentY(), 0.0);
    box.setBackColor(QBColor(7));
    QCOMPARE(box.pixelColor(5, 5), QBColor(7));
}

void TestPictureBox::textLandsAtTheCurrentPosition() {
    PictureBox box;
    box.setOuterSize(104, 44);
    box.setFontSize(10);
    box.setForeColor(QBColor(0));
    box.setCurrentX(30);
    box.setCurrentY(8);
    box.printText(QStringLiteral("7"));

    // The same glyph drawn by hand at the same top-left corner gives the same pixels.
    QImage expected(box.image().size(), QImage::Format_RGB32);
    expected.fill(Qt::white);
    QFont font = box.font();
    font.setPointSizeF(10);
    font.setStyleStrategy(QFont::NoAntialias);
    {
        QPainter painter(&expected);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(QPointF(30, 8 + QFontMetricsF(font, &expected).ascent()),
                         QStringLiteral("7"));
    }
    QCOMPARE(box.image(), expected);
    QVERIFY(countPixels(box.image(), QBColor(0)) > 5);
    QCOMPARE(box.currentX(), 0.0);
    QVERIFY(box.currentY() > 8);
}

void TestPictureBox::paintImageIsClippedToTheClientArea() {
    PictureBox box;
    box.setOuterSize(320, 240);
    QImage frame(320, 240, QImage::Format_RGB32);
    frame.fill(QColor(10, 20, 30));
    frame.setPixelColor(315, 235, Qt::red);
    box.setDrawMode(DrawMode::XorPen); // painting a frame always copies
    box.paintImage(frame);
    QCOMPARE(box.image().size(), QSize(316, 236));
    QCOMPARE(box.pixelColor(0, 0), QColor(10, 20, 30));
    QCOMPARE(box.pixelColor(315, 235), QColor(Qt::red));
}

void TestPictureBox::mouseDownKeepsFractionsAndButtons() {
    PictureBox box;
    box.setOuterSize(320, 240);
    QSignalSpy spy(&box, &PictureBox::mouseDown);
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(36.25, 36.75), QPointF(36.25, 36.75),
                      Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
    QApplication::sendEvent(box.clientArea(), &right);
    QTest::mouseClick(box.clientArea(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 20));
    QCOMPARE(spy.count(), 2);
    QCOMPARE(spy[0][0].toInt(), 2);
    QCOMPARE(spy[0][1].toInt(), 1);
    QCOMPARE(spy[0][2].toFloat(), 36.25f);
    QCOMPARE(spy[0][3].toFloat(), 36.75f);
    QCOMPARE(spy[1][0].toInt(), 1);
    QCOMPARE(spy[1][2].toFloat(), 10.f);
    QCOMPARE(spy[1][3].toFloat(), 20.f);
}

void TestPictureBox::handlesResolveUntilTheSurfaceGoes() {
    auto a = std::make_unique<PictureBox>();
    PictureBox b;
    QVERIFY(a->hWnd() > 0 && a->hDC() > 0);
    QVERIFY(a->hWnd() != a->hDC() && a->hDC() != b.hDC() && a->hWnd() != b.hWnd());
    QCOMPARE(windowFromHandle(a->hWnd()), a->clientArea());
    QCOMPARE(surfaceFromDeviceContext(a->hDC()), a.get());
    QCOMPARE(surfaceFromDeviceContext(a->hWnd()), nullptr); // a window is not a DC
    QCOMPARE(windowFromHandle(0), nullptr);
    const auto dc = a->hDC();
    const auto wnd = a->hWnd();
    a.reset();
    QCOMPARE(surfaceFromDeviceContext(dc), nullptr);
    QCOMPARE(windowFromHandle(wnd), nullptr);
    QCOMPARE(surfaceFromDeviceContext(b.hDC()), &b);
}

void TestPictureBox::beepSeamCountsBeeps() {
    int beeps = 0;
    setBeepHandler([&] { ++beeps; });
    beep();
    beep();
    setBeepHandler(nullptr);
    QCOMPARE(beeps, 2);
}

QTEST_MAIN(TestPictureBox)
#include "test_picture_box.moc"
