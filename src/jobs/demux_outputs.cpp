#include "demux_outputs.h"

#include <algorithm>

#include "mux_plan.h"
#include "output_names.h"

namespace splitwick {

namespace {

// A subpicture's side file of timestamps.
const std::string PtsExtension = "pts";
const std::string WavExtension = "wav";
// Subpictures named by codec: no codec of the mux table stands for them.
const std::string SubpictureExtension = "sup";

std::string streamExtension(const JobRequest& request, Box box, std::optional<MuxCodec> codec,
                            bool wav) {
    if (wav) return WavExtension;
    if (request.extensionsByCodec) {
        if (box.kind == BoxKind::Subpicture) return SubpictureExtension;
        // A stream whose codec neither a scan nor its label tells keeps its kind's extension.
        if (codec) return codecExtension(*codec);
    }
    return safeNamePart(request.extension(box.kind));
}

// An LPCM stream goes into a WAV file when the option says so.
bool writesWav(const JobRequest& request, std::optional<MuxCodec> codec) {
    return codec == MuxCodec::LpcmWav && request.lpcmWav;
}

} // namespace

DemuxedStream boxOutputNames(const JobRequest& request, const std::string& prefix, Box box,
                             const std::string& label, int32_t streamId) {
    const std::optional<MuxCodec> codec = muxCodec(box, label, streamId);
    const bool wav = writesWav(request, codec);
    const bool pgs = box.kind == BoxKind::Subpicture && request.subPgs;
    const std::string extension =
        pgs ? SubpictureExtension : streamExtension(request, box, codec, wav);
    const bool withTimestamps = box.kind == BoxKind::Subpicture && !pgs;
    const std::string stem = boxOutputStem(
        prefix, label, box, std::max(extension.size(), withTimestamps ? PtsExtension.size() : 0));
    return {box, label, stem + "." + extension, withTimestamps ? stem + "." + PtsExtension : "",
            pgs};
}

DemuxedStream createBoxOutputs(OutputSet& outputs, Session& session, const SplitTitle& title,
                               const std::string& prefix, Box box, const std::string& label,
                               int32_t streamId) {
    const JobRequest& request = session.request;
    const DemuxedStream names = boxOutputNames(request, prefix, box, label, streamId);
    const bool withTimestamps = !names.timestamps.empty();
    if (writesWav(request, muxCodec(box, label, streamId))) {
        refuseLaterParts(title, names.path);
        outputs.add(box.index,
                    std::make_unique<LpcmWavFile>(names.path, box.index, session.openFiles));
        return names;
    }
    if (names.pgs) {
        refuseLaterParts(title, names.path);
        outputs.add(box.index,
                    std::make_unique<PgsStreamFile>(names.path, label, session.openFiles));
        return names;
    }
    auto stream = createOutput(session, title, names.path);
    outputs.add(box, std::move(stream),
                withTimestamps ? createOutput(session, title, names.timestamps) : nullptr);
    return names;
}

std::string createChapterFile(OutputSet& outputs, Session& session, const SplitTitle& title,
                              const TitleChapters& chapters, const std::string& prefix) {
    if (chapters.marks.empty()) return "";
    const std::string name = prefix + ".chapters.xml";
    OutputFile& file = outputs.add(createOutput(session, title, name));
    session.log("Creating " + name);
    writeChapterFile(file, chapters);
    return name;
}

} // namespace splitwick
