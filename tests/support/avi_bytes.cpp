#include "support/avi_bytes.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <algorithm>
#include <initializer_list>

namespace hostile {

namespace {

// Little-endian 32-bit words, or 16-bit ones.
template <typename T> QByteArray little(std::initializer_list<T> values) {
    QByteArray bytes;
    for (T value : values) {
        char raw[sizeof(T)];
        qToLittleEndian(value, raw);
        bytes.append(raw, sizeof(T));
    }
    return bytes;
}
QByteArray words(std::initializer_list<quint32> values) {
    return little(values);
}
QByteArray halves(std::initializer_list<quint16> values) {
    return little(values);
}

// Overwrites the 32-bit word `offset` bytes into the first chunk named `fourcc`, if any.
void patch(QByteArray& avi, const char* fourcc, int offset, quint32 value) {
    const int at = avi.indexOf(QByteArray(fourcc, 4));
    if (at >= 0 && at + offset + 4 <= avi.size())
        qToLittleEndian(value, avi.data() + at + offset);
}

QByteArray chunk(const char* fourcc, const QByteArray& data) {
    QByteArray bytes = QByteArray(fourcc, 4) + words({quint32(data.size())}) + data;
    return data.size() % 2 ? bytes + '\0' : bytes;
}

QByteArray list(const char* type, const QByteArray& content) {
    return chunk("LIST", QByteArray(type, 4) + content);
}

// A stream header: type, handler, rate (per second), length, buffer and sample sizes, frame.
QByteArray streamHeader(const char* type, const char* handler, quint32 rate, quint32 length,
                        quint32 bufferSize, quint32 sampleSize, quint16 width, quint16 height) {
    return chunk("strh",
                 QByteArray(type, 4) + QByteArray(handler, 4) +
                     words({0, 0, 0, 1, rate, 0, length, bufferSize, 0xffffffff, sampleSize}) +
                     halves({0, 0, width, height}));
}

} // namespace

QByteArray buildAvi(const AviParts& parts) {
    const quint32 frames = parts.claimedFrames ? parts.claimedFrames : quint32(parts.pictures);
    const quint32 pictureBytes = (parts.width * 3 + 3) / 4 * 4 * parts.height;
    constexpr quint32 kSoundBytes = 8000 / 30 * 2; // one frame period of 8 kHz 16-bit mono

    QByteArray headers =
        chunk("avih", words({33333, 0, 0, 0x10, frames, 0, quint32(parts.video + parts.audio),
                             pictureBytes, parts.width, parts.height, 0, 0, 0, 0}));
    if (parts.video)
        headers += list("strl",
                        streamHeader("vids", "DIB ", 30, frames, pictureBytes, 0,
                                     quint16(parts.width), quint16(parts.height)) +
                            chunk("strf", words({40, parts.width, parts.height}) + halves({1, 24}) +
                                              words({0, pictureBytes, 0, 0, 0, 0})));
    if (parts.audio)
        headers +=
            list("strl",
                 streamHeader("auds", "\0\0\0\0", 8000, 8000 / 30 * frames, kSoundBytes, 2, 0, 0) +
                     chunk("strf", halves({1, 1}) + words({8000, 16000}) + halves({2, 16, 0})));
    QByteArray movi("movi", 4);
    QByteArray index;
    const auto addData = [&](const char* id, const QByteArray& data) {
        index += QByteArray(id, 4) + words({0x10, quint32(movi.size()), quint32(data.size())});
        movi += chunk(id, data);
    };
    for (int n = 0; n < std::max(parts.pictures, parts.audio ? 4 : 0); ++n) {
        if (parts.video && n < parts.pictures)
            addData("00db", QByteArray(int(pictureBytes), char(0x40 + 16 * (n % 8))));
        if (parts.audio)
            addData(parts.video ? "01wb" : "00wb", QByteArray(int(kSoundBytes), char(n)));
    }
    QByteArray body = QByteArray("AVI ", 4) + list("hdrl", headers) + chunk("LIST", movi);
    return chunk("RIFF", parts.index ? body + chunk("idx1", index) : body);
}

int chunkOffset(const QByteArray& avi, const char* fourcc) {
    return avi.indexOf(QByteArray(fourcc, 4));
}

QByteArray withClaimedFrames(QByteArray avi, quint32 frames) {
    patch(avi, "avih", 8 + 16, frames);
    patch(avi, "strh", 8 + 32, frames);
    patch(avi, "dmlh", 8, frames);
    return avi;
}

QByteArray withClaimedSize(QByteArray avi, quint32 width, quint32 height) {
    patch(avi, "avih", 8 + 32, width);
    patch(avi, "avih", 8 + 36, height);
    patch(avi, "strf", 8 + 4, width);
    patch(avi, "strf", 8 + 8, height);
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
