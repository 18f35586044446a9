#include "main_window/video_files.h"

namespace video_files {

const QStringList& extensions() {
    static const QStringList list = {"avi", "mov",  "mp4", "m4v", "3gp",  "mkv", "webm",
                                     "mts", "m2ts", "ts",  "mpg", "mpeg", "wmv"};
    return list;
}

QString dialogFilter() {
    QStringList patterns;
    for (const QString& extension : extensions())
        patterns << QStringLiteral("*.") + extension;
    // The dialog matches names in any case: MVI_0001.AVI and IMG_0001.MOV are both listed.
    return QStringLiteral("ビデオファイル (%1)|%2|AVIファイル (*.avi)|*.avi|すべてのファイル (*)|*")
        .arg(patterns.join(u' '), patterns.join(u';'));
}

std::optional<QString> singleLocalFile(const QList<QUrl>& dropped) {
    if (dropped.size() != 1 || !dropped.front().isLocalFile())
        return std::nullopt;
    return dropped.front().toLocalFile();
}

} // namespace video_files
