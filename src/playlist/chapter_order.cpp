#include "chapter_order.h"

#include <algorithm>

namespace splitwick {

namespace {

// The chapters left where they are: the longest run of starts, in the playlist's order, that
// never goes back in time (patience sorting, upper bound for equal starts).
size_t longestOrderedRun(const std::vector<ChapterMark>& chapters) {
    std::vector<int64_t> tails;
    for (const ChapterMark& chapter : chapters) {
        const auto at = std::upper_bound(tails.begin(), tails.end(), chapter.startNs);
        if (at == tails.end())
            tails.push_back(chapter.startNs);
        else
            *at = chapter.startNs;
    }
    return tails.size();
}

std::string counted(int count, const char* what) {
    return std::to_string(count) + " " + what;
}

} // namespace

ChapterReorder putInTimeOrder(std::vector<ChapterMark>& chapters) {
    ChapterReorder change;
    std::vector<ChapterMark> kept;
    for (ChapterMark& chapter : chapters)
        if (std::find(kept.begin(), kept.end(), chapter) == kept.end())
            kept.push_back(std::move(chapter));
    change.duplicates = int(chapters.size() - kept.size());
    change.moved = int(kept.size() - longestOrderedRun(kept));
    std::stable_sort(kept.begin(), kept.end(), [](const ChapterMark& a, const ChapterMark& b) {
        return a.startNs < b.startNs;
    });
    chapters = std::move(kept);
    return change;
}

std::optional<std::string> reorderLine(const std::string& titleName, const ChapterReorder& change) {
    std::string parts;
    if (change.moved > 0) parts = counted(change.moved, "moved into time order");
    if (change.duplicates > 0)
        parts += (parts.empty() ? "" : ", ") +
                 counted(change.duplicates, change.duplicates == 1 ? "duplicate dropped"
                                                                   : "duplicates dropped");
    if (parts.empty()) return std::nullopt;
    return "Chapters of " + titleName + ": " + parts;
}

} // namespace splitwick
