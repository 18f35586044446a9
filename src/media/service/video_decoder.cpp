#include "media/service/video_decoder.h"

#include "media/service/error_codes.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

namespace media::service {

namespace {

bool isVideoStream(const AVStream* stream) {
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// True when the file starts like a container FFmpeg knows, so that a failure to open it
// means damage rather than a file of another kind.
bool looksLikeAKnownFormat(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    std::vector<unsigned char> head(4096 + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    const std::size_t read = std::fread(head.data(), 1, 4096, file);
    std::fclose(file);
    AVProbeData probe{};
    probe.filename = path.c_str();
    probe.buf = head.data();
    probe.buf_size = static_cast<int>(read);
    int score = 0;
    return av_probe_input_format2(&probe, 1, &score) != nullptr && score > AVPROBE_SCORE_EXTENSION;
}

} // namespace

VideoDecoder::VideoDecoder() = default;

VideoDecoder::~VideoDecoder() {
    close();
}

void VideoDecoder::close() {
    av_frame_free(&frame_);
    av_frame_free(&held_);
    av_frame_free(&shown_);
    av_frame_free(&firstPicture_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
}

std::int32_t VideoDecoder::open(const std::string& path) {
    close();
    std::error_code error;
    const std::filesystem::path file(path);
    if (path.empty() || !std::filesystem::is_regular_file(file, error))
        return kErrFileNotFound;
    if (std::filesystem::file_size(file, error) == 0 || error)
        return kErrCorruptFile;
    const std::int32_t code = openStream(path);
    if (code != kOk) {
        close();
        return code;
    }
    // The first picture proves that the stream can be shown.
    const AVFrame* first = seekToKeyframe(0) ? nextPicture() : nullptr;
    if (!first) {
        close();
        return kErrCorruptFile;
    }
    const AVRational sar = av_guess_sample_aspect_ratio(format_, format_->streams[stream_],
                                                        const_cast<AVFrame*>(first));
    const double aspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    displaySize_ = QSizeF(first->width * aspect, first->height);
    firstPicture_ = av_frame_clone(first);
    seekToKeyframe(0);
    return kOk;
}

std::int32_t VideoDecoder::openStream(const std::string& path) {
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    held_ = av_frame_alloc();
    shown_ = av_frame_alloc();
    if (!packet_ || !frame_ || !held_ || !shown_)
        return kErrOutOfMemory;
    const int opened = avformat_open_input(&format_, path.c_str(), nullptr, nullptr);
    if (opened == AVERROR(ENOENT))
        return kErrFileNotFound;
    if (opened == AVERROR(EACCES))
        return kErrCannotRead;
    if (opened == AVERROR(ENOMEM))
        return kErrOutOfMemory;
    if (opened < 0)
        return looksLikeAKnownFormat(path) ? kErrCorruptFile : kErrNotVideo;
    for (unsigned i = 0; i < format_->nb_streams; ++i) {
        if (isVideoStream(format_->streams[i])) {
            stream_ = static_cast<int>(i);
            break;
        }
    }
    if (stream_ < 0)
        return kErrNotVideo;
    aviTimestamps_ = std::string(format_->iformat->name) == "avi";
    // The demuxer's entries are only valid until the next libavformat call.
    std::vector<FrameIndex::Entry> entries;
    if (aviTimestamps_)
        copyDemuxerIndex(entries);
    if (avformat_find_stream_info(format_, nullptr) < 0)
        return kErrCorruptFile;
    AVStream* stream = format_->streams[stream_];
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_)
            format_->streams[i]->discard = AVDISCARD_ALL;

    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return kErrUnsupportedCodec;
    codec_ = avcodec_alloc_context3(decoder);
    if (!codec_)
        return kErrOutOfMemory;
    if (avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return kErrUnsupportedCodec;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(stream->codecpar->codec_id);
    reorders_ = !descriptor || !(descriptor->props & AV_CODEC_PROP_INTRA_ONLY);
    // Two decoding threads make long-GOP codecs much faster on a small machine; a picture of
    // an intra-only codec is cheap, and a thread hand-over would only add to each step.
    codec_->thread_count = reorders_ ? 2 : 1;
    codec_->pkt_timebase = stream->time_base;
    if (avcodec_open2(codec_, decoder, nullptr) < 0)
        return kErrUnsupportedCodec;

    const AVRational rate = av_guess_frame_rate(format_, stream, nullptr);
    if (rate.num > 0 && rate.den > 0)
        fps_ = av_q2d(rate);

    const bool indexed = !entries.empty();

    if (!indexed && !scanPackets(entries))
        return kErrCorruptFile;
    if (entries.empty())
        return kErrCorruptFile;
    // An AVI whose index is gone and whose pictures stop short of the count in its header
    // was cut off while being written or copied.
    const std::int64_t declared = std::max<std::int64_t>(
        stream->nb_frames, stream->duration != AV_NOPTS_VALUE ? stream->duration : 0);
    if (aviTimestamps_ && !indexed && declared > entries.back().timestamp + 1)
        return kErrCorruptFile;
    buildIndex(std::move(entries));
    return kOk;
}

void VideoDecoder::copyDemuxerIndex(std::vector<FrameIndex::Entry>& entries) {
    AVStream* stream = format_->streams[stream_];
    const int count = avformat_index_get_entries_count(stream);
    entries.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(stream, i);
        if (!e || e->size <= 0 || (e->flags & AVINDEX_DISCARD_FRAME))
            continue;
        if (!entries.empty() && e->timestamp <= entries.back().timestamp)
            continue;
        entries.push_back({e->timestamp, e->timestamp, (e->flags & AVINDEX_KEYFRAME) != 0});
    }
}

// For files whose container has no usable index: one pass over the packets.
bool VideoDecoder::scanPackets(std::vector<FrameIndex::Entry>& entries) {
    // Packets are known again by their byte offset: presentation timestamps of B-frames
    // run out of order, and some containers give no decode timestamps.
    byOffset_ = !aviTimestamps_;
    while (av_read_frame(format_, packet_) >= 0) {
        if (packet_->stream_index == stream_ && packet_->size > 0) {
            const std::int64_t ts = packet_->dts != AV_NOPTS_VALUE ? packet_->dts : packet_->pts;
            if (byOffset_ &&
                (packet_->pos < 0 || (!entries.empty() && packet_->pos <= entries.back().offset))) {
                av_packet_unref(packet_);
                return false;
            }
            const std::int64_t seekTo =
                ts != AV_NOPTS_VALUE ? ts : (entries.empty() ? 0 : entries.back().timestamp);
            entries.push_back(
                {seekTo, seekTo, (packet_->flags & AV_PKT_FLAG_KEY) != 0, packet_->pos});
        }
        av_packet_unref(packet_);
    }
    if (entries.empty())
        return true;
    return av_seek_frame(format_, stream_, entries.front().timestamp, AVSEEK_FLAG_BACKWARD) >= 0 ||
           avformat_seek_file(format_, -1, INT64_MIN, 0, 0, 0) >= 0;
}

void VideoDecoder::buildIndex(std::vector<FrameIndex::Entry> entries) {
    const AVStream* stream = format_->streams[stream_];
    std::int64_t length = 0;
    if (aviTimestamps_) {
        // AVI counts in frame periods, so a timestamp is a position; empty chunks leave gaps.
        const std::int64_t first = entries.front().timestamp;
        for (auto& e : entries)
            e.slot = e.timestamp - first;
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            length = stream->duration;
        length = std::max<std::int64_t>(length, stream->nb_frames);
    } else {
        for (std::size_t i = 0; i < entries.size(); ++i)
            entries[i].slot = static_cast<std::int64_t>(i);
    }
    index_ = FrameIndex(std::move(entries), length);
}

bool VideoDecoder::seekToKeyframe(int keyframe) {
    if (!format_ || index_.empty())
        return false;
    keyframe = std::clamp(keyframe, 0, index_.pictureCount() - 1);
    avcodec_flush_buffers(codec_);
    flushing_ = false;
    finished_ = false;
    lastIn_ = -1;
    lastOut_ = -1;
    owed_ = 0;
    heldBack_ = false;
    av_frame_unref(shown_);
    skipBefore_ = keyframe;
    fromStart_ = false;
    const std::int64_t timestamp = index_.entry(keyframe).timestamp;
    if (av_seek_frame(format_, stream_, timestamp, AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // Some demuxers only seek to the start; packets before the keyframe are then skipped.
    return avformat_seek_file(format_, -1, INT64_MIN, 0, 0, 0) >= 0 ||
           av_seek_frame(format_, stream_, index_.entry(0).timestamp, AVSEEK_FLAG_BACKWARD) >= 0;
}

bool VideoDecoder::readVideoPacket() {
    while (true) {
        av_packet_unref(packet_);
        if (av_read_frame(format_, packet_) < 0)
            return false;
        if (packet_->stream_index != stream_ || packet_->size <= 0)
            continue; // empty chunks are positions without a picture
        const std::int64_t ts = packet_->dts != AV_NOPTS_VALUE ? packet_->dts : packet_->pts;
        const int rank = byOffset_              ? index_.rankOfOffset(packet_->pos)
                         : ts == AV_NOPTS_VALUE ? -1
                                                : index_.rankOfTimestamp(ts);
        if (rank >= 0 && rank < skipBefore_)
            continue;
        if (rank > skipBefore_ && skipBefore_ > 0 && !fromStart_) {
            // The demuxer landed past the keyframe: read on from the start instead.
            fromStart_ = true;
            if (av_seek_frame(format_, stream_, index_.entry(0).timestamp, AVSEEK_FLAG_BACKWARD) <
                0)
                avformat_seek_file(format_, -1, INT64_MIN, 0, 0, 0);
            continue;
        }
        if (rank >= 0)
            skipBefore_ = 0;
        else if (skipBefore_ > 0)
            continue;
        return true;
    }
}

// Pictures are counted, not told by timestamp, so a picture that never comes out would
// shift every later one. Once the decoder is under way it gives out one picture for each
// packet it takes, in display order; the packet handed to it last stands for the picture that
// comes out. A rejected packet shows as a gap between two pictures, a picture the decoder
// fails on as an error in its place: either way the picture before stands in for it.
const AVFrame* VideoDecoder::nextPicture() {
    if (owed_ > 0) {
        --owed_;
        return shown_;
    }
    if (heldBack_) {
        heldBack_ = false;
        return show(held_);
    }
    if (!codec_ || finished_)
        return nullptr;
    while (true) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received >= 0) {
            const int missing = lastOut_ >= 0 ? lastIn_ - lastOut_ - 1 : 0;
            lastOut_ = std::max(lastOut_, lastIn_);
            if (missing > 0 && shown_->buf[0]) {
                std::swap(frame_, held_);
                heldBack_ = true;
                owed_ = missing - 1;
                return shown_;
            }
            return show(frame_);
        }
        if (received == AVERROR_EOF) {
            finished_ = true;
            return nullptr;
        }
        if (received != AVERROR(EAGAIN)) {
            if (flushing_) {
                finished_ = true;
                return nullptr;
            }
            // An error in the place of the last packet's picture; ignored before the first
            // picture, or when that picture came out already.
            if (lastOut_ < 0 || lastIn_ <= lastOut_ || !shown_->buf[0])
                continue;
            lastOut_ = lastIn_;
            return shown_;
        }
        if (flushing_) {
            finished_ = true;
            return nullptr;
        }
        if (!readVideoPacket()) {
            flushing_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        // Counted even when rejected: a damaged packet keeps its place.
        ++lastIn_;
        avcodec_send_packet(codec_, packet_);
    }
}

const AVFrame* VideoDecoder::show(AVFrame* picture) {
    av_frame_unref(shown_);
    av_frame_ref(shown_, picture);
    return picture;
}

int VideoDecoder::picturesDecodableFrom(int keyframe, int packets) {
    if (!seekToKeyframe(keyframe))
        return 0;
    int count = 0;
    for (int sent = 0; sent < packets && readVideoPacket(); ++sent) {
        avcodec_send_packet(codec_, packet_);
        while (avcodec_receive_frame(codec_, frame_) >= 0)
            ++count;
    }
    avcodec_send_packet(codec_, nullptr);
    while (true) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received == AVERROR_EOF || received == AVERROR(EAGAIN))
            break;
        if (received >= 0)
            ++count;
    }
    flushing_ = true;
    finished_ = true;
    return count;
}

} // namespace media::service
