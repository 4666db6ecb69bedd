#include "stream_choice.h"

namespace splitwick {

void StreamChoice::forget() {
    for (Box box : allBoxes()) {
        StreamEntry& entry = (*this)[box];
        entry = {LearntFrom::Nothing, entry.chosen, noStreamLabel(box.kind), entry.description};
    }
}

std::vector<Box> StreamChoice::known() const {
    std::vector<Box> boxes;
    for (Box box : allBoxes())
        if ((*this)[box].known()) boxes.push_back(box);
    return boxes;
}

std::vector<Box> StreamChoice::chosenStreams() const {
    std::vector<Box> boxes;
    for (Box box : streamBoxes())
        if ((*this)[box].chosen) boxes.push_back(box);
    return boxes;
}

} // namespace splitwick
