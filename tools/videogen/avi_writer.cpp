#include "videogen/video_settings.h"

#include "videogen/encoding.h"

#include <algorithm>

namespace videogen {

namespace {

using namespace encoding;

// AVI keeps no presentation time: a chunk's place in the file is its decode timestamp, and
// the muxer fills a gap in decode timestamps with empty chunks. So packet k (decode order)
// goes to the slot of the k-th frame that is not dropped. Presentation times only have to
// stay at or after those, so they are shifted by the largest reorder delay.
std::string writePackets(AVFormatContext* format, AVStream* stream, AVRational codecTimeBase,
                         std::vector<PacketPtr>& packets, const std::vector<int>& places) {
    if (packets.size() != places.size())
        return "the encoder returned " + std::to_string(packets.size()) + " packets for " +
               std::to_string(places.size()) + " frames";
    int64_t delay = 0;
    for (size_t k = 0; k < packets.size(); ++k)
        delay = std::max(delay, places[k] - packets[k]->pts);
    for (size_t k = 0; k < packets.size(); ++k) {
        AVPacket* packet = packets[k].get();
        packet->pts += delay;
        packet->dts = places[k];
        packet->duration = 1;
        packet->stream_index = stream->index;
        av_packet_rescale_ts(packet, codecTimeBase, stream->time_base);
        if (int err = av_write_frame(format, packet); err < 0)
            return "writing frame " + std::to_string(places[k]) + " failed: " + avError(err);
    }
    return {};
}

// The muxer writes empty chunks only in front of a real one, so dropped frames at the end
// are closed with an empty packet of our own.
std::string writeTrailingDrops(AVFormatContext* format, AVStream* stream, AVRational timeBase,
                               int lastWritten, int frames) {
    if (lastWritten == frames - 1)
        return {};
    PacketPtr empty(av_packet_alloc());
    empty->stream_index = stream->index;
    empty->pts = empty->dts = frames - 1;
    empty->duration = 1;
    av_packet_rescale_ts(empty.get(), timeBase, stream->time_base);
    if (int err = av_write_frame(format, empty.get()); err < 0)
        return "writing the last dropped frame failed: " + avError(err);
    return {};
}

} // namespace

std::string writeAvi(const std::string& path, const VideoSettings& settings) {
    if (std::string problem = checkSettings(settings); !problem.empty())
        return problem;

    Encoder encoder;
    if (std::string problem = encoder.open(settings); !problem.empty())
        return problem;
    AVCodecContext* codec = encoder.context();

    AVFormatContext* rawFormat = nullptr;
    if (avformat_alloc_output_context2(&rawFormat, nullptr, "avi", path.c_str()) < 0)
        return "cannot set up the AVI muxer";
    FormatPtr format(rawFormat);
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0)
        return "cannot add the video stream";
    stream->time_base = codec->time_base;
    stream->avg_frame_rate = codec->framerate;
    stream->sample_aspect_ratio = codec->sample_aspect_ratio;

    std::vector<int> places;
    if (std::string problem = encodeAll(settings, encoder, places); !problem.empty())
        return problem;

    if (int err = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE); err < 0)
        return "cannot create " + path + ": " + avError(err);
    if (int err = avformat_write_header(format.get(), nullptr); err < 0)
        return "cannot write the AVI header: " + avError(err);
    if (std::string problem =
            writePackets(format.get(), stream, codec->time_base, encoder.packets(), places);
        !problem.empty())
        return problem;
    if (std::string problem = writeTrailingDrops(format.get(), stream, codec->time_base,
                                                 places.back(), settings.frames);
        !problem.empty())
        return problem;
    if (int err = av_write_trailer(format.get()); err < 0)
        return "cannot finish the AVI file: " + avError(err);
    return {};
}

} // namespace videogen
