#include "small_evo.h"

#include <QFile>

namespace splitwick::testing {

namespace {

QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// MPEG-2 pack header: SCR 0, program_mux_rate, no stuffing.
QByteArray packHeader() {
    return bytes(
        {0x00, 0x00, 0x01, 0xBA, 0x44, 0x00, 0x04, 0x00, 0x04, 0x01, 0x01, 0x89, 0xC3, 0xF8});
}

// A PES packet that fills the rest of its pack: '10' flags byte, PTS only, PTS 0.
QByteArray pesPacket(int streamId, const QByteArray& payload) {
    const int length = 3 + 5 + int(payload.size());
    return bytes({0x00, 0x00, 0x01, streamId, length >> 8, length & 0xFF, 0x81, 0x80, 0x05, 0x21,
                  0x00, 0x01, 0x00, 0x01}) +
           payload;
}

QByteArray systemPack() {
    // system_header: length 6, rate_bound, audio_bound 1, video_bound 1, no stream entries.
    QByteArray pack = packHeader() + bytes({0x00, 0x00, 0x01, 0xBB, 0x00, 0x06, 0x80, 0x00, 0x01,
                                            0x04, 0xE1, 0xFF});
    const int padding = SmallEvo::PackSize - int(pack.size()) - 6;
    return pack + bytes({0x00, 0x00, 0x01, 0xBE, padding >> 8, padding & 0xFF}) +
           QByteArray(padding, char(0xFF));
}

} // namespace

QByteArray SmallEvo::videoPayload() {
    return bytes({0x00, 0x00, 0x01, 0x00}) + QByteArray(VideoPayloadSize - 4, char(0x11));
}

QByteArray SmallEvo::audioPayload() {
    return QByteArray(AudioPayloadSize, char(0x22));
}

void SmallEvo::write(const QString& path, int pairs) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    const QByteArray video = packHeader() + pesPacket(0xE0, videoPayload());
    // DD+ sub-stream header: sub-stream id, frame count, first access unit pointer.
    const QByteArray audio =
        packHeader() + pesPacket(0xBD, bytes({0xC0, 0x01, 0x00, 0x01}) + audioPayload());
    file.write(systemPack());
    for (int i = 0; i < pairs; ++i) {
        file.write(video);
        file.write(audio);
    }
}

} // namespace splitwick::testing
