#include "widget_controls.h"

namespace splitwick {

namespace {

// A check box shows "&" as the mark of a shortcut key; a caption shows it as it is.
QString shownCaption(const std::string& caption) {
    return QString::fromStdString(caption).replace("&", "&&");
}

std::string captionShown(const QString& text) {
    return QString(text).replace("&&", "&").toStdString();
}

// Every button the jobs enable and disable, in Button order.
constexpr std::array<Button, 5> Buttons = {Button::Check, Button::ReadXPL, Button::Demux,
                                           Button::Rebuild, Button::Cancel};

} // namespace

WidgetControls::WidgetControls(const Widgets& widgets) : w_(widgets) {
    for (Button button : Buttons)
        enabled_.at(size_t(button)) = buttonWidget(button)->isEnabled();
}

bool WidgetControls::ticked(Box box) const {
    return w_.box(box)->isChecked();
}

void WidgetControls::setTicked(Box box, bool ticked) {
    w_.box(box)->setChecked(ticked);
}

bool WidgetControls::boxEnabled(Box box) const {
    return w_.box(box)->isEnabled();
}

void WidgetControls::setBoxEnabled(Box box, bool enabled) {
    w_.box(box)->setEnabled(enabled);
}

std::string WidgetControls::caption(Box box) const {
    return captionShown(w_.box(box)->text());
}

void WidgetControls::setCaption(Box box, const std::string& caption) {
    w_.box(box)->setText(shownCaption(caption));
}

void WidgetControls::setHint(Box box, const std::string& hint) {
    w_.box(box)->setToolTip(QString::fromStdString(hint));
}

bool WidgetControls::option(Option option) const {
    // The mux takes LPCM as WAV and subpictures as PGS only: a Demux that goes on into it
    // writes those.
    if ((option == Option::LpcmWav || option == Option::SubPgs) && w_.cbMuxMkv->isChecked())
        return true;
    const std::array<QCheckBox*, 6> options = {w_.cbFastCheck, w_.cbCountFr,    w_.cbContinue,
                                               w_.cbLpcmWav,   w_.cbExtByCodec, w_.cbSubPgs};
    return options.at(size_t(option))->isChecked();
}

std::string WidgetControls::field(Field field) const {
    return fieldWidget(field)->text().toStdString();
}

void WidgetControls::setField(Field field, const std::string& text) {
    fieldWidget(field)->setText(QString::fromStdString(text));
}

bool WidgetControls::buttonEnabled(Button button) const {
    return enabled_.at(size_t(button));
}

void WidgetControls::setButtonEnabled(Button button, bool enabled) {
    enabled_.at(size_t(button)) = enabled;
    showButton(button);
}

void WidgetControls::holdCommands(bool held) {
    held_ = held;
    for (Button button : Buttons)
        showButton(button);
    for (QPushButton* browse : {w_.bbEVO, w_.bbXPL})
        browse->setEnabled(!held);
}

void WidgetControls::showButton(Button button) {
    const bool held = held_ && button != Button::Cancel;
    buttonWidget(button)->setEnabled(enabled_.at(size_t(button)) && !held);
}

void WidgetControls::showPage(Page page) {
    w_.PageControl->setCurrentIndex(int(page));
}

QLineEdit* WidgetControls::fieldWidget(Field field) const {
    const std::array<QLineEdit*, 6> fields = {w_.eEVOfile,  w_.eXPLfile,  w_.eWorkdir,
                                              w_.eVideoExt, w_.eAudioExt, w_.eSubExt};
    return fields.at(size_t(field));
}

QPushButton* WidgetControls::buttonWidget(Button button) const {
    const std::array<QPushButton*, 5> buttons = {w_.bCheck, w_.bReadXPL, w_.bDemux, w_.bRebuild,
                                                 w_.bCancel};
    return buttons.at(size_t(button));
}

} // namespace splitwick
