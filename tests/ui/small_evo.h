#pragma once
#include <QByteArray>
#include <QString>

namespace splitwick::testing {

// A tiny EVO of 2048-byte packs, each a 14-byte pack header and one PES packet:
//   pack 0      system header (video_bound 1, audio_bound 1) and a padding packet
//   then pairs  an MPEG-2 video packet (stream_id 0xE0) whose payload is VideoPayload, and a
//              DD+ packet (private stream 1, sub-stream id 0xC0) whose payload behind its
//              4-byte sub-stream header is AudioPayload
// Every PES header carries a PTS only (PES_header_data_length 5).
struct SmallEvo {
    static constexpr int PackSize = 2048;
    // 2048 - 14 (pack header) - 6 (start code, length) - 3 (flags) - 5 (PTS)
    static constexpr int VideoPayloadSize = 2020;
    static constexpr int AudioPayloadSize = VideoPayloadSize - 4;

    // One picture_start_code 00 00 01 00, then filler that holds no start code.
    static QByteArray videoPayload();
    static QByteArray audioPayload();

    // Writes pack 0 and the given number of video/audio pairs.
    static void write(const QString& path, int pairs);
};

} // namespace splitwick::testing
