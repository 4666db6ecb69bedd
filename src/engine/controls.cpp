#include "controls.h"

namespace splitwick {

void Resetcbs(Controls& controls) {
    for (Box box : allBoxes()) {
        controls.setBoxEnabled(box, false);
        controls.setCaption(box, noStreamCaption(box.kind));
    }
}

bool anyBoxTicked(const Controls& controls) {
    for (Box box : allBoxes())
        if (controls.ticked(box)) return true;
    return false;
}

} // namespace splitwick
