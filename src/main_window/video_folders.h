#pragma once

#include <QString>

// Where the file-open dialog starts: in the folder of the last chosen file, else in the
// folder of the bundled sample videos, else in the user's home.
namespace video_folders {

QString startFolder(const QString& lastChosenFile, const QString& samplesFolder,
                    const QString& home);

// The sample videos beside the program: installed under share/ugoki/samples, or in the
// build tree's samples folder; empty when there are none.
QString bundledSamplesFolder();

} // namespace video_folders
