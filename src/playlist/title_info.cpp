#include "title_info.h"

#include <algorithm>

namespace splitwick {

std::optional<TrackLanguage> TitleInfo::track(Box box) const {
    const auto index = static_cast<size_t>(box.index);
    switch (box.kind) {
    case BoxKind::Audio:
        return audio.at(index);
    case BoxKind::Subpicture:
        return subtitle.at(index);
    case BoxKind::Video:
        break;
    }
    return std::nullopt;
}

TrackLabel TitleInfo::muxLabel(Box box, const std::string& streamLabel) const {
    TrackLabel label;
    if (const std::optional<TrackLanguage> language = track(box)) {
        if (!language->language.empty()) label.language = language->language;
        label.kind = language->kind;
    }
    const auto index = static_cast<size_t>(box.index);
    switch (box.kind) {
    case BoxKind::Audio:
        label.name = audioDescription.at(index);
        break;
    case BoxKind::Subpicture:
        label.name = subtitleDescription.at(index);
        break;
    case BoxKind::Video:
        break;
    }
    if (label.name.empty()) label.name = streamLabel;
    return label;
}

TitleChapters TitleInfo::chaptersFor(const std::string& evo) const {
    TitleChapters file{chapterLanguage, {}};
    if (!found() || evo != evoName) return file;
    const ChapterMark* running = nullptr;
    for (const ChapterMark& mark : chapters) {
        if (mark.startNs >= evoStartNs)
            file.marks.push_back({mark.startNs - evoStartNs, mark.name});
        else if (running == nullptr || mark.startNs > running->startNs)
            running = &mark;
    }
    const bool startMarked = std::any_of(file.marks.begin(), file.marks.end(),
                                         [](const ChapterMark& mark) { return mark.startNs == 0; });
    if (running != nullptr && !startMarked)
        file.marks.insert(file.marks.begin(), {0, running->name});
    return file;
}

} // namespace splitwick
