#include "demux_outputs.h"

#include <algorithm>
#include <array>

#include "output_names.h"

namespace splitwick {

namespace {

// A subpicture's side file of timestamps.
const std::string PtsExtension = "pts";

constexpr std::array<Field, 3> ExtensionFields = {Field::VideoExt, Field::AudioExt, Field::SubExt};

} // namespace

DemuxedStream createBoxOutputs(OutputSet& outputs, const Controls& controls,
                               const SplitTitle& title, const std::string& prefix, Box box,
                               const std::string& caption) {
    const std::string extension =
        safeNamePart(controls.field(ExtensionFields[static_cast<size_t>(box.kind)]));
    const bool withTimestamps = box.kind == BoxKind::Subpicture;
    const std::string stem = boxOutputStem(
        prefix, caption, box, std::max(extension.size(), withTimestamps ? PtsExtension.size() : 0));
    DemuxedStream names{box, caption, stem + "." + extension,
                        withTimestamps ? stem + "." + PtsExtension : ""};
    auto stream = createOutput(title, names.path);
    outputs.add(box, std::move(stream),
                withTimestamps ? createOutput(title, names.timestamps) : nullptr);
    return names;
}

std::unique_ptr<OutputFile> createChapterFile(Session& session, const SplitTitle& title,
                                              const TitleChapters& chapters,
                                              const std::string& prefix) {
    if (chapters.marks.empty()) return nullptr;
    const std::string name = prefix + ".chapters.xml";
    auto file = createOutput(title, name);
    session.log("Creating " + name);
    return file;
}

} // namespace splitwick
