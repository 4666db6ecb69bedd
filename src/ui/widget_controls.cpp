#include "widget_controls.h"

namespace splitwick {

namespace {

// A check box shows "&" as the mark of a shortcut key; a caption shows it as it is.
QString shownCaption(const std::string& caption) {
    return QString::fromStdString(caption).replace("&", "&&");
}

std::string text(const QLineEdit* field) {
    return field->text().toStdString();
}

} // namespace

JobRequest WidgetControls::request() const {
    JobRequest request;
    request.evoPath = text(w_.eEVOfile);
    request.playlistPath = text(w_.eXPLfile);
    request.outputFolder = text(w_.eWorkdir);
    request.extensions = {text(w_.eVideoExt), text(w_.eAudioExt), text(w_.eSubExt)};
    request.fastCheck = w_.cbFastCheck->isChecked();
    request.countFrames = w_.cbCountFr->isChecked();
    request.continueParts = w_.cbContinue->isChecked();
    request.lpcmWav = w_.cbLpcmWav->isChecked();
    request.extensionsByCodec = w_.cbExtByCodec->isChecked();
    request.subPgs = w_.cbSubPgs->isChecked();
    request.mkv = w_.cbMuxMkv->isChecked();
    request.keepStreams = w_.cbKeepStreams->isChecked();
    request.lpcmFlac = w_.cbLpcmFlac->isChecked();
    request.dtsCore = w_.cbDtsCore->isChecked();
    request.clusterCrc = w_.cbClusterCrc->isChecked();
    return request;
}

void WidgetControls::readChoices(WindowStreams& streams) const {
    for (TrackName name : boxNames())
        streams[name].chosen = w_.box(name)->isChecked();
}

void WidgetControls::showStreams(const WindowStreams& streams) {
    for (TrackName name : boxNames()) {
        const BoxState& stream = streams[name];
        QCheckBox* check = w_.box(name);
        check->setEnabled(stream.known);
        check->setText(shownCaption(stream.label));
        if (!stream.description.empty())
            check->setToolTip(QString::fromStdString(stream.description));
        check->setChecked(stream.chosen);
    }
}

bool WidgetControls::anyTicked() const {
    for (QCheckBox* box : w_.boxes)
        if (box->isChecked()) return true;
    return false;
}

void WidgetControls::showCommands(const CommandStates& states, bool held) {
    const std::array<std::pair<QPushButton*, bool>, 5> commands = {
        {{w_.bCheck, states.readEvo},
         {w_.bReadXPL, states.readPlaylist},
         {w_.bDemux, states.demux},
         {w_.bRebuild, states.rebuild},
         {w_.xpl->mkvButton(), states.makeMkv}}};
    for (const auto& [button, enabled] : commands)
        button->setEnabled(enabled && !held);
    w_.bCancel->setEnabled(states.cancel);
    for (QWidget* other : std::initializer_list<QWidget*>{w_.bbEVO, w_.bbXPL, w_.xpl->discButton()})
        other->setEnabled(!held);
    // A disc's titles are chosen from once there are any.
    w_.xpl->titles()->setEnabled(!held && w_.xpl->titles()->count() > 0);
}

void WidgetControls::showPage(Page page) {
    w_.PageControl->setCurrentIndex(int(page));
}

} // namespace splitwick
