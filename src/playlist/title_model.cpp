#include "title_model.h"

#include "title_info_reader.h"

namespace splitwick {

TitleModel readTitleModel(const MemoLines& titleLines, const std::string& playlistTitle,
                          const TitleSetAttributes& titleSet, const std::string& evoName) {
    TitleModel model;
    if (!playlistTitle.empty()) model.tree.add(TreeBranch::Info, "Title: " + playlistTitle);
    TreeLines tree(model.tree);
    StreamLabels labels;
    TitleInfoReader reader(titleSet, evoName);
    for (size_t i = 0; i < titleLines.size(); ++i) {
        const PlaylistTag tag(titleLines.line(i));
        tree.read(tag);
        labels.read(tag);
        reader.read(tag);
    }
    std::vector<TitleInfo> titles = reader.result();
    if (!titles.empty()) model.title = std::move(titles.front());
    // The labels read every line of the cut, also those around the title element.
    model.streams = labels.streams();
    nameTracks(model.title, model.streams);
    return model;
}

std::vector<TitleInfo> readTitles(const MemoLines& lines, const TitleSetAttributes& titleSet) {
    TitleInfoReader reader(titleSet, "");
    for (size_t i = 0; i < lines.size(); ++i)
        reader.read(PlaylistTag(lines.line(i)));
    return reader.result();
}

} // namespace splitwick
