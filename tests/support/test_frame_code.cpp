#include "videogen/frame_code.h"

#include <QPainter>
#include <QtTest>

// Reading frame numbers back from pictures that went through what the video area does to
// them: scaling, letterboxing and the 4-pixel clip of the measuring area.
class TestFrameCode : public QObject {
    Q_OBJECT
  private slots:
    void readsWhatWasPainted_data();
    void readsWhatWasPainted();
    void survivesScalingIntoTheVideoArea_data();
    void survivesScalingIntoTheVideoArea();
    void rejectsPicturesWithoutACode_data();
    void rejectsPicturesWithoutACode();
    void rejectsAFlippedCell();
};

void TestFrameCode::readsWhatWasPainted_data() {
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("n");
    QTest::newRow("tiny, zero") << QSize(16, 16) << 0;
    QTest::newRow("tiny, past 16 bits") << QSize(16, 16) << 40000;
    QTest::newRow("4:3, odd bits") << QSize(320, 240) << 0x55555;
    QTest::newRow("4:3, largest") << QSize(640, 480) << videogen::kMaxFrameCode;
    QTest::newRow("16:9") << QSize(1280, 720) << 251;
    QTest::newRow("odd size") << QSize(101, 77) << 12345;
}

void TestFrameCode::readsWhatWasPainted() {
    QFETCH(QSize, size);
    QFETCH(int, n);
    QImage frame(size, QImage::Format_RGB32);
    videogen::paintFrameCode(frame, n);
    QCOMPARE(videogen::readFrameCode(frame, frame.rect()), n);
}

void TestFrameCode::survivesScalingIntoTheVideoArea_data() {
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<QRect>("displayed");
    QTest::addColumn<int>("n");
    // Where the service puts each shape inside a 320 x 240 area.
    QTest::newRow("4:3 fills the area") << QSize(640, 480) << QRect(0, 0, 320, 240) << 77;
    QTest::newRow("16:9 letterboxed") << QSize(1280, 720) << QRect(0, 30, 320, 180) << 1001;
    QTest::newRow("square pillarboxed") << QSize(16, 16) << QRect(40, 0, 240, 240) << 39999;
    QTest::newRow("small one scaled up") << QSize(160, 120) << QRect(0, 0, 320, 240) << 3;
}

void TestFrameCode::survivesScalingIntoTheVideoArea() {
    QFETCH(QSize, frameSize);
    QFETCH(QRect, displayed);
    QFETCH(int, n);
    QImage frame(frameSize, QImage::Format_RGB32);
    videogen::paintFrameCode(frame, n);

    QImage area(320, 240, QImage::Format_RGB32);
    area.fill(Qt::black);
    {
        QPainter painter(&area);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(displayed, frame);
    }
    const QImage clipped = area.copy(0, 0, 316, 236);
    QCOMPARE(videogen::readFrameCode(clipped, displayed), n);
}

void TestFrameCode::rejectsPicturesWithoutACode_data() {
    QTest::addColumn<QImage>("image");
    QImage black(320, 240, QImage::Format_RGB32);
    black.fill(Qt::black);
    QImage grey(320, 240, QImage::Format_RGB32);
    grey.fill(QColor(128, 128, 128));
    QImage coded(320, 240, QImage::Format_RGB32);
    videogen::paintFrameCode(coded, 0x12345);
    QTest::newRow("black") << black;
    QTest::newRow("grey") << grey;
    QTest::newRow("upside down") << coded.mirrored(false, true);
    QTest::newRow("mirrored") << coded.mirrored(true, false);
    QTest::newRow("cut to the left half") << coded.copy(0, 0, 160, 240);
}

void TestFrameCode::rejectsPicturesWithoutACode() {
    QFETCH(QImage, image);
    QCOMPARE(videogen::readFrameCode(image, QRect(0, 0, 320, 240)), -1);
}

void TestFrameCode::rejectsAFlippedCell() {
    QImage frame(500, 500, QImage::Format_RGB32);
    videogen::paintFrameCode(frame, 6);
    // Cell (1, 0) carries the lowest bit: 500 px * (0.1 + 0.16 * 1.5) = 170.
    QCOMPARE(qGray(frame.pixel(170, 90)), 0);
    QPainter(&frame).fillRect(QRect(150, 70, 40, 40), Qt::white);
    QCOMPARE(videogen::readFrameCode(frame, frame.rect()), -1);
}

QTEST_GUILESS_MAIN(TestFrameCode)
#include "test_frame_code.moc"
