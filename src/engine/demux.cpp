#include "demux.h"

#include "pack_scanner.h"
#include "remaining_time.h"
#include "stream_writer.h"

namespace splitwick {

namespace {

constexpr int64_t RepaintStep = 64 * MiB;

// "It contains 1 video stream and 2 audio streams.", from video_bound and audio_bound of the
// system header that follows the first 14-byte pack header.
std::string systemHeaderLine(const std::array<uint8_t, BufferSize>& buffer) {
    const int video = buffer[24] & 0x1F;
    const int audio = (buffer[23] >> 2) & 0x3F;
    return "It contains " + std::to_string(video) + " video stream" + (video > 1 ? "s" : "") +
           " and " + std::to_string(audio) + " audio stream" + (audio > 1 ? "s." : ".");
}

bool hasSystemHeader(const std::array<uint8_t, BufferSize>& buffer) {
    return buffer[16] == 0x01 && buffer[17] == 0xBB;
}

} // namespace

void demux(Session& session, bool writeFlag) {
    JobState& state = session.state;
    ButtonHold cancelButton(session.controls, Button::Cancel, true);
    state.Cancelled = false;
    state.DemuxMode = writeFlag;
    const PassClock clock;
    state.StreamTable.fill(-1);

    StreamWriter writer(session, writeFlag);
    PackScanner scanner(state.StreamTable, writer, !writeFlag);
    SourceFile& source = *state.Source;
    const std::string verb = writeFlag ? "Demuxing " : "Reading ";

    while (source.position() < source.size() && !state.Cancelled) {
        const size_t n = source.read(state.Buffer.data(), BufferSize);
        const int64_t position = source.position();
        if (position % ProgressStep == 0) {
            session.slog(
                verb + source.fileName() + " " + progressTail(clock, position, source.size()), 1);
            // The one point where Cancel can be pressed during a scan.
            session.events.processPendingEvents();
        }
        if (!writeFlag && session.controls.option(Option::FastCheck) && position > FastCheckLimit)
            state.Cancelled = true;
        if (position % RepaintStep == 0) session.events.repaint();
        if (position == int64_t(BufferSize) && hasSystemHeader(state.Buffer))
            session.log(systemHeaderLine(state.Buffer));
        scanner.feed(state.Buffer.data(), n);
    }
    if (state.Cancelled) state.FrameCount = {0, 0};
}

} // namespace splitwick
