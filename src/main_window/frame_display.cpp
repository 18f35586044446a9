#include "main_window/frame_display.h"

namespace frame_display {

QString emptyText() {
    return QStringLiteral("フレーム");
}

QString text(const std::string& positionReply) {
    return emptyText() + QChar(10) + QChar(13) + QStringLiteral("    ") +
           QString::fromStdString(positionReply);
}

} // namespace frame_display
