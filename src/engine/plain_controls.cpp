#include "plain_controls.h"

namespace splitwick {

PlainControls::PlainControls()
    : options_{{Option::FastCheck, true},          {Option::CountFrames, true},
               {Option::Continue, true},           {Option::LpcmWav, false},
               {Option::ExtensionsByCodec, false}, {Option::SubPgs, false}},
      fields_{{Field::EVOfile, ""},     {Field::XPLfile, ""},     {Field::Workdir, ""},
              {Field::VideoExt, "mpv"}, {Field::AudioExt, "mpa"}, {Field::SubExt, "sup"}},
      buttons_{{Button::Check, false},
               {Button::ReadXPL, false},
               {Button::Demux, false},
               {Button::Rebuild, true},
               {Button::Cancel, false}} {
    for (Box box : allBoxes())
        state(box) = {false, false, laidOutCaption(box.kind), pageHint(box.kind)};
}

void PlainControls::setTicked(Box box, bool ticked) {
    if (state(box).ticked == ticked) return;
    state(box).ticked = ticked;
    // cbVideoClick
    setButtonEnabled(Button::Demux, anyBoxTicked(*this));
}

PlainControls::BoxState& PlainControls::state(Box box) {
    return boxes_.at(boxPosition(box));
}

const PlainControls::BoxState& PlainControls::state(Box box) const {
    return const_cast<PlainControls*>(this)->state(box);
}

} // namespace splitwick
