#include "title_info.h"

#include <algorithm>

namespace splitwick {

std::optional<TrackLanguage> TitleInfo::language(TrackName name) const {
    const auto found = languages.find(name);
    if (found == languages.end()) return std::nullopt;
    return found->second;
}

TrackLabel TitleInfo::muxLabel(TrackName name, const std::string& streamLabel) const {
    TrackLabel label;
    if (const std::optional<TrackLanguage> language = this->language(name)) {
        if (!language->language.empty()) label.language = language->language;
        label.kind = language->kind;
    }
    if (const auto described = descriptions.find(name); described != descriptions.end())
        label.name = described->second;
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
