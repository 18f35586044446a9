#include "support/media_stage.h"

#include "media/mci_channel.h"
#include "media/mci_commands.h"

#include <QDir>
#include <QtDebug>

extern "C" {
#include <libavformat/avformat.h>
}

namespace mediatest {

Reply send(const std::string& command) {
    Reply reply;
    reply.code = Module1::SendMciCommand(command, reply.text);
    return reply;
}

Stage::Stage() : window_(std::make_unique<QWidget>()) {
    window_->resize(700, 300);
    video_ = new toolkit::PictureBox(window_.get());
    video_->setOuterGeometry(0, 0, 320, 240);
    target_ = new toolkit::PictureBox(window_.get());
    target_->setOuterGeometry(340, 0, 320, 240);
    window_->show();
}

Stage::~Stage() {
    send(media::closeCommand());
}

Reply Stage::open(const std::string& path) {
    send(media::closeCommand());
    Reply reply = send(media::openCommand(Module1::GetShortName(path), parentHandle()));
    if (reply.code == 0)
        send(media::putDestinationCommand(320, 240));
    return reply;
}

int Stage::shownFrame(QRect displayed) {
    target_->clear();
    if (send(media::updateCommand(targetHandle())).code != 0)
        return -2;
    return videogen::readFrameCode(target_->image(), displayed);
}

std::int32_t Stage::position() {
    return media::readNumericReply(send(media::statusPositionCommand()).text);
}

std::string writeVideo(const QString& folder, const std::string& name,
                       const videogen::VideoSettings& settings) {
    const std::string path = QDir(folder).filePath(QString::fromStdString(name)).toStdString();
    const std::string error = videogen::writeVideo(path, settings);
    if (!error.empty())
        qWarning("cannot write %s: %s", path.c_str(), error.c_str());
    return error.empty() ? path : std::string();
}

std::string remuxVideo(const std::string& source, const std::string& target) {
    AVFormatContext* input = nullptr;
    if (avformat_open_input(&input, source.c_str(), nullptr, nullptr) < 0)
        return "cannot open " + source;
    std::string problem;
    AVFormatContext* output = nullptr;
    AVPacket* packet = av_packet_alloc();
    int videoIn = -1;
    if (avformat_find_stream_info(input, nullptr) < 0)
        problem = "no stream info";
    else if ((videoIn = av_find_best_stream(input, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)) < 0)
        problem = "no video";
    else if (avformat_alloc_output_context2(&output, nullptr, nullptr, target.c_str()) < 0)
        problem = "no container for " + target;
    AVStream* out = nullptr;
    if (problem.empty()) {
        out = avformat_new_stream(output, nullptr);
        avcodec_parameters_copy(out->codecpar, input->streams[videoIn]->codecpar);
        out->codecpar->codec_tag = 0;
        out->time_base = input->streams[videoIn]->time_base;
        out->avg_frame_rate = input->streams[videoIn]->avg_frame_rate;
        if (avio_open(&output->pb, target.c_str(), AVIO_FLAG_WRITE) < 0 ||
            avformat_write_header(output, nullptr) < 0)
            problem = "cannot write " + target;
    }
    // AVI packets carry only a decode timestamp; for a remux the demuxer's guess will do.
    while (problem.empty() && av_read_frame(input, packet) >= 0) {
        if (packet->stream_index == videoIn && packet->size > 0) {
            packet->stream_index = out->index;
            av_packet_rescale_ts(packet, input->streams[videoIn]->time_base, out->time_base);
            if (packet->pts == AV_NOPTS_VALUE)
                packet->pts = packet->dts;
            if (av_interleaved_write_frame(output, packet) < 0)
                problem = "cannot write a packet";
        }
        av_packet_unref(packet);
    }
    if (problem.empty() && av_write_trailer(output) < 0)
        problem = "cannot finish " + target;
    if (output) {
        avio_closep(&output->pb);
        avformat_free_context(output);
    }
    av_packet_free(&packet);
    avformat_close_input(&input);
    return problem;
}

} // namespace mediatest
