// Writes raw LPCM samples (an LPCM stream as Demux writes it) as a WAV file, handing them on in
// runs of 2010 bytes as the scan hands on a packet's samples, so that the conversion can be
// timed against copying the same bytes.
//
//   splitwick-lpcm-wav CODING IN OUT     CODING: LPCM header byte 1 in hex, e.g. 85 for 24-bit
//                                        6-channel 48 kHz, 01 for 16-bit stereo 48 kHz
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/job_error.h"
#include "engine/lpcm_wav_file.h"
#include "engine/sizes.h"
#include "engine/source_file.h"

int main(int argc, char** argv) {
    using namespace splitwick;
    if (argc != 4) {
        std::fputs("usage: splitwick-lpcm-wav CODING IN OUT\n", stderr);
        return 2;
    }
    constexpr size_t Run = 2010; // a DVD LPCM packet's samples
    try {
        OpenFiles files; // so that OUT is refused when it is IN
        SourceFile in(argv[2], files);
        LpcmWavFile out(argv[3], 0, files);
        out.packetHeader({0x00, uint8_t(std::stoul(argv[1], nullptr, 16)), 0x80});
        std::vector<uint8_t> chunk(BufferSize);
        while (const size_t n = in.read(chunk.data(), chunk.size()))
            for (size_t at = 0; at < n; at += Run)
                out.write(chunk.data() + at, std::min(Run, n - at));
        out.close();
    } catch (const JobError& e) {
        std::fprintf(stderr, "%s\n", errorBoxText(e.what()).c_str());
        return 1;
    }
    return 0;
}
