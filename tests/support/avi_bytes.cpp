#include "hostile_files.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <algorithm>

namespace hostile {

namespace {

void put32(QByteArray& bytes, quint32 value) {
    char raw[4];
    qToLittleEndian(value, raw);
    bytes.append(raw, 4);
}

void put16(QByteArray& bytes, quint16 value) {
    char raw[2];
    qToLittleEndian(value, raw);
    bytes.append(raw, 2);
}

void patch32(QByteArray& bytes, int at, quint32 value) {
    if (at >= 0 && at + 4 <= bytes.size())
        qToLittleEndian(value, bytes.data() + at);
}

QByteArray chunk(const char* fourcc, const QByteArray& data) {
    QByteArray bytes(fourcc, 4);
    put32(bytes, quint32(data.size()));
    bytes += data;
    if (data.size() % 2)
        bytes += '\0';
    return bytes;
}

QByteArray list(const char* type, const QByteArray& content) {
    return chunk("LIST", QByteArray(type, 4) + content);
}

QByteArray streamHeader(const char* type, const char* handler, quint32 scale, quint32 rate,
                        quint32 length, quint32 bufferSize, quint32 sampleSize, quint32 width,
                        quint32 height) {
    QByteArray h(type, 4);
    h.append(handler, 4);
    put32(h, 0); // flags
    put32(h, 0); // priority, language
    put32(h, 0); // initial frames
    put32(h, scale);
    put32(h, rate);
    put32(h, 0); // start
    put32(h, length);
    put32(h, bufferSize);
    put32(h, 0xffffffff); // quality
    put32(h, sampleSize);
    put16(h, 0);
    put16(h, 0);
    put16(h, quint16(width));
    put16(h, quint16(height));
    return chunk("strh", h);
}

} // namespace

QByteArray buildAvi(const AviParts& parts) {
    const quint32 frames = parts.claimedFrames ? parts.claimedFrames : quint32(parts.pictures);
    const quint32 stride = (parts.width * 3 + 3) / 4 * 4;
    const quint32 pictureBytes = stride * parts.height;
    const int pictureSize = parts.pictures > 0 ? int(stride * parts.height) : 0;
    constexpr quint32 kSoundBytes = 8000 / 30 * 2; // one frame period of 8 kHz 16-bit mono

    QByteArray avih;
    put32(avih, 33333); // microseconds per frame
    put32(avih, 0);
    put32(avih, 0);
    put32(avih, 0x10); // has an index
    put32(avih, frames);
    put32(avih, 0);
    put32(avih, quint32(parts.video) + quint32(parts.audio));
    put32(avih, pictureBytes);
    put32(avih, parts.width);
    put32(avih, parts.height);
    avih += QByteArray(16, '\0');

    QByteArray headers = chunk("avih", avih);
    if (parts.video) {
        QByteArray bitmap;
        put32(bitmap, 40);
        put32(bitmap, parts.width);
        put32(bitmap, parts.height);
        put16(bitmap, 1);
        put16(bitmap, 24);
        put32(bitmap, 0); // BI_RGB
        put32(bitmap, pictureBytes);
        bitmap += QByteArray(16, '\0');
        headers += list("strl", streamHeader("vids", "DIB ", 1, 30, frames, pictureBytes, 0,
                                             parts.width, parts.height) +
                                    chunk("strf", bitmap));
    }
    if (parts.audio) {
        QByteArray wave;
        put16(wave, 1); // PCM
        put16(wave, 1);
        put32(wave, 8000);
        put32(wave, 16000);
        put16(wave, 2);
        put16(wave, 16);
        put16(wave, 0);
        headers += list("strl", streamHeader("auds", "\0\0\0\0", 1, 8000, 8000 / 30 * frames,
                                             kSoundBytes, 2, 0, 0) +
                                    chunk("strf", wave));
    }

    QByteArray movi("movi", 4);
    QByteArray index;
    const auto addData = [&](const char* id, const QByteArray& data) {
        QByteArray entry(id, 4);
        put32(entry, 0x10);                 // keyframe
        put32(entry, quint32(movi.size())); // from the start of "movi"
        put32(entry, quint32(data.size()));
        index += entry;
        movi += chunk(id, data);
    };
    const int periods = std::max(parts.pictures, parts.audio ? 4 : 0);
    for (int n = 0; n < periods; ++n) {
        if (parts.video && n < parts.pictures)
            addData("00db", QByteArray(pictureSize, char(0x40 + 16 * (n % 8))));
        if (parts.audio)
            addData(parts.video ? "01wb" : "00wb", QByteArray(int(kSoundBytes), char(n)));
    }

    QByteArray body = QByteArray("AVI ", 4) + list("hdrl", headers) + chunk("LIST", movi);
    if (parts.index)
        body += chunk("idx1", index);
    return chunk("RIFF", body);
}

int chunkOffset(const QByteArray& avi, const char* fourcc) {
    return avi.indexOf(QByteArray(fourcc, 4));
}

QByteArray withClaimedFrames(QByteArray avi, quint32 frames) {
    const int avih = chunkOffset(avi, "avih");
    if (avih >= 0)
        patch32(avi, avih + 8 + 16, frames);
    const int strh = chunkOffset(avi, "strh");
    if (strh >= 0)
        patch32(avi, strh + 8 + 32, frames);
    const int dmlh = chunkOffset(avi, "dmlh");
    if (dmlh >= 0)
        patch32(avi, dmlh + 8, frames);
    return avi;
}

QByteArray withClaimedSize(QByteArray avi, quint32 width, quint32 height) {
    const int avih = chunkOffset(avi, "avih");
    if (avih >= 0) {
        patch32(avi, avih + 8 + 32, width);
        patch32(avi, avih + 8 + 36, height);
    }
    const int strf = chunkOffset(avi, "strf");
    if (strf >= 0) {
        patch32(avi, strf + 8 + 4, width);
        patch32(avi, strf + 8 + 8, height);
    }
    return avi;
}

QByteArray randomBytes(int size, quint32 seed) {
    QByteArray bytes(size, '\0');
    QRandomGenerator random(seed);
    for (char& byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

} // namespace hostile
