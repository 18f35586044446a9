#pragma once

#include <QByteArray>
#include <QtGlobal>

// AVI files written by hand at test time, so that their headers can claim what their
// contents are not, and damage done to real ones.
namespace hostile {

struct AviParts {
    bool video = true;  // a video stream of raw BGR24 pictures
    quint32 width = 32; // what the headers claim
    quint32 height = 24;
    quint32 claimedFrames = 0; // what the headers claim; 0 for the pictures written
    int pictures = 4;          // chunks of width x height actually written
    bool audio = false;        // a PCM sound stream beside (or instead of) the video
    bool index = true;         // an idx1 index after the data
};

QByteArray buildAvi(const AviParts& parts);

// The offset of a chunk or list name ("idx1", "movi", "avih" ...), -1 when absent.
int chunkOffset(const QByteArray& avi, const char* fourcc);

// A copy whose headers (main header, stream header, OpenDML header) claim `frames` frames.
QByteArray withClaimedFrames(QByteArray avi, quint32 frames);
// A copy whose headers claim pictures of width x height.
QByteArray withClaimedSize(QByteArray avi, quint32 width, quint32 height);

QByteArray randomBytes(int size, quint32 seed);

} // namespace hostile
