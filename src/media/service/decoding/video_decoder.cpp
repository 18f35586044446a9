#include "media/service/decoding/video_decoder.h"

#include "media/service/commands/error_codes.h"
#include "media/service/container/index_building.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/display.h>
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

namespace media::service {

namespace {

// Packets read to find the first picture, pictures decoded to see that the timestamps
// follow the display order, and packets read to count a keyframe's leading pictures.
constexpr int kHeadPackets = 256;
constexpr int kHeadPictures = 4;
constexpr int kLeadingPackets = 64;
// Leading pictures are at most a few B-frames; a counted measurement decodes this many.
constexpr int kCountedLeadingPackets = 12;

bool isVideoStream(const AVStream* stream) {
    return stream->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// The stream the ffmpeg tool would show: FFmpeg's best, unless that is a cover picture.
int chooseVideoStream(AVFormatContext* format) {
    const int best = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (best >= 0 && isVideoStream(format->streams[best]))
        return best;
    for (unsigned i = 0; i < format->nb_streams; ++i)
        if (isVideoStream(format->streams[i]))
            return static_cast<int>(i);
    return -1;
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

// The rate a phone says it filmed at, when it differs from the rate it plays at.
double recordedCaptureRate(const AVFormatContext* format, const AVStream* stream) {
    for (const AVDictionary* tags : {stream->metadata, format->metadata}) {
        const AVDictionaryEntry* entry = av_dict_get(tags, "com.android.capture.fps", nullptr, 0);
        if (!entry)
            continue;
        char* end = nullptr;
        const double rate = std::strtod(entry->value, &end);
        if (end != entry->value && rate > 0 && rate < 100000)
            return rate;
    }
    return 0;
}

} // namespace

int decodingThreads(int cores, std::size_t pictureBytes) {
    constexpr std::size_t kThreadsMemory = 48u * 1024u * 1024u;
    const int byMemory = pictureBytes > 0 ? int(kThreadsMemory / pictureBytes) : 8;
    return std::clamp(std::min(cores - 1, byMemory), 2, 8);
}

VideoDecoder::VideoDecoder() = default;

VideoDecoder::~VideoDecoder() {
    close();
}

void VideoDecoder::close() {
    av_frame_free(&frame_);
    av_frame_free(&firstPicture_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
}

std::int32_t VideoDecoder::open(const std::string& path, ReadingProgress* progress) {
    close();
    std::error_code error;
    const std::filesystem::path file(path);
    if (path.empty() || !std::filesystem::is_regular_file(file, error))
        return kErrFileNotFound;
    if (std::filesystem::file_size(file, error) == 0 || error)
        return kErrCorruptFile;
    const std::int32_t code = openStream(path, progress);
    if (code != kOk) {
        close();
        return code;
    }
    // The first picture proves that the stream can be shown.
    if (!findFirstPicture() || !dropCutPicturesNeverShown()) {
        close();
        return kErrCorruptFile;
    }
    describePicture();
    seekToStart(0, 0);
    return kOk;
}

std::int32_t VideoDecoder::openStream(const std::string& path, ReadingProgress* progress) {
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    if (!packet_ || !frame_)
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
    // The AVI demuxer's index is only valid until the next call; an AVI's one video stream
    // is known from its header.
    std::vector<FrameIndex::Packet> aviIndex;
    if (std::string(format_->iformat->name) == "avi")
        for (unsigned i = 0; i < format_->nb_streams && aviIndex.empty(); ++i)
            if (isVideoStream(format_->streams[i]))
                aviIndex = copyAviIndex(format_->streams[i]);
    // The streams of an MPEG program stream only appear while its stream info is read.
    const bool described = avformat_find_stream_info(format_, nullptr) >= 0;
    stream_ = chooseVideoStream(format_);
    if (stream_ < 0)
        return kErrNotVideo;
    if (!described)
        return kErrCorruptFile;
    for (unsigned i = 0; i < format_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_)
            format_->streams[i]->discard = AVDISCARD_ALL;
    if (!openCodec())
        return codec_ ? kErrUnsupportedCodec : kErrOutOfMemory;

    BuiltIndex built = buildFrameIndex(format_, stream_, path, std::move(aviIndex), progress);
    if (built.code != kOk)
        return built.code;
    index_ = std::move(built.index);
    numbering_ = PictureNumbering(built.byTimestamp ? PictureNumbering::Method::ByTimestamp
                                                    : PictureNumbering::Method::ByCount);
    AVStream* stream = format_->streams[stream_];
    const AVRational guessed = av_guess_frame_rate(format_, stream, nullptr);
    if (built.averageRate > 0)
        fps_ = built.averageRate;
    else if (guessed.num > 0 && guessed.den > 0)
        fps_ = av_q2d(guessed);
    const double captured = recordedCaptureRate(format_, stream);
    filmedRate_ = captured > 0 ? captured : fps_;
    return kOk;
}

bool VideoDecoder::openCodec() {
    const AVStream* stream = format_->streams[stream_];
    const AVCodec* decoder = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!decoder)
        return false;
    codec_ = avcodec_alloc_context3(decoder);
    if (!codec_ || avcodec_parameters_to_context(codec_, stream->codecpar) < 0)
        return false;
    const AVCodecDescriptor* descriptor = avcodec_descriptor_get(stream->codecpar->codec_id);
    reorders_ = !descriptor || !(descriptor->props & AV_CODEC_PROP_INTRA_ONLY);
    // Threads make long-GOP codecs much faster; a picture of an intra-only codec is cheap,
    // and a thread hand-over would only add to each step.
    const int bytes =
        av_image_get_buffer_size(AVPixelFormat(stream->codecpar->format), stream->codecpar->width,
                                 stream->codecpar->height, 1);
    codec_->thread_count = reorders_ ? decodingThreads(int(std::thread::hardware_concurrency()),
                                                       std::size_t(std::max(bytes, 0)))
                                     : 1;
    codec_->pkt_timebase = stream->time_base;
    return avcodec_open2(codec_, decoder, nullptr) >= 0;
}

bool VideoDecoder::findFirstPicture() {
    if (!seekToStart(0, 0))
        return false;
    if (numbering_.method() == PictureNumbering::Method::ByCount) {
        while (const auto out = nextOutput())
            if (out->frame)
                return keepFirstPicture(out->frame);
        return false;
    }
    // Decoded from the start until the first keyframe's own picture is out: every picture
    // displayed before it has come out by then, or never will. A few pictures more tell
    // whether the timestamps follow the display order at all (a stream copied from AVI may
    // carry decode times as presentation times).
    const int pictures = headPicturesToCheckOrder();
    std::vector<std::pair<int, std::int64_t>> sent;
    std::vector<std::int64_t> out;
    bool ordered = true;
    sentLog_ = &sent;
    while (const auto output = nextOutput()) {
        if (!output->frame || output->frame->pts == AV_NOPTS_VALUE)
            continue;
        if (!firstPicture_ && !keepFirstPicture(output->frame))
            break;
        ordered = ordered && (out.empty() || output->frame->pts >= out.back());
        out.push_back(output->frame->pts);
        const auto key = std::find_if(sent.begin(), sent.end(), [this](const auto& s) {
            return s.first >= 0 && index_.packet(s.first).keyframe;
        });
        const bool keyOut = key != sent.end() && output->frame->pts >= key->second;
        if ((keyOut && int(out.size()) >= pictures) || int(sent.size()) > kHeadPackets)
            break;
    }
    sentLog_ = nullptr;
    if (!firstPicture_)
        return false;
    if (!ordered) {
        numbering_ = PictureNumbering(PictureNumbering::Method::ByCount);
        return true;
    }
    std::vector<int> never;
    for (const auto& [packet, pts] : sent)
        if (packet >= 0 && index_.packet(packet).shows && pts != AV_NOPTS_VALUE &&
            pts < out.back() && std::find(out.begin(), out.end(), pts) == out.end())
            never.push_back(packet);
    if (!never.empty())
        index_ = index_.withoutPictures(never);
    return !index_.empty();
}

bool VideoDecoder::dropCutPicturesNeverShown() {
    std::vector<int> cut;
    for (int i = 0; i < index_.packetCount(); ++i)
        if (index_.packet(i).cut && index_.packet(i).shows)
            cut.push_back(i);
    if (cut.empty() || numbering_.method() != PictureNumbering::Method::ByTimestamp)
        return true;
    int k = index_.startCount() - 1;
    while (k > 0 && index_.start(k).packet > cut.front())
        --k;
    if (!seekToStart(k, 0))
        return true;
    std::vector<std::pair<int, std::int64_t>> sent;
    std::vector<std::int64_t> out;
    sentLog_ = &sent;
    while (const auto output = nextOutput())
        if (output->frame && output->frame->pts != AV_NOPTS_VALUE)
            out.push_back(output->frame->pts);
    sentLog_ = nullptr;
    std::vector<int> never;
    for (const auto& [packet, pts] : sent)
        if (std::binary_search(cut.begin(), cut.end(), packet) && pts != AV_NOPTS_VALUE &&
            std::find(out.begin(), out.end(), pts) == out.end())
            never.push_back(packet);
    if (!never.empty())
        index_ = index_.withoutPictures(never);
    return !index_.empty();
}

int VideoDecoder::headPicturesToCheckOrder() const {
    // Decode order is display order unless the codec says it reorders; then a few pictures
    // show whether the timestamps follow (the packets cannot tell: a stream that could hold
    // B-frames may have none, and then presentation times rightly equal decode times).
    const bool reordering =
        codec_->has_b_frames > 0 || format_->streams[stream_]->codecpar->video_delay > 0;
    return reordering ? kHeadPictures : 1;
}

void VideoDecoder::describePicture() {
    AVStream* stream = format_->streams[stream_];
    const AVRational sar = av_guess_sample_aspect_ratio(format_, stream, firstPicture_);
    const double aspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
    const std::int32_t* matrix = reinterpret_cast<const std::int32_t*>(
        av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, nullptr));
    transform_ = displayTransformFromMatrix(matrix);
    displaySize_ =
        transformedShape(QSizeF(firstPicture_->width * aspect, firstPicture_->height), transform_);
    geometry_ = {firstPicture_->width, firstPicture_->height, firstPicture_->format};
}

bool VideoDecoder::keepFirstPicture(const AVFrame* frame) {
    // A copy of its own: the decoder's picture memory is left free for the next picture, so
    // that the first seek does not wait for fresh memory.
    firstPicture_ = av_frame_clone(frame);
    if (firstPicture_ && av_frame_make_writable(firstPicture_) < 0)
        av_frame_free(&firstPicture_);
    return firstPicture_ != nullptr;
}

void VideoDecoder::letGoOfFirstPicture() {
    av_frame_free(&firstPicture_);
}

bool VideoDecoder::seekToStart(int k, int firstRank) {
    if (!format_ || index_.empty())
        return false;
    k = std::clamp(k, 0, index_.startCount() - 1);
    const FrameIndex::Start& start = index_.start(k);
    avcodec_flush_buffers(codec_);
    flushing_ = false;
    finished_ = false;
    located_ = -1;
    skipBefore_ = start.packet;
    fromStart_ = false;
    numbering_.restart(
        numbering_.method() == PictureNumbering::Method::ByCount ? firstRank : start.rank, k == 0);
    const std::int64_t timestamp = index_.packet(start.packet).timestamp;
    if (av_seek_frame(format_, stream_, timestamp, AVSEEK_FLAG_BACKWARD) >= 0)
        return true;
    // Some demuxers only seek to the start; packets before the keyframe are then skipped.
    return avformat_seek_file(format_, -1, INT64_MIN, 0, 0, 0) >= 0 ||
           av_seek_frame(format_, stream_, index_.packet(0).timestamp, AVSEEK_FLAG_BACKWARD) >= 0;
}

bool VideoDecoder::readVideoPacket() {
    while (true) {
        av_packet_unref(packet_);
        if (av_read_frame(format_, packet_) < 0)
            return false;
        if (packet_->stream_index != stream_ || packet_->size <= 0)
            continue; // empty chunks are positions without a picture
        const std::int64_t ts = packet_->dts != AV_NOPTS_VALUE   ? packet_->dts
                                : packet_->pts != AV_NOPTS_VALUE ? packet_->pts
                                                                 : kNoTimestamp;
        const FrameIndex::Seen seen{ts, packet_->pos, packet_->size};
        int at = index_.locate(seen, located_);
        // A demuxer that parses its packets out of a stream may give the keyframe another
        // timestamp after a seek: it is known by its size.
        if (at < 0 && skipBefore_ > 0 && (packet_->flags & AV_PKT_FLAG_KEY) &&
            index_.matches(skipBefore_, seen))
            at = skipBefore_;
        if (at >= 0 && at < skipBefore_)
            continue;
        if (at > skipBefore_ && skipBefore_ > 0 && !fromStart_) {
            // The demuxer landed past the start: read on from the beginning instead.
            fromStart_ = true;
            located_ = -1;
            if (av_seek_frame(format_, stream_, index_.packet(0).timestamp, AVSEEK_FLAG_BACKWARD) <
                0)
                avformat_seek_file(format_, -1, INT64_MIN, 0, 0, 0);
            continue;
        }
        if (at < 0 && skipBefore_ > 0)
            continue;
        skipBefore_ = 0;
        located_ = at;
        // A program stream's parser gives the first picture after a seek no time when the
        // seek landed in a pack that also ends the picture before: it is the one it had.
        if (at >= 0 && packet_->pts == AV_NOPTS_VALUE)
            packet_->pts = index_.packet(at).pts;
        shows_ = at >= 0 ? index_.packet(at).shows : !(packet_->flags & AV_PKT_FLAG_DISCARD);
        return true;
    }
}

std::optional<VideoDecoder::Output> VideoDecoder::nextOutput() {
    if (!codec_ || finished_)
        return std::nullopt;
    while (true) {
        const int received = avcodec_receive_frame(codec_, frame_);
        if (received >= 0)
            return Output{frame_, numbering_.pictureOut(
                                      frame_->pts == AV_NOPTS_VALUE ? kNoTimestamp : frame_->pts)};
        if (received == AVERROR_EOF || (received != AVERROR(EAGAIN) && flushing_)) {
            finished_ = true;
            return std::nullopt;
        }
        if (received != AVERROR(EAGAIN)) {
            const int rank = numbering_.failureOut();
            if (rank != PictureNumbering::kUnnamed)
                return Output{nullptr, rank};
            continue;
        }
        if (flushing_) {
            finished_ = true;
            return std::nullopt;
        }
        if (!readVideoPacket()) {
            flushing_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        const std::int64_t pts = packet_->pts == AV_NOPTS_VALUE ? kNoTimestamp : packet_->pts;
        if (sentLog_)
            sentLog_->emplace_back(located_, pts);
        // Counted even when rejected: a damaged packet keeps its place.
        numbering_.packetSent(shows_, pts);
        avcodec_send_packet(codec_, packet_);
    }
}

void VideoDecoder::skipUnreferenced(bool skip) {
    if (codec_)
        codec_->skip_frame = skip ? AVDISCARD_NONREF : AVDISCARD_DEFAULT;
}

int VideoDecoder::leadingPictures(int k) {
    if (k <= 0 || k >= index_.startCount() || !seekToStart(k, 0))
        return 0;
    if (numbering_.method() == PictureNumbering::Method::ByTimestamp) {
        const int end =
            k + 1 < index_.startCount() ? index_.start(k + 1).packet : index_.packetCount();
        // Read, not decoded: the pictures stored after the keyframe but displayed before it.
        std::int64_t keyPts = kNoTimestamp;
        int leading = 0;
        for (int read = 0; read < kLeadingPackets && readVideoPacket(); ++read) {
            if (located_ >= end || packet_->pts == AV_NOPTS_VALUE)
                break;
            if (keyPts == kNoTimestamp)
                keyPts = packet_->pts;
            else if (shows_ && packet_->pts < keyPts)
                ++leading;
            else if (shows_)
                break; // leading pictures come before every picture displayed after the keyframe
        }
        finished_ = true;
        return leading;
    }
    // Counted: the pictures of the first packets that do not come out.
    const int packets =
        std::min(kCountedLeadingPackets, index_.endRankOf(k) - index_.start(k).rank);
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
    return packets > 1 ? std::max(0, packets - count) : 0;
}

} // namespace media::service
