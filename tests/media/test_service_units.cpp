// The service's plain parts: frame index, picture cache, picture fit, playback clock and
// error texts.
#include "media/service/error_codes.h"
#include "media/service/frame_cache.h"
#include "media/service/frame_index.h"
#include "media/service/picture_fit.h"
#include "media/service/picture_pool.h"
#include "media/service/playback_clock.h"

#include <QtTest>
#include <set>

using namespace media::service;

namespace {

// A GOP-4 stream: keyframes at file positions 0, 4, 8.
FrameIndex gopIndex(int pictures, std::vector<std::int64_t> positions = {},
                    std::int64_t length = 0) {
    std::vector<FrameIndex::Entry> entries;
    for (int i = 0; i < pictures; ++i) {
        const std::int64_t slot = positions.empty() ? i : positions[static_cast<std::size_t>(i)];
        entries.push_back({slot, slot, i % 4 == 0});
    }
    return FrameIndex(std::move(entries), length);
}

QImage picture(int width = 10, int height = 10) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return image;
}

} // namespace

class ServiceUnitsTest : public QObject {
    Q_OBJECT

  private slots:
    void keyframesAroundARank_data();
    void keyframesAroundARank();
    void emptyChunksShowThePictureBefore_data();
    void emptyChunksShowThePictureBefore();
    void lengthCoversTrailingEmptyChunks();
    void timestampsFindTheirPackets();
    void cacheEvictsTheFarthestPicture();
    void cacheRefusesAPictureThatWouldGoFirst();
    void cacheRunsAroundThePictureShown();
    void fittedRects_data();
    void fittedRects();
    void composedFrameHasBlackBars();
    void clockDropsRatherThanDrifts();
    void poolReusesTheSlotsOfDroppedPictures();
    void poolPicturesOutliveThePool();
    void everyCodeHasItsOwnText();
};

void ServiceUnitsTest::keyframesAroundARank_data() {
    QTest::addColumn<int>("rank");
    QTest::addColumn<int>("atOrBefore");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("next");
    QTest::newRow("first") << 0 << 0 << -1 << 4;
    QTest::newRow("inside the first GOP") << 3 << 0 << -1 << 4;
    QTest::newRow("on a keyframe") << 4 << 4 << 0 << 8;
    QTest::newRow("inside the last GOP") << 9 << 8 << 4 << 10;
}

void ServiceUnitsTest::keyframesAroundARank() {
    QFETCH(int, rank);
    QFETCH(int, atOrBefore);
    QFETCH(int, previous);
    QFETCH(int, next);
    const FrameIndex index = gopIndex(10);
    const int keyframe = index.keyframeAtOrBefore(rank);
    QCOMPARE(keyframe, atOrBefore);
    QCOMPARE(index.previousKeyframe(keyframe), previous);
    QCOMPARE(index.nextKeyframe(keyframe), next);
    QCOMPARE(index.longestGop(), 4);
}

void ServiceUnitsTest::emptyChunksShowThePictureBefore_data() {
    QTest::addColumn<int>("slot");
    QTest::addColumn<int>("rank");
    // Pictures at positions 0, 1, 2, 5, 6: positions 3 and 4 were dropped.
    QTest::newRow("before the gap") << 2 << 2;
    QTest::newRow("first dropped") << 3 << 2;
    QTest::newRow("second dropped") << 4 << 2;
    QTest::newRow("after the gap") << 5 << 3;
    QTest::newRow("last") << 6 << 4;
    QTest::newRow("past the end") << 99 << 4;
    QTest::newRow("before the start") << -3 << 0;
}

void ServiceUnitsTest::emptyChunksShowThePictureBefore() {
    QFETCH(int, slot);
    QFETCH(int, rank);
    const FrameIndex index = gopIndex(5, {0, 1, 2, 5, 6});
    QCOMPARE(index.rankAtSlot(slot), rank);
    QCOMPARE(index.length(), std::int64_t(7));
}

void ServiceUnitsTest::lengthCoversTrailingEmptyChunks() {
    QCOMPARE(gopIndex(5, {0, 1, 2, 3, 4}, 8).length(), std::int64_t(8));
    QCOMPARE(gopIndex(5, {0, 1, 2, 3, 4}, 2).length(), std::int64_t(5));
}

void ServiceUnitsTest::timestampsFindTheirPackets() {
    const FrameIndex index = gopIndex(5, {0, 1, 2, 5, 6});
    QCOMPARE(index.rankOfTimestamp(5), 3);
    QCOMPARE(index.rankOfTimestamp(0), 0);
    QCOMPARE(index.rankOfTimestamp(3), -1);
    QCOMPARE(index.rankOfTimestamp(7), -1);
    // Containers whose timestamps run out of order are read by byte offset.
    const FrameIndex byOffset({{0, 0, true, 100}, {9, 1, false, 250}, {3, 2, false, 400}}, 0);
    QCOMPARE(byOffset.rankOfOffset(250), 1);
    QCOMPARE(byOffset.rankOfOffset(400), 2);
    QCOMPARE(byOffset.rankOfOffset(300), -1);
    QCOMPARE(byOffset.rankOfOffset(-1), -1);
}

void ServiceUnitsTest::cacheEvictsTheFarthestPicture() {
    const std::size_t one = static_cast<std::size_t>(picture().sizeInBytes());
    FrameCache cache(3 * one);
    QVERIFY(cache.insert(10, picture(), 10));
    QVERIFY(cache.insert(11, picture(), 10));
    QVERIFY(cache.insert(4, picture(), 10));
    QVERIFY(cache.insert(9, picture(), 10)); // 4 is farthest from 10 and goes
    QVERIFY(!cache.contains(4));
    QVERIFY(cache.contains(9) && cache.contains(10) && cache.contains(11));
    QVERIFY(cache.bytes() <= cache.budget());
    QCOMPARE(cache.size(), std::size_t(3));
    QCOMPARE(cache.capacity(one), 3);
}

void ServiceUnitsTest::cacheRefusesAPictureThatWouldGoFirst() {
    const std::size_t one = static_cast<std::size_t>(picture().sizeInBytes());
    FrameCache cache(2 * one);
    QVERIFY(cache.insert(5, picture(), 5));
    QVERIFY(cache.insert(6, picture(), 5));
    QVERIFY(!cache.insert(20, picture(), 5));
    QVERIFY(!cache.contains(20));
    QVERIFY(cache.contains(5) && cache.contains(6));
    // Replacing a kept picture does not count it twice.
    QVERIFY(cache.insert(6, picture(), 5));
    QCOMPARE(cache.bytes(), 2 * one);
    QVERIFY(!cache.insert(1, picture(400, 400), 1)); // larger than the whole budget
}

void ServiceUnitsTest::cacheRunsAroundThePictureShown() {
    FrameCache cache(1u << 20);
    for (int rank : {3, 4, 5, 6, 8, 9})
        cache.insert(rank, picture(), 5);
    QCOMPARE(cache.keptDownFrom(5), 3);
    QCOMPARE(cache.keptUpFrom(5), 6);
    QCOMPARE(cache.keptDownFrom(7), 8); // missing itself
    QCOMPARE(cache.keptUpFrom(7), 6);
    QVERIFY(cache.find(8) != nullptr);
    QVERIFY(cache.find(7) == nullptr);
    cache.clear();
    QCOMPARE(cache.bytes(), std::size_t(0));
}

void ServiceUnitsTest::fittedRects_data() {
    QTest::addColumn<QSizeF>("shape");
    QTest::addColumn<QSize>("destination");
    QTest::addColumn<QRect>("expected");
    QTest::newRow("4:3 fills") << QSizeF(640, 480) << QSize(320, 240) << QRect(0, 0, 320, 240);
    QTest::newRow("small 4:3 grows")
        << QSizeF(160, 120) << QSize(320, 240) << QRect(0, 0, 320, 240);
    QTest::newRow("16:9 letterboxed")
        << QSizeF(1280, 720) << QSize(320, 240) << QRect(0, 30, 320, 180);
    QTest::newRow("portrait pillarboxed")
        << QSizeF(480, 640) << QSize(320, 240) << QRect(70, 0, 180, 240);
    QTest::newRow("480x360 at sample aspect 4:3")
        << QSizeF(480.0 * 4 / 3, 360) << QSize(320, 240) << QRect(0, 30, 320, 180);
    QTest::newRow("720x576 at sample aspect 16:11")
        << QSizeF(720.0 * 16 / 11, 576) << QSize(320, 240) << QRect(0, 32, 320, 176);
    QTest::newRow("empty picture") << QSizeF() << QSize(320, 240) << QRect(0, 0, 320, 240);
}

void ServiceUnitsTest::fittedRects() {
    QFETCH(QSizeF, shape);
    QFETCH(QSize, destination);
    QFETCH(QRect, expected);
    QCOMPARE(fittedRect(shape, destination), expected);
}

void ServiceUnitsTest::composedFrameHasBlackBars() {
    QImage inner(320, 180, QImage::Format_RGB32);
    inner.fill(Qt::white);
    const QImage frame = composedFrame(inner, QSizeF(1280, 720), QSize(320, 240));
    QCOMPARE(frame.size(), QSize(320, 240));
    QCOMPARE(frame.pixelColor(160, 29), QColor(Qt::black));
    QCOMPARE(frame.pixelColor(160, 30), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(0, 209), QColor(Qt::white));
    QCOMPARE(frame.pixelColor(319, 210), QColor(Qt::black));
    // With nothing decoded the window is black, not left undefined.
    QCOMPARE(composedFrame(QImage(), QSizeF(4, 3), QSize(8, 6)).pixelColor(4, 3),
             QColor(Qt::black));
}

void ServiceUnitsTest::clockDropsRatherThanDrifts() {
    using namespace std::chrono;
    const auto start = PlaybackClock::Clock::time_point{} + seconds(100);
    const PlaybackClock clock(40, 25.0, start);
    QCOMPARE(clock.dueSlot(start), std::int64_t(40));
    QCOMPARE(clock.dueSlot(start - milliseconds(5)), std::int64_t(40));
    QCOMPARE(clock.dueSlot(start + milliseconds(39)), std::int64_t(40));
    QCOMPARE(clock.dueSlot(start + milliseconds(40)), std::int64_t(41));
    // A late look jumps to the frame due now: frames in between are dropped.
    QCOMPARE(clock.dueSlot(start + seconds(10)), std::int64_t(290));
    QCOMPARE(clock.dueTime(41), start + milliseconds(40));
    QCOMPARE(clock.dueTime(290), start + seconds(10));
    // Each due time is counted from the start, so rounding never adds up.
    const PlaybackClock ntsc(0, 30000.0 / 1001.0, start);
    QCOMPARE(ntsc.dueSlot(ntsc.dueTime(30000)), std::int64_t(30000));
    QCOMPARE(ntsc.dueSlot(start + seconds(1001)), std::int64_t(30000));
}

void ServiceUnitsTest::everyCodeHasItsOwnText() {
    const std::vector<std::int32_t> codes = {
        kErrUnknownCommand,   kErrBadParameter,    kErrMissingParameter, kErrNoDevice,
        kErrAliasInUse,       kErrMissingFileName, kErrFileNotFound,     kErrNotVideo,
        kErrUnsupportedCodec, kErrCorruptFile,     kErrBadWindow,        kErrBadDeviceContext,
        kErrOutOfRange,       kErrOutOfMemory,     kErrCannotRead};
    std::set<std::string> texts;
    for (std::int32_t code : codes) {
        QVERIFY(code != kOk);
        const std::string text = errorMessage(code);
        QVERIFY(text.size() < 256);
        QVERIFY2(texts.insert(text).second, text.c_str());
    }
    QCOMPARE(std::string(errorMessage(kErrFileNotFound)),
             std::string("指定されたファイルが見つかりません。"));
    QVERIFY(!texts.count(errorMessage(12345)));
}

void ServiceUnitsTest::poolReusesTheSlotsOfDroppedPictures() {
    // One block holds many 100 x 100 pictures; a budget of one byte allows one block.
    auto pool = PicturePool::create(QSize(100, 100), 1);
    QImage first = pool->acquire();
    QCOMPARE(first.size(), QSize(100, 100));
    QCOMPARE(first.format(), QImage::Format_RGB32);
    first.fill(Qt::red);
    const uchar* slot = first.constBits();
    QImage copy = first; // copies share the slot
    QCOMPARE(pool->slotsInUse(), std::size_t(1));
    first = QImage();
    QCOMPARE(pool->slotsInUse(), std::size_t(1));
    copy = QImage();
    QCOMPARE(pool->slotsInUse(), std::size_t(0));
    QImage again = pool->acquire();
    QCOMPARE(again.constBits(), slot);

    // When the blocks are used up, pictures still come, from ordinary memory.
    std::vector<QImage> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(pool->acquire());
    QCOMPARE(pool->slotsInUse(), std::size_t(8 * 1024 * 1024 / 40000)); // one 8 MB block
    QCOMPARE(many.back().size(), QSize(100, 100));
    many.back().fill(Qt::blue);
    QCOMPARE(many.back().pixelColor(99, 99), QColor(Qt::blue));
}

void ServiceUnitsTest::poolPicturesOutliveThePool() {
    auto pool = PicturePool::create(QSize(8, 8), 1u << 20);
    QImage picture = pool->acquire();
    picture.fill(Qt::green);
    pool.reset(); // the worker that made it is gone; the window still shows it
    QCOMPARE(picture.pixelColor(7, 7), QColor(Qt::green));
    QImage painted = picture.copy();
    picture = QImage();
    QCOMPARE(painted.pixelColor(0, 0), QColor(Qt::green));
}

QTEST_MAIN(ServiceUnitsTest)
#include "test_service_units.moc"
