#include "parser_stamps.h"

#include <limits>

namespace splitwick {

void ParserStamps::add(int64_t offset, int64_t end, Stamps stamps) {
    newest_ = (newest_ + 1) % entries_.size();
    entries_[newest_] = {offset, end, stamps};
}

void ParserStamps::lookUp(int64_t at, int64_t before, bool first, Lookup how, Stamps& stamps) {
    const bool ifDated = how == Lookup::TakeIfDated;
    if (!ifDated) stamps = none();
    // The table in its own order, not the runs': each run that began after the frame before and
    // not after `at` is taken in turn, up to the one holding `at`.
    for (Entry& entry : entries_) {
        if (entry.end == 0 || at < entry.offset || !(before < entry.offset || first)) continue;
        if (!ifDated || entry.stamps.dts != none_) stamps = entry.stamps;
        if (how != Lookup::Plain) entry.offset = std::numeric_limits<int64_t>::max();
        if (at < entry.end) break;
    }
}

} // namespace splitwick
