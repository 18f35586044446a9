#include "media/service/container/index_building.h"

#include "media/service/commands/error_codes.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace media::service {

namespace {

// Tells the second field of a field-coded frame from the parser's view of each packet.
// FFmpeg's decoders join the two fields of H.264 and MPEG-2 into one picture.
class FieldPairing {
  public:
    explicit FieldPairing(const AVCodecParameters* parameters) {
        if (parameters->codec_id != AV_CODEC_ID_H264 &&
            parameters->codec_id != AV_CODEC_ID_MPEG2VIDEO)
            return;
        parser_ = av_parser_init(parameters->codec_id);
        context_ = avcodec_alloc_context3(nullptr);
        if (!parser_ || !context_ || avcodec_parameters_to_context(context_, parameters) < 0) {
            close();
            return;
        }
        parser_->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    }
    ~FieldPairing() { close(); }
    FieldPairing(const FieldPairing&) = delete;
    FieldPairing& operator=(const FieldPairing&) = delete;

    bool isSecondField(const AVPacket* packet) {
        if (!parser_)
            return false;
        std::uint8_t* out = nullptr;
        int outSize = 0;
        av_parser_parse2(parser_, context_, &out, &outSize, packet->data, packet->size, packet->pts,
                         packet->dts, packet->pos);
        const int structure = parser_->picture_structure;
        if (structure != AV_PICTURE_STRUCTURE_TOP_FIELD &&
            structure != AV_PICTURE_STRUCTURE_BOTTOM_FIELD) {
            unpaired_ = 0;
            return false;
        }
        if (unpaired_ != 0 && unpaired_ != structure) {
            unpaired_ = 0;
            return true;
        }
        unpaired_ = structure;
        return false;
    }

  private:
    void close() {
        av_parser_close(parser_);
        parser_ = nullptr;
        avcodec_free_context(&context_);
    }

    AVCodecParserContext* parser_ = nullptr;
    AVCodecContext* context_ = nullptr;
    int unpaired_ = 0; // the structure of a first field waiting for its second
};

bool isMovFamily(const AVFormatContext* format) {
    return std::strncmp(format->iformat->name, "mov,", 4) == 0;
}

std::vector<FrameIndex::Packet> copyMovIndex(const AVStream* stream, std::uint64_t fileSize) {
    std::vector<FrameIndex::Packet> packets;
    const int count = avformat_index_get_entries_count(stream);
    packets.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(const_cast<AVStream*>(stream), i);
        // Samples past the end of a file cut short are not there to be read; the one the cut
        // runs through is read as far as it goes.
        if (!e || e->size <= 0 || e->pos < 0 || std::uint64_t(e->pos) >= fileSize)
            continue;
        const std::uint64_t left = fileSize - std::uint64_t(e->pos);
        const bool cut = std::uint64_t(e->size) > left;
        packets.push_back({.timestamp = e->timestamp,
                           .offset = e->pos,
                           .size = cut ? int(left) : e->size,
                           .keyframe = (e->flags & AVINDEX_KEYFRAME) != 0,
                           .shows = (e->flags & AVINDEX_DISCARD_FRAME) == 0,
                           .cut = cut});
    }
    return packets;
}

struct Scan {
    std::vector<FrameIndex::Packet> packets;
    std::vector<std::int64_t> shownPts; // of the packets that show a picture
    bool everyPictureTimed = true;
};

// One pass over the packets, for containers without an index of every packet; false when
// given up.
bool scanPackets(AVFormatContext* format, int streamIndex, bool avi, Scan& scan,
                 std::uint64_t fileSize, ReadingProgress* progress) {
    AVStream* stream = format->streams[streamIndex];
    FieldPairing fields(stream->codecpar);
    AVPacket* packet = av_packet_alloc();
    if (!packet)
        return false;
    while (true) {
        if (readingSeam())
            readingSeam()();
        if (av_read_frame(format, packet) < 0)
            break;
        if (progress) {
            if (progress->cancelled) {
                av_packet_free(&packet);
                return false;
            }
            if (fileSize > 0 && format->pb)
                progress->permille = int(std::min<std::uint64_t>(
                    1000, std::uint64_t(std::max<std::int64_t>(avio_tell(format->pb), 0)) * 1000 /
                              fileSize));
        }
        if (packet->stream_index == streamIndex && packet->size > 0) {
            const std::int64_t ts = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            const std::int64_t seekTo =
                ts != AV_NOPTS_VALUE ? ts
                                     : (scan.packets.empty() ? 0 : scan.packets.back().timestamp);
            const bool shows =
                (packet->flags & AV_PKT_FLAG_DISCARD) == 0 && !fields.isSecondField(packet);
            // A demuxer that reads a packet short at the end of the file calls it corrupt.
            const bool cut = (packet->flags & AV_PKT_FLAG_CORRUPT) && packet->pos >= 0 &&
                             fileSize > 0 &&
                             std::uint64_t(packet->pos) + std::uint64_t(packet->size) >= fileSize;
            scan.packets.push_back({.timestamp = seekTo,
                                    .pts = packet->pts,
                                    .offset = avi ? -1 : packet->pos,
                                    .size = packet->size,
                                    .keyframe = (packet->flags & AV_PKT_FLAG_KEY) != 0,
                                    .shows = shows,
                                    .cut = cut});
            if (shows) {
                scan.everyPictureTimed = scan.everyPictureTimed && packet->pts != AV_NOPTS_VALUE;
                scan.shownPts.push_back(packet->pts);
            }
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    return true;
}

double rateFromTimestamps(const std::vector<std::int64_t>& pts, AVRational timeBase) {
    if (pts.size() < 2 || timeBase.num <= 0 || timeBase.den <= 0)
        return 0;
    const auto [low, high] = std::minmax_element(pts.begin(), pts.end());
    const double span = double(*high - *low) * av_q2d(timeBase);
    return span > 0 ? double(pts.size() - 1) / span : 0;
}

BuiltIndex refused(std::int32_t code) {
    BuiltIndex built;
    built.code = code;
    return built;
}

void rewind(AVFormatContext* format, int stream, const FrameIndex& index) {
    const std::int64_t first = index.packetCount() > 0 ? index.packet(0).timestamp : 0;
    if (av_seek_frame(format, stream, first, AVSEEK_FLAG_BACKWARD) < 0)
        avformat_seek_file(format, -1, INT64_MIN, 0, 0, 0);
}

} // namespace

std::function<void()>& readingSeam() {
    static std::function<void()> seam;
    return seam;
}

std::vector<FrameIndex::Packet> copyAviIndex(const AVStream* stream) {
    std::vector<FrameIndex::Packet> packets;
    const int count = avformat_index_get_entries_count(stream);
    packets.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const AVIndexEntry* e = avformat_index_get_entry(const_cast<AVStream*>(stream), i);
        if (!e || e->size <= 0 || (e->flags & AVINDEX_DISCARD_FRAME))
            continue;
        if (!packets.empty() && e->timestamp <= packets.back().timestamp)
            continue;
        packets.push_back({.timestamp = e->timestamp,
                           .size = e->size,
                           .keyframe = (e->flags & AVINDEX_KEYFRAME) != 0});
    }
    return packets;
}

bool hasMovieFragments(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    // A box: its size (32 bits, or 64 after the type when 1; 0 runs to the end) and type.
    const auto readBox = [&file](std::uint64_t at, std::uint64_t& size, std::uint64_t& header,
                                 char type[4]) {
        unsigned char head[16];
        file.clear();
        file.seekg(std::streamoff(at));
        if (!file.read(reinterpret_cast<char*>(head), 8))
            return false;
        std::memcpy(type, head + 4, 4);
        size = std::uint64_t(head[0]) << 24 | std::uint64_t(head[1]) << 16 |
               std::uint64_t(head[2]) << 8 | head[3];
        header = 8;
        if (size == 1) {
            if (!file.read(reinterpret_cast<char*>(head + 8), 8))
                return false;
            size = 0;
            for (int i = 8; i < 16; ++i)
                size = size << 8 | head[i];
            header = 16;
        }
        return size == 0 || size >= header;
    };
    std::uint64_t at = 0, size = 0, header = 0;
    char type[4];
    // Top-level boxes are few; fragments follow the movie box, which says it expects them.
    for (int boxes = 0; boxes < 64 && readBox(at, size, header, type) && size != 0; ++boxes) {
        if (std::memcmp(type, "moof", 4) == 0)
            return true;
        if (std::memcmp(type, "moov", 4) == 0) {
            std::uint64_t child = at + header, childSize = 0, childHeader = 0;
            char childType[4];
            for (int n = 0; n < 64 && child < at + size &&
                            readBox(child, childSize, childHeader, childType) && childSize != 0;
                 ++n, child += childSize)
                if (std::memcmp(childType, "mvex", 4) == 0)
                    return true;
        }
        at += size;
    }
    return false;
}

BuiltIndex buildFrameIndex(AVFormatContext* format, int streamIndex, const std::string& path,
                           std::vector<FrameIndex::Packet> aviIndex, ReadingProgress* progress) {
    BuiltIndex built;
    AVStream* stream = format->streams[streamIndex];
    const bool avi = std::strcmp(format->iformat->name, "avi") == 0;
    std::error_code error;
    const std::uint64_t fileSize = std::filesystem::file_size(path, error);

    std::vector<FrameIndex::Packet> packets = std::move(aviIndex);
    const bool indexed = !packets.empty();
    Scan scan;
    if (!avi && isMovFamily(format) && !hasMovieFragments(path))
        packets = copyMovIndex(stream, error ? UINT64_MAX : fileSize);
    const bool scanned = packets.empty();
    if (scanned) {
        if (!scanPackets(format, streamIndex, avi, scan, error ? 0 : fileSize, progress))
            return refused(progress && progress->cancelled ? kErrCancelled : kErrOutOfMemory);
        packets = std::move(scan.packets);
    }
    if (std::none_of(packets.begin(), packets.end(), [](const auto& p) { return p.shows; }))
        return refused(kErrCorruptFile);

    std::int64_t length = 0;
    if (avi) {
        // AVI counts in frame periods, so a timestamp is a position; empty chunks leave gaps.
        const std::int64_t declared = std::max<std::int64_t>(
            stream->nb_frames, stream->duration != AV_NOPTS_VALUE ? stream->duration : 0);
        // An AVI whose index is gone and whose pictures stop short of the count in its header
        // was cut off while being written or copied.
        if (!indexed && declared > packets.back().timestamp + 1)
            return refused(kErrCorruptFile);
        const std::int64_t first = packets.front().timestamp;
        for (auto& p : packets)
            p.slot = p.timestamp - first;
        length = declared;
    } else {
        std::int64_t slot = 0;
        for (auto& p : packets)
            if (p.shows)
                p.slot = slot++;
    }
    built.byTimestamp = !avi && (!scanned || scan.everyPictureTimed);
    built.index = FrameIndex(std::move(packets), length);

    // The header's rate where the container counts its samples or states a frame duration
    // (Matroska); else the timestamps read, when every picture has one (libavformat only
    // estimates from the first few).
    const AVRational average = stream->avg_frame_rate;
    const bool stated = !scanned || std::strncmp(format->iformat->name, "matroska", 8) == 0;
    if (stated && average.num > 0 && average.den > 0)
        built.averageRate = av_q2d(average);
    else if (scan.everyPictureTimed)
        built.averageRate = rateFromTimestamps(scan.shownPts, stream->time_base);
    rewind(format, streamIndex, built.index);
    return built;
}

} // namespace media::service
