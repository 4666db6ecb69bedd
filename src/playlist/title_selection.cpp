#include "title_selection.h"

#include "playlist_tag.h"

namespace splitwick {

namespace {

std::optional<size_t> firstLineWith(const MemoLines& memo, const std::string& text) {
    for (size_t i = 0; i < memo.size(); ++i)
        if (memo.line(i).find(text) != std::string::npos) return i;
    return std::nullopt;
}

bool upperHas(const std::string& line, const char* text) {
    return upperAscii(line).find(text) != std::string::npos;
}

} // namespace

std::optional<size_t> evoLine(const MemoLines& memo, const std::string& stem) {
    if (stem.empty()) return std::nullopt;
    // FEATURE_1 must not take the title of FEATURE_10.MAP, nor a stem such as "black" that of
    // an attribute onEnd="black".
    std::optional<size_t> line = firstLineWith(memo, "/" + stem + ".");
    if (!line) line = firstLineWith(memo, stem);
    if (line == size_t{0}) return std::nullopt;
    return line;
}

void cutToTitle(MemoLines& memo, size_t evoLine) {
    // "<TITLE " with its space: a TitleSet or FirstPlayTitle is no title to cut to.
    size_t first = 0;
    for (size_t i = evoLine; i-- > 0;) {
        if (upperHas(memo.line(i), "<TITLE ")) {
            first = i;
            break;
        }
    }
    size_t end = memo.size();
    for (size_t i = first + 1; i < memo.size(); ++i) {
        if (upperHas(memo.line(i), "</TITLE")) {
            end = i + 1;
            break;
        }
    }
    memo.keep(first, end);
}

} // namespace splitwick
