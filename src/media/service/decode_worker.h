#pragma once

#include "media/service/decoding/picture_source.h"
#include "media/service/pictures/frame_cache.h"
#include "media/service/pictures/grey_picture.h"
#include "media/service/pictures/picture_pool.h"
#include "media/service/pictures/picture_scaler.h"
#include "media/service/playback_clock.h"

#include <QImage>
#include <QRect>
#include <QSize>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace media::service {

// Seams for tests, set while no device is open: a fault planted in the scaling of pictures,
// word (on the worker's thread) that a worker has nothing left to do, a playback that is
// always behind its clock, and a decoder that takes its time over every picture.
struct WorkerSeams {
    std::function<bool()> scalingFails;
    std::function<void()> idle;
    std::function<bool()> behind;
    std::function<void()> decoding;
};
WorkerSeams& workerSeams();

// The picture a device shows: the destination as the video window paints it.
struct ShownPicture {
    std::uint64_t generation = 0;
    std::int64_t slot = 0;
    QImage frame;
};

// Owns the decoder on a thread of its own. The device hands it what to show (a position,
// or playing from a position) and returns at once; the worker decodes, keeps pictures at
// display size in a cache around the one shown, and hands each picture to `present` (on a
// thread of the worker's; the device forwards it to the window). Only the latest request
// counts, so a burst of seeks costs one. While playing, pictures are made ahead of their time
// and a second thread presents each when it is due, so that a slow picture (a 4K keyframe)
// does not hold up the ones already made.
class DecodeWorker {
  public:
    using Present = std::function<void(const ShownPicture&)>;

    DecodeWorker(std::unique_ptr<VideoDecoder> decoder, QSize destination, Present present);
    ~DecodeWorker();
    DecodeWorker(const DecodeWorker&) = delete;
    DecodeWorker& operator=(const DecodeWorker&) = delete;

    std::int64_t length() const { return length_; }

    // Shows the picture at `slot`, clamped to 0..length: the length is the end position,
    // which shows the last picture. Stops playing. A step back keeps every picture decoded
    // on the way, since the next steps will want them.
    void show(std::int64_t slot, bool stepBack = false);
    // Plays from the position now shown, at the file's own rate.
    void play();
    // Stops playing on the picture now shown.
    void stop();
    void setDestination(QSize destination);

    bool playing() const;
    // The position shown, or while playing the position last presented. Cheap.
    std::int64_t position() const;
    // Waits until the picture for the latest request is ready and returns it.
    ShownPicture waitForPicture();

    // While on, the pictures decoded are kept at full size too, the last few of them, so
    // that an object can be followed in them.
    void keepFullPictures(bool on);
    // The picture shown, at the video's own size, upright and grey, and where it lies in the
    // destination. Waits for it, and decodes it again where it was not kept.
    struct FullPicture {
        QImage grey;
        QRect shownAt;
    };
    FullPicture fullPicture();

  private:
    // Pictures decoded ahead of the one shown, so that a forward step finds its picture ready.
    static constexpr int kAhead = 2;
    // Work that moves the decoder away from the forward path waits until the user has paused
    // this long, so that steps in quick succession do not wait behind it.
    static constexpr auto kGrace = std::chrono::milliseconds(40);

    enum class Mode { Show, Play };
    struct Request {
        std::uint64_t generation = 0;
        Mode mode = Mode::Show;
        std::int64_t slot = 0;
        bool stepBack = false;
        // Only re-presents what is there (open, a new size): waits out a burst of commands
        // unless someone waits for the picture.
        bool lazy = false;
        QSize destination;
        // Made on the UI thread with the destination, used by the worker only.
        std::shared_ptr<PictureScaler> scaler;
        std::shared_ptr<PicturePool> pool;
        PlaybackClock::Clock::time_point issued;
    };

    // A picture made ahead while playing, composed for the window.
    struct Queued {
        std::uint64_t generation = 0;
        std::int64_t slot = 0;
        QImage frame;
        PlaybackClock::Clock::time_point due;
        // Shown after this, it would be more than a frame period late.
        PlaybackClock::Clock::time_point deadline;
        bool last = false; // the end of the video, shown however late
    };

    void run();
    void presentInTime();
    void serveShow(const Request& request);
    void servePlay(const Request& request);
    // False after waiting while the pictures made ahead are enough.
    bool roomToPlayAhead(const Request& request);
    void queueForPlay(const Request& request, std::int64_t slot, const QImage& picture);
    // While playing: shown after this, the picture at `slot` would be more than a frame late.
    PlaybackClock::Clock::time_point deadline(std::int64_t slot) const;
    // Whether the window has stood still so long that a late picture is better than none
    // (with the lock held).
    bool standingStill(PlaybackClock::Clock::time_point now, std::uint64_t generation) const;
    bool idleWork(const Request& request);
    bool fillAhead(int shown, bool paused);
    bool fillBehind(int shown, bool paused);
    // Keeps a picture made while idle; false when it cannot be, and then filling stops.
    bool keepOrGiveUp(int rank, const AVFrame* frame, int shown);
    // Decodes the next picture on the way to `rank`, starting anew when that is cheaper.
    std::optional<PictureSource::Picture> decodeToward(int rank);
    QImage scaledPicture(const AVFrame* frame);
    // A picture at full size, kept while that is asked for (worker thread).
    void keepFull(int rank, const AVFrame* frame);
    // Decodes the full-size picture a caller waits for, when it was not kept.
    bool serveFullPicture();
    // A caller waits for a full-size picture that is not kept (with the lock held).
    bool fullMissing() const;
    void keep(int rank, const QImage& picture);
    void publish(const Request& request, std::int64_t slot, const QImage& picture);
    void applyDestination(const Request& request);
    // The scaler and the picture memory for a destination, set up ahead of use, the scaler
    // warmed up on the first picture when asked. Called with the lock held, or before the
    // worker runs.
    void prepareDestination(Request& request, QSize destination, bool warmUp);
    std::size_t cacheBudget(QSize picture) const;
    void issue(Request& request);
    // Once the pictures made ahead are shown; at the position last shown where `slot` < 0.
    void finishPlaying(const Request& request, std::int64_t slot);
    void catchUp(bool behind);

    PictureSource source_;
    const std::int64_t length_;
    const QSize naturalSize_;
    const QSizeF shape_;
    const DisplayTransform transform_;
    const double fps_;
    Present present_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    Request request_;
    ShownPicture shown_;
    std::uint64_t servedAhead_ = 0; // a request the caller answered from the cache
    bool quit_ = false;
    // Full-size pictures by rank, the newest last, and the one a caller waits for (-1: none).
    std::atomic<bool> keepingFull_{false};
    std::deque<std::pair<int, QImage>> fullKept_;
    int fullWanted_ = -1;
    // Made ahead for the request now playing, in the order they are due.
    std::deque<Queued> playQueue_;
    std::condition_variable presenting_;
    PlaybackClock::Clock::time_point shownDue_; // when the picture shown last was due

    // Written by the worker only, holding cacheMutex_; the callers' thread reads them under it.
    mutable std::mutex cacheMutex_;
    FrameCache cache_;
    std::shared_ptr<PicturePool> pool_;

    // Worker thread only.
    QSize cacheDestination_;
    QSize pictureSize_;
    QImage stored_; // a picture as stored, before it is turned upright
    std::shared_ptr<PictureScaler> scaler_;
    GreyPicture grey_;
    std::uint64_t served_ = 0;
    int anchor_ = 0;
    int behindWindow_ = 0;
    int idleBlockedAt_ = -1; // the shown rank for which filling made no progress
    std::unique_ptr<PlaybackClock> clock_;
    std::uint64_t clockGeneration_ = 0;
    std::int64_t queuedSlot_ = -1; // the position made ahead last while playing
    // Playback fell behind and skips pictures no other refers to; the pictures standing in
    // for them are not kept, and the decoder's place is forgotten once playing stops.
    bool catchingUp_ = false;
    bool skippedSome_ = false;

    std::thread thread_;
    std::thread presenter_;
};

} // namespace media::service
