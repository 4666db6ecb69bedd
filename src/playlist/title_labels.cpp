#include "title_labels.h"

#include <array>

namespace splitwick {

namespace {

// Where each kind of stream takes its codec, and the kind of its tracks.
struct StreamKind {
    TreeBranch branch;
    AttributeTable AttributeTables::*table;
    TrackKind trackKind;
};

constexpr std::array<StreamKind, 3> Kinds = {{
    {TreeBranch::Video, &AttributeTables::VideoAttr, TrackKind::Video},
    {TreeBranch::Audio, &AttributeTables::AudioAttr, TrackKind::Audio},
    {TreeBranch::Subtitle, &AttributeTables::SubpictureAttr, TrackKind::Subpicture},
}};

const StreamKind& kindOf(TreeBranch branch) {
    for (const StreamKind& kind : Kinds)
        if (kind.branch == branch) return kind;
    return Kinds.front();
}

// "VC-1.stream.0" for a video track; "DD+.6ch.stream.00.English" for an audio or subtitle
// stream, its number as two digits.
std::string streamLabel(const AttributeTables& attributes, const LabelledStream& stream) {
    const TrackName name{kindOf(stream.branch).trackKind, stream.number - 1};
    const AttributeTable& table = attributes.*kindOf(stream.branch).table;
    const std::string codec =
        AttributeTable::holds(stream.mediaAttr) ? table[stream.mediaAttr] : "";
    if (stream.branch == TreeBranch::Video) return codec + ".stream." + name.numberText();
    return codec + ".stream." + name.numberText() + "." + stream.description;
}

} // namespace

std::vector<StreamLabel> labelTitle(const AttributeTables& attributes, TitleModel& model,
                                    JobEvents& events) {
    std::vector<StreamLabel> labels;
    for (const LabelledStream& stream : model.streams) {
        const std::string label = streamLabel(attributes, stream);
        model.tree.add(stream.branch, label);
        events.logged(label + " found!");
        const TrackName name{kindOf(stream.branch).trackKind, stream.number - 1};
        // Only the first video track labels a stream, and it takes no description.
        if (stream.branch != TreeBranch::Video)
            labels.push_back({name, label, label});
        else if (stream.number == 1)
            labels.push_back({name, label, {}});
    }
    if (const auto line = reorderLine(model.title.name, model.title.chapterReorder))
        events.logged(*line);
    return labels;
}

} // namespace splitwick
