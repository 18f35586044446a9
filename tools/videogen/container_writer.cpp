// Videos in the containers phones, cameras and browsers write, with presentation times.
#include "videogen/encoding.h"

#include <algorithm>
#include <filesystem>

extern "C" {
#include <libavutil/display.h>
}

namespace videogen {

namespace {

using namespace encoding;

// Timestamps count eighths of a frame period, so that they can wobble.
constexpr int kTicksPerFrame = 8;

// Frame n's presentation time: cut frames before zero, and a wobble that sums to nothing
// over three frames.
std::int64_t presentationTicks(const VideoSettings& settings, std::int64_t n) {
    const std::int64_t wobble = (n % 3 == 1) - (n % 3 == 2);
    return (n - settings.cutFrames) * kTicksPerFrame + wobble * settings.timeJitter;
}

bool isAvi(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return extension == ".avi";
}

void addDisplayMatrix(AVStream* stream, const VideoSettings& settings) {
    if (settings.rotation == 0 && !settings.mirrored)
        return;
    auto* matrix = reinterpret_cast<std::int32_t*>(
        av_stream_new_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, 9 * sizeof(std::int32_t)));
    if (!matrix)
        return;
    // FFmpeg's tools print the angle that turns the picture the other way round.
    av_display_rotation_set(matrix, -settings.rotation);
    av_display_matrix_flip(matrix, settings.mirrored, 0);
}

// Packets in decode order get the presentation times of their frames; decode times are the
// presentation times in order, shifted back by the largest reordering delay.
void retime(const VideoSettings& settings, std::vector<PacketPtr>& packets) {
    std::vector<std::int64_t> shown;
    for (const PacketPtr& p : packets)
        shown.push_back(presentationTicks(settings, p->pts));
    std::vector<std::int64_t> ordered = shown;
    std::sort(ordered.begin(), ordered.end());
    std::int64_t delay = 0;
    for (std::size_t k = 0; k < packets.size(); ++k)
        delay = std::max(delay, ordered[k] - shown[k]);
    for (std::size_t k = 0; k < packets.size(); ++k) {
        packets[k]->pts = shown[k];
        packets[k]->dts = ordered[k] - delay;
        packets[k]->duration = kTicksPerFrame;
    }
}

} // namespace

std::string writeVideo(const std::string& path, const VideoSettings& settings) {
    if (isAvi(path))
        return writeAvi(path, settings);
    if (std::string problem = checkSettings(settings); !problem.empty())
        return problem;

    AVFormatContext* rawFormat = nullptr;
    if (avformat_alloc_output_context2(&rawFormat, nullptr, nullptr, path.c_str()) < 0)
        return "no container is known for " + path;
    FormatPtr format(rawFormat);
    Encoder encoder;
    if (std::string problem =
            encoder.open(settings, (format->oformat->flags & AVFMT_GLOBALHEADER) != 0);
        !problem.empty())
        return problem;
    AVCodecContext* codec = encoder.context();
    AVStream* stream = avformat_new_stream(format.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, codec) < 0)
        return "cannot add the video stream";
    const AVRational ticks{settings.fpsDen, settings.fpsNum * kTicksPerFrame};
    stream->time_base = ticks;
    stream->avg_frame_rate = codec->framerate;
    stream->sample_aspect_ratio = codec->sample_aspect_ratio;
    addDisplayMatrix(stream, settings);

    std::vector<int> places;
    if (std::string problem = encodeAll(settings, encoder, places); !problem.empty())
        return problem;
    retime(settings, encoder.packets());

    AVDictionary* options = nullptr;
    std::string movFlags = settings.movFlags;
    if (settings.captureRate > 0) {
        av_dict_set(&format->metadata, "com.android.capture.fps",
                    (std::to_string(settings.captureRate) + ".000000").c_str(), 0);
        movFlags += movFlags.empty() ? "use_metadata_tags" : "+use_metadata_tags";
    }
    if (!movFlags.empty())
        av_dict_set(&options, "movflags", movFlags.c_str(), 0);
    if (int err = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE); err < 0)
        return "cannot create " + path + ": " + avError(err);
    const int written = avformat_write_header(format.get(), &options);
    av_dict_free(&options);
    if (written < 0)
        return "cannot write the header of " + path + ": " + avError(written);
    for (PacketPtr& packet : encoder.packets()) {
        packet->stream_index = stream->index;
        av_packet_rescale_ts(packet.get(), ticks, stream->time_base);
        if (int err = av_interleaved_write_frame(format.get(), packet.get()); err < 0)
            return "writing a packet failed: " + avError(err);
    }
    if (int err = av_write_trailer(format.get()); err < 0)
        return "cannot finish " + path + ": " + avError(err);
    return {};
}

} // namespace videogen
