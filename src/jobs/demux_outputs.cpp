#include "demux_outputs.h"

#include <algorithm>
#include <array>

#include "mux_plan.h"
#include "output_names.h"

namespace splitwick {

namespace {

// A subpicture's side file of timestamps.
const std::string PtsExtension = "pts";
const std::string WavExtension = "wav";
// Subpictures named by codec: no codec of the mux table stands for them.
const std::string SubpictureExtension = "sup";

constexpr std::array<Field, 3> ExtensionFields = {Field::VideoExt, Field::AudioExt, Field::SubExt};

std::string streamExtension(const Controls& controls, Box box, std::optional<MuxCodec> codec,
                            bool wav) {
    if (wav) return WavExtension;
    if (controls.option(Option::ExtensionsByCodec)) {
        if (box.kind == BoxKind::Subpicture) return SubpictureExtension;
        // A box whose codec neither a scan nor its caption tells keeps its kind's field.
        if (codec) return codecExtension(*codec);
    }
    return safeNamePart(controls.field(ExtensionFields[static_cast<size_t>(box.kind)]));
}

// An LPCM stream goes into a WAV file when the option says so.
bool writesWav(const Controls& controls, std::optional<MuxCodec> codec) {
    return codec == MuxCodec::LpcmWav && controls.option(Option::LpcmWav);
}

} // namespace

DemuxedStream boxOutputNames(const Controls& controls, const std::string& prefix, Box box,
                             const std::string& caption, int32_t streamId) {
    const std::optional<MuxCodec> codec = muxCodec(box, caption, streamId);
    const bool wav = writesWav(controls, codec);
    const bool pgs = box.kind == BoxKind::Subpicture && controls.option(Option::SubPgs);
    const std::string extension =
        pgs ? SubpictureExtension : streamExtension(controls, box, codec, wav);
    const bool withTimestamps = box.kind == BoxKind::Subpicture && !pgs;
    const std::string stem = boxOutputStem(
        prefix, caption, box, std::max(extension.size(), withTimestamps ? PtsExtension.size() : 0));
    return {box, caption, stem + "." + extension, withTimestamps ? stem + "." + PtsExtension : "",
            pgs};
}

DemuxedStream createBoxOutputs(OutputSet& outputs, const Controls& controls,
                               const SplitTitle& title, const std::string& prefix, Box box,
                               const std::string& caption, int32_t streamId) {
    const DemuxedStream names = boxOutputNames(controls, prefix, box, caption, streamId);
    const bool withTimestamps = !names.timestamps.empty();
    if (writesWav(controls, muxCodec(box, caption, streamId))) {
        refuseLaterParts(title, names.path);
        outputs.add(box.index, std::make_unique<LpcmWavFile>(names.path, box.index));
        return names;
    }
    if (names.pgs) {
        refuseLaterParts(title, names.path);
        outputs.add(box.index, std::make_unique<PgsStreamFile>(names.path, caption));
        return names;
    }
    auto stream = createOutput(title, names.path);
    outputs.add(box, std::move(stream),
                withTimestamps ? createOutput(title, names.timestamps) : nullptr);
    return names;
}

std::string createChapterFile(OutputSet& outputs, Session& session, const SplitTitle& title,
                              const TitleChapters& chapters, const std::string& prefix) {
    if (chapters.marks.empty()) return "";
    const std::string name = prefix + ".chapters.xml";
    OutputFile& file = outputs.add(createOutput(title, name));
    session.log("Creating " + name);
    writeChapterFile(file, chapters);
    return name;
}

} // namespace splitwick
