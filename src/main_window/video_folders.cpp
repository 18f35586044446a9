#include "main_window/video_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace video_folders {

QString startFolder(const QString& lastChosenFile, const QString& samplesFolder,
                    const QString& home) {
    if (!lastChosenFile.isEmpty()) {
        const QFileInfo last(lastChosenFile);
        if (last.dir().exists()) {
            return last.absolutePath();
        }
    }
    if (!samplesFolder.isEmpty() && QFileInfo(samplesFolder).isDir()) {
        return samplesFolder;
    }
    return home;
}

QString bundledSamplesFolder() {
    const QDir programDir(QCoreApplication::applicationDirPath());
    for (const char* candidate : {"../share/ugoki/samples", "../../samples"}) {
        const QString folder = QDir::cleanPath(programDir.filePath(QString::fromLatin1(candidate)));
        if (QFileInfo(folder).isDir()) {
            return folder;
        }
    }
    return {};
}

} // namespace video_folders
