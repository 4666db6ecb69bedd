// Encodes raw LPCM samples, little-endian as LpcmSamples gives them (16 or 24 bits, 20-bit ones
// left-justified in 24), into FLAC frames, handing them on in runs of about 2010 bytes as the
// scan hands on a packet's samples; the frames are dropped. Prints the PCM bytes that went in
// and the FLAC bytes that came out, so that the encoding can be timed and its gain seen.
//
//   splitwick-lpcm-flac BITS RATE CHANNELS LEVEL IN     e.g. 24 48000 6 5 samples.raw
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "engine/open_files.h"
#include "engine/source_file.h"
#include "mux/flac_encoder.h"

int main(int argc, char** argv) {
    using namespace splitwick;
    if (argc != 6) {
        std::fputs("usage: splitwick-lpcm-flac BITS RATE CHANNELS LEVEL IN\n", stderr);
        return 2;
    }
    constexpr size_t Run = 2010;    // a DVD LPCM packet's samples
    av_log_set_level(AV_LOG_QUIET); // as the Matroska writer's module has it
    try {
        const LpcmFormat format{std::stoi(argv[1]), std::stoi(argv[2]), std::stoi(argv[3])};
        FlacEncoder encoder(format, std::stoi(argv[4]), [](const FlacFrame& frame) {
            AVPacket* packet = frame.packet;
            av_packet_free(&packet);
        });
        // Whole sample frames a run, as LpcmSamples gives them.
        const size_t frameBytes = size_t(format.channels * (format.bitsPerSample == 16 ? 2 : 3));
        const size_t run = std::max<size_t>(1, Run / frameBytes) * frameBytes;
        OpenFiles files;
        SourceFile in(argv[5], files);
        std::vector<uint8_t> chunk(run * 256);
        while (const size_t n = in.read(chunk.data(), chunk.size()))
            for (size_t at = 0, whole = n / frameBytes * frameBytes; at < whole; at += run)
                encoder.encode({chunk.data() + at, std::min(run, whole - at)});
        encoder.finish();
        std::printf("%llu %llu\n", static_cast<unsigned long long>(encoder.pcmBytes()),
                    static_cast<unsigned long long>(encoder.flacBytes()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
