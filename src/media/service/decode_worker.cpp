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
// Pictures decoded ahead of the one shown, so that a forward step finds its picture ready.
constexpr int kAhead = 2;
// Work that moves the decoder away from the forward path waits until the user has paused
// this long, so that steps in quick succession do not wait behind it.
constexpr auto kGrace = std::chrono::milliseconds(40);
// While playing, a late picture is still shown when nothing was shown for this long.
constexpr auto kLongestFreeze = std::chrono::milliseconds(250);
// What handing a picture to the window takes, kept free within a frame period's lateness.
constexpr auto kHandOver = std::chrono::milliseconds(4);
// While playing, pictures are made at most this far ahead of their time, enough to ride out
// a 4K keyframe's decode, and no more of them than kPlayAheadMost and kPlayAheadBytes allow.
constexpr auto kLeadMost = std::chrono::milliseconds(250);
constexpr std::size_t kPlayAheadMost = 16;
constexpr std::size_t kPlayAheadBytes = 32u * 1024u * 1024u;
// Playback that fell behind skips pictures until it is this far ahead again.
constexpr auto kEnoughLead = std::chrono::milliseconds(150);

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
        if (idleWork(request))
            continue;
        std::unique_lock lock(mutex_);
        const auto stillCurrent = [&] {
            return quit_ || request_.generation != request.generation ||
                   request_.lazy != request.lazy; // someone now waits for the picture
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
    return source_.next();
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

void DecodeWorker::servePlay(const Request& request) {
    if (clockGeneration_ != request.generation || !clock_) {
        clock_ = std::make_unique<PlaybackClock>(request.slot, fps_, Clock::now());
        clockGeneration_ = request.generation;
        queuedSlot_ = request.slot - 1;
    }
    // The position after the one made last, or the one due when playback is behind.
    std::int64_t next =
        std::max(queuedSlot_ + 1, std::min(clock_->dueSlot(Clock::now()), length_ - 1));
    if (next > length_ - 1) {
        finishPlaying(request, length_);
        return;
    }
    if (!roomToPlayAhead(request))
        return;
    int rank = source_.index().rankAtSlot(next);
    // Catching up, the decoder has passed pictures it skipped: playback goes on from where
    // it stands rather than going back for them.
    if (const int ahead = source_.nextRank(); skippedSome_ && ahead > rank &&
                                              ahead < source_.index().pictureCount() &&
                                              !cache_.contains(rank)) {
        rank = ahead;
        next = source_.index().slotOfRank(ahead);
    }
    anchor_ = rank;
    QImage picture;
    if (const QImage* kept = cache_.find(rank)) {
        picture = *kept;
    } else {
        const auto decoded = decodeToward(rank);
        if (!decoded) {
            finishPlaying(request, -1);
            return;
        }
        const std::int64_t decodedSlot = source_.index().slotOfRank(decoded->rank);
        const auto now = Clock::now();
        // Pictures no other refers to are skipped from when playback has no lead left until
        // it is far enough ahead again.
        if (now + kHandOver >= clock_->dueTime(decodedSlot) ||
            (workerSeams().behind && workerSeams().behind()))
            catchUp(true);
        else if (clock_->dueTime(decodedSlot) - now >= kEnoughLead)
            catchUp(false);
        if (decoded->standIn && skippedSome_)
            return; // one that was skipped
        if (decoded->rank < rank) {
            if (decodedSlot <= queuedSlot_)
                return; // on the way to the picture wanted
            // Late by more than a frame: dropped unscaled, unless the window would freeze.
            if (now >= deadline(decodedSlot)) {
                std::lock_guard lock(mutex_);
                if (!standingStill(now, request.generation))
                    return;
            }
            next = decodedSlot;
            rank = decoded->rank;
        }
        picture = scaledPicture(decoded->frame);
        keep(decoded->rank, picture);
    }
    queueForPlay(request, next, picture);
}

bool DecodeWorker::roomToPlayAhead(const Request& request) {
    const std::size_t bytes = static_cast<std::size_t>(request.destination.width()) *
                              static_cast<std::size_t>(request.destination.height()) * 4u;
    const std::size_t most = std::clamp<std::size_t>(
        kPlayAheadBytes / std::max<std::size_t>(bytes, 1), 2, kPlayAheadMost);
    const auto leadEnds = clock_->dueTime(queuedSlot_) - kLeadMost;
    std::unique_lock lock(mutex_);
    const auto asked = [&] { return quit_ || request_.generation != request.generation; };
    if (playQueue_.size() >= most) {
        changed_.wait(lock, [&] { return asked() || playQueue_.size() < most; });
        return false;
    }
    if (Clock::now() < leadEnds) {
        changed_.wait_until(lock, leadEnds, asked);
        return false;
    }
    return true;
}

void DecodeWorker::queueForPlay(const Request& request, std::int64_t slot, const QImage& picture) {
    Queued queued{.generation = request.generation,
                  .slot = slot,
                  .frame = composedFrame(picture, shape_, request.destination),
                  .due = clock_->dueTime(slot),
                  .deadline = deadline(slot),
                  .last = slot >= length_ - 1};
    queuedSlot_ = slot;
    std::lock_guard lock(mutex_);
    if (request_.generation != request.generation)
        return;
    playQueue_.push_back(std::move(queued));
    presenting_.notify_all();
}

PlaybackClock::Clock::time_point DecodeWorker::deadline(std::int64_t slot) const {
    return clock_->dueTime(slot + 1) - kHandOver;
}

bool DecodeWorker::standingStill(Clock::time_point now, std::uint64_t generation) const {
    return shown_.generation != generation || now - shownDue_ >= kLongestFreeze;
}

void DecodeWorker::presentInTime() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
        if (playQueue_.empty()) {
            presenting_.wait(lock);
            continue;
        }
        Queued& head = playQueue_.front();
        const auto now = Clock::now();
        if (now < head.due) {
            presenting_.wait_until(lock, head.due);
            continue;
        }
        if (now < head.deadline || head.last || standingStill(now, head.generation)) {
            shown_ = {head.generation, head.slot, std::move(head.frame)};
            shownDue_ = head.due;
            if (present_)
                present_(shown_);
        }
        playQueue_.pop_front();
        changed_.notify_all();
    }
}

void DecodeWorker::catchUp(bool behind) {
    if (behind == catchingUp_ || !source_.decoder().canSkip())
        return;
    catchingUp_ = behind;
    skippedSome_ = skippedSome_ || behind;
    source_.decoder().skipUnreferenced(behind);
}

void DecodeWorker::finishPlaying(const Request& request, std::int64_t slot) {
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
            return quit_ || request_.generation != request.generation || playQueue_.empty();
        });
        if (quit_ || request_.generation != request.generation)
            return;
        if (slot < 0)
            slot = shown_.generation == request.generation ? shown_.slot : request.slot;
        request_.mode = Mode::Show;
        request_.slot = slot;
        request_.stepBack = false;
        ++request_.generation;
        // The picture stays as presented; nothing more to decode for it.
        if (shown_.generation == request.generation) {
            shown_.generation = request_.generation;
            shown_.slot = slot;
            served_ = request_.generation;
        }
    }
    changed_.notify_all();
}

bool DecodeWorker::idleWork(const Request& request) {
    const int shown = source_.index().rankAtSlot(request.slot);
    if (idleBlockedAt_ == shown)
        return false;
    const bool paused = Clock::now() >= request.issued + kGrace;
    return fillAhead(shown, paused) || ((paused || request.stepBack) && fillBehind(shown, paused));
}

bool DecodeWorker::fillAhead(int shown, bool paused) {
    const int last = std::min(shown + kAhead, source_.index().pictureCount() - 1);
    int missing = shown + 1;
    while (missing <= last && cache_.contains(missing))
        ++missing;
    if (missing > last)
        return false;
    // Going on from where the decoder stands costs about what the next step would; starting
    // anew elsewhere waits until the user pauses.
    const int continuing = source_.continuingCost(missing);
    if (!paused && (continuing < 1 || continuing > kAhead + 1))
        return false;
    const auto picture = decodeToward(missing);
    if (!picture || picture->rank > missing) {
        idleBlockedAt_ = shown; // the stream ends or miscounts here: nothing more to fill
        return false;
    }
    if (picture->rank >= shown - behindWindow_ && picture->rank <= last &&
        !cache_.contains(picture->rank))
        return keepOrGiveUp(picture->rank, picture->frame, shown);
    return true;
}

bool DecodeWorker::fillBehind(int shown, bool paused) {
    const int low = std::max(0, shown - behindWindow_);
    const int kept = cache_.keptDownFrom(shown);
    if (kept <= low)
        return false;
    // While the user is still stepping back, only a picture that costs one decode (every
    // picture of an intra-only video) is made ahead of the next step.
    if (!paused && source_.continuingCost(kept - 1) != 1 && source_.restartCost(kept - 1) != 1)
        return false;
    // Filled GOP by GOP, the nearest first: the one holding the picture just below.
    const auto picture = decodeToward(kept - 1);
    if (!picture || picture->rank > kept - 1) {
        idleBlockedAt_ = shown;
        return false;
    }
    if (picture->rank >= low && !cache_.contains(picture->rank))
        return keepOrGiveUp(picture->rank, picture->frame, shown);
    return true;
}

bool DecodeWorker::keepOrGiveUp(int rank, const AVFrame* frame, int shown) {
    const QImage scaled = scaledPicture(frame);
    // A picture that cannot be scaled, or that the full cache will not take, would be
    // decoded again and again: filling stops here until the user moves.
    bool kept = false;
    if (!scaled.isNull()) {
        std::lock_guard lock(cacheMutex_);
        kept = cache_.insert(rank, scaled, anchor_);
    }
    if (!kept) {
        idleBlockedAt_ = shown;
        return false;
    }
    return true;
}

} // namespace media::service
