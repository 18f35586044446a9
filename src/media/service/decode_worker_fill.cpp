// The decode worker while the user looks at a picture: the pictures just ahead of it, and
// the GOP behind it for steps back, made and kept in the cache.
#include "media/service/decode_worker.h"

#include <algorithm>

namespace media::service {

namespace {
using Clock = PlaybackClock::Clock;
} // namespace

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
