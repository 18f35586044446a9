#include "media/service/decode_worker.h"

#include "media/service/pictures/display_transform.h"
#include "media/service/pictures/picture_fit.h"

extern "C" {
#include <libavutil/frame.h>
}

#include <algorithm>

namespace media::service {

namespace {

using Clock = PlaybackClock::Clock;

// Decoded pictures are kept at display size, so two GOPs of 250 pictures at 320 x 180 fit;
// shorter GOPs take less (a 4K phone video's decoder needs the memory).
constexpr std::size_t kCacheBudget = 112u * 1024u * 1024u;
// After a seek only the pictures just before the target are scaled and kept; the rest of
// the GOP behind it is filled in when the user pauses.
constexpr int kKeptBeforeSeek = 16;

} // namespace

DecodeWorker::DecodeWorker(std::unique_ptr<VideoDecoder> decoder, QSize destination,
                           Present present)
    : source_(std::move(decoder)), length_(std::max<std::int64_t>(source_.index().length(), 1)),
      naturalSize_(destination), shape_(source_.decoder().displaySize()),
      transform_(source_.decoder().transform()), fps_(source_.decoder().framesPerSecond()),
      present_(std::move(present)), cache_(kCacheBudget) {
    request_.generation = 1;
    request_.lazy = true;
    prepareDestination(request_, destination, false); // the file's own size: seldom shown
    request_.issued = Clock::now();
    thread_ = std::thread([this] { run(); });
    presenter_ = std::thread([this] { presentInTime(); });
}

DecodeWorker::~DecodeWorker() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    changed_.notify_all();
    presenting_.notify_all();
    if (thread_.joinable())
        thread_.join();
    if (presenter_.joinable())
        presenter_.join();
}

void DecodeWorker::issue(Request& request) {
    request.generation = request_.generation + 1;
    request.issued = Clock::now();
    request_ = request;
    // Pictures made ahead belong to the request they were made for.
    playQueue_.clear();
    presenting_.notify_all();
}

std::int64_t DecodeWorker::position() const {
    std::lock_guard lock(mutex_);
    if (request_.mode == Mode::Play && shown_.generation == request_.generation)
        return shown_.slot;
    return request_.slot;
}

bool DecodeWorker::playing() const {
    std::lock_guard lock(mutex_);
    return request_.mode == Mode::Play;
}

void DecodeWorker::show(std::int64_t slot, bool stepBack) {
    {
        std::lock_guard lock(mutex_);
        Request request = request_;
        request.mode = Mode::Show;
        request.slot = std::clamp<std::int64_t>(slot, 0, length_);
        request.stepBack = stepBack;
        request.lazy = false;
        issue(request);
        // A picture already made is shown at once, whatever the worker is busy decoding.
        QImage kept;
        {
            std::lock_guard cacheLock(cacheMutex_);
            if (request.pool == pool_)
                if (const QImage* found = cache_.find(source_.index().rankAtSlot(request.slot)))
                    kept = *found;
        }
        if (!kept.isNull()) {
            shown_ = {request.generation, request.slot,
                      composedFrame(kept, shape_, request.destination)};
            servedAhead_ = request.generation;
            // Handed on under the lock: the window gets pictures in the order they were shown.
            if (present_)
                present_(shown_);
        }
    }
    changed_.notify_all();
}

void DecodeWorker::play() {
    {
        std::lock_guard lock(mutex_);
        if (request_.mode == Mode::Play)
            return;
        Request request = request_;
        request.mode = Mode::Play;
        request.stepBack = false;
        issue(request);
    }
    changed_.notify_all();
}

void DecodeWorker::stop() {
    {
        std::lock_guard lock(mutex_);
        if (request_.mode != Mode::Play)
            return;
        Request request = request_;
        if (shown_.generation == request_.generation)
            request.slot = shown_.slot;
        request.mode = Mode::Show;
        request.stepBack = false;
        issue(request);
    }
    changed_.notify_all();
}

void DecodeWorker::setDestination(QSize destination) {
    {
        std::lock_guard lock(mutex_);
        Request request = request_;
        if (request_.mode == Mode::Play && shown_.generation == request_.generation)
            request.slot = shown_.slot;
        prepareDestination(request, destination, true);
        request.lazy = request_.mode == Mode::Show;
        issue(request);
    }
    changed_.notify_all();
}

ShownPicture DecodeWorker::waitForPicture() {
    std::unique_lock lock(mutex_);
    if (request_.lazy) {
        request_.lazy = false;
        changed_.notify_all();
    }
    // The worker always answers a request, with a black frame when it cannot decode; the
    // time limit only guards against a decoder that never returns.
    changed_.wait_for(lock, std::chrono::seconds(20),
                      [this] { return quit_ || shown_.generation == request_.generation; });
    return shown_;
}

void DecodeWorker::run() {
    while (true) {
        Request request;
        bool servedAhead = false;
        {
            std::lock_guard lock(mutex_);
            if (quit_)
                return;
            request = request_;
            servedAhead = servedAhead_ == request.generation;
        }
        if (servedAhead && served_ != request.generation) { // shown from the cache already
            anchor_ = source_.index().rankAtSlot(request.slot);
            served_ = request.generation;
        }
        if (request.destination != cacheDestination_ || request.pool != pool_)
            applyDestination(request);
        if (request.mode == Mode::Play) {
            servePlay(request);
            continue;
        }
        if (skippedSome_) { // pictures were left out: no stand-in for them may be kept
            catchUp(false);
            skippedSome_ = false;
            source_.forget();
        }
        const bool waitingOut = request.lazy && Clock::now() < request.issued + kGrace;
        if (served_ != request.generation && !waitingOut) {
            serveShow(request);
            continue;
        }
        if (serveFullPicture())
            continue;
        if (idleWork(request))
            continue;
        std::unique_lock lock(mutex_);
        const auto stillCurrent = [&] {
            return quit_ || request_.generation != request.generation ||
                   request_.lazy != request.lazy || // someone now waits for the picture
                   fullMissing();
        };
        const auto graceEnd = request.issued + kGrace;
        if (Clock::now() < graceEnd) {
            changed_.wait_until(lock, graceEnd, stillCurrent);
        } else {
            if (workerSeams().idle)
                workerSeams().idle();
            changed_.wait(lock, stillCurrent);
        }
    }
}

void DecodeWorker::prepareDestination(Request& request, QSize destination, bool warmUp) {
    request.destination = destination;
    const QSize size = fittedRect(shape_, destination).size();
    // Scaled as stored, then turned upright.
    request.scaler = std::make_shared<PictureScaler>(storedSizeFor(size, transform_));
    const VideoDecoder::Geometry pictures = source_.decoder().geometry();
    request.scaler->prepare(pictures.width, pictures.height, pictures.format);
    // A scaler's first picture costs more than the others: that one falls here, not on a step.
    // (The worker lets go of the first picture only while holding the lock, as callers do.)
    if (const AVFrame* first = source_.decoder().firstPicture(); first && warmUp) {
        QImage scratch(request.scaler->size(), QImage::Format_RGB32);
        request.scaler->scale(first, scratch);
    }
    // Room for the cache and the few pictures on their way to the window.
    request.pool = PicturePool::create(size, cacheBudget(size) + 8u * 1024u * 1024u);
    request.pool->prepare();
}

std::size_t DecodeWorker::cacheBudget(QSize picture) const {
    const std::size_t bytes =
        static_cast<std::size_t>(picture.width()) * static_cast<std::size_t>(picture.height()) * 4u;
    return FrameCache::budgetFor(bytes, source_.index().longestGop(), kCacheBudget);
}

void DecodeWorker::applyDestination(const Request& request) {
    {
        std::lock_guard lock(cacheMutex_);
        cache_ =
            FrameCache(cacheBudget(transformedShape(request.scaler->size(), transform_).toSize()));
        cacheDestination_ = request.destination;
        pool_ = request.pool;
    }
    scaler_ = request.scaler;
    pictureSize_ = transformedShape(scaler_->size(), transform_).toSize();
    if (!transform_.isIdentity())
        stored_ = QImage(scaler_->size(), QImage::Format_RGB32);
    const auto pictureBytes = static_cast<std::size_t>(pictureSize_.width()) *
                              static_cast<std::size_t>(pictureSize_.height()) * 4u;
    const int room = cache_.capacity(pictureBytes) - kAhead - 4;
    behindWindow_ = std::clamp(2 * source_.index().longestGop(), 1, std::max(room, 1));
    idleBlockedAt_ = -1;
    served_ = 0;
}

WorkerSeams& workerSeams() {
    static WorkerSeams seams;
    return seams;
}

QImage DecodeWorker::scaledPicture(const AVFrame* frame) {
    if (workerSeams().scalingFails && workerSeams().scalingFails())
        return {};
    QImage picture = pool_->acquire();
    if (transform_.isIdentity())
        return scaler_->scale(frame, picture) ? picture : QImage();
    if (!scaler_->scale(frame, stored_))
        return {};
    transformInto(stored_, transform_, picture);
    return picture;
}

void DecodeWorker::keep(int rank, const QImage& picture) {
    if (picture.isNull())
        return;
    std::lock_guard lock(cacheMutex_);
    cache_.insert(rank, picture, anchor_);
}

void DecodeWorker::publish(const Request& request, std::int64_t slot, const QImage& picture) {
    ShownPicture shown{request.generation, slot,
                       composedFrame(picture, shape_, request.destination)};
    {
        std::lock_guard lock(mutex_);
        // The caller may have shown a newer request's picture from the cache meanwhile.
        if (shown.generation < shown_.generation)
            return;
        shown_ = shown;
        if (present_)
            present_(shown_);
    }
    changed_.notify_all();
}

std::optional<PictureSource::Picture> DecodeWorker::decodeToward(int rank) {
    const int continuing = source_.continuingCost(rank);
    if (continuing < 0 || continuing > source_.restartCost(rank)) {
        if (!source_.startAtFor(rank))
            return std::nullopt;
    }
    if (workerSeams().decoding)
        workerSeams().decoding();
    std::optional<PictureSource::Picture> picture = source_.next();
    if (picture && keepingFull_)
        keepFull(picture->rank, picture->frame);
    return picture;
}

void DecodeWorker::keepFullPictures(bool on) {
    keepingFull_ = on;
    if (!on) {
        std::lock_guard lock(mutex_);
        fullKept_.clear();
    }
}

void DecodeWorker::keepFull(int rank, const AVFrame* frame) {
    // A step of several frames and the pictures decoded ahead of it: a few are enough.
    constexpr std::size_t kFullKept = 4;
    QImage grey = grey_.upright(frame, transform_);
    std::lock_guard lock(mutex_);
    std::erase_if(fullKept_, [rank](const auto& kept) { return kept.first == rank; });
    fullKept_.emplace_back(rank, std::move(grey));
    while (fullKept_.size() > kFullKept)
        fullKept_.pop_front();
    if (rank == fullWanted_)
        changed_.notify_all();
}

DecodeWorker::FullPicture DecodeWorker::fullPicture() {
    if (!keepingFull_)
        return {};
    const ShownPicture shown = waitForPicture();
    const int rank = source_.index().rankAtSlot(shown.slot);
    const auto kept = [&] {
        return std::find_if(fullKept_.begin(), fullKept_.end(),
                            [rank](const auto& k) { return k.first == rank; });
    };
    std::unique_lock lock(mutex_);
    const QRect shownAt = fittedRect(shape_, request_.destination);
    if (kept() == fullKept_.end()) {
        fullWanted_ = rank;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::seconds(20), [&] {
            return quit_ || fullWanted_ != rank || kept() != fullKept_.end();
        });
        fullWanted_ = -1;
    }
    const auto found = kept();
    return {found != fullKept_.end() ? found->second : QImage(), shownAt};
}

bool DecodeWorker::fullMissing() const {
    return fullWanted_ >= 0 && keepingFull_ &&
           std::none_of(fullKept_.begin(), fullKept_.end(),
                        [this](const auto& k) { return k.first == fullWanted_; });
}

bool DecodeWorker::serveFullPicture() {
    int wanted = -1;
    {
        std::lock_guard lock(mutex_);
        if (!fullMissing())
            return false;
        wanted = fullWanted_;
    }
    for (;;) {
        const auto picture = decodeToward(wanted);
        if (!picture || picture->rank >= wanted) {
            std::lock_guard lock(mutex_);
            if (!picture || picture->rank > wanted)
                fullWanted_ = -1; // not to be had: the caller gets nothing
            changed_.notify_all();
            return true;
        }
    }
}

void DecodeWorker::serveShow(const Request& request) {
    const int rank = source_.index().rankAtSlot(request.slot);
    anchor_ = rank;
    if (const QImage* kept = cache_.find(rank)) {
        publish(request, request.slot, *kept);
        served_ = request.generation;
        return;
    }
    if (rank == 0 && source_.decoder().firstPicture()) {
        // Shown at every open: no need to decode it again.
        const QImage first = scaledPicture(source_.decoder().firstPicture());
        if (request.destination != naturalSize_) { // the size the window opened at
            std::lock_guard lock(mutex_);
            source_.decoder().letGoOfFirstPicture();
        }
        keep(0, first);
        publish(request, request.slot, first);
        served_ = request.generation;
        return;
    }
    const auto picture = decodeToward(rank);
    if (!picture) {
        // The stream ended before this picture (a damaged tail): show the nearest one before.
        QImage nearest;
        for (int r = rank - 1; r >= std::max(0, rank - behindWindow_) && nearest.isNull(); --r)
            if (const QImage* kept = cache_.find(r))
                nearest = *kept;
        publish(request, request.slot, nearest);
        served_ = request.generation;
        return;
    }
    const int keepFrom = request.stepBack ? rank - behindWindow_ : rank - kKeptBeforeSeek;
    if (picture->rank < keepFrom)
        return; // decoded only to reach the target
    const QImage scaled = scaledPicture(picture->frame);
    keep(picture->rank, scaled);
    if (picture->rank >= rank) {
        publish(request, request.slot, scaled);
        served_ = request.generation;
    }
}

} // namespace media::service
