#include "media/media_fixture.h"

#include "media/mci_channel.h"
#include "media/mci_commands.h"

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

std::string writeVideo(const QTemporaryDir& dir, const std::string& name,
                       const videogen::VideoSettings& settings, std::string& error) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    error = videogen::writeAvi(path, settings);
    return error.empty() ? path : std::string();
}

} // namespace mediatest
