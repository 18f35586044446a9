#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <optional>

// Which files are offered as videos, and which of what a user drops onto the window is one.
namespace video_files {

// The extensions of every container that opens, lower case, without the dot.
const QStringList& extensions();

// The file dialog's filter, as pairs of "description|patterns": every video that opens (any
// case), the AVI files of old, every file.
QString dialogFilter();

// The one local file dropped, or nothing (several, or something that is not a local file).
std::optional<QString> singleLocalFile(const QList<QUrl>& dropped);

} // namespace video_files
