// The window's settings: read when it first becomes active, written when it closes.
#include "main_window.h"
#include "settings_file.h"

namespace splitwick {

namespace {

constexpr std::array<Qt::WindowState, 3> WindowStates = {Qt::WindowNoState, Qt::WindowMinimized,
                                                         Qt::WindowMaximized};

int32_t stateNumber(const QWidget& window) {
    if (window.isMaximized()) return Maximised;
    return window.isMinimized() ? 1 : 0;
}

std::string textOf(const QLineEdit* field) {
    return field->text().toStdString();
}

void setText(QLineEdit* field, const std::optional<std::string>& text) {
    if (text) field->setText(QString::fromStdString(*text));
}

void setTicked(QCheckBox* box, const std::optional<bool>& ticked) {
    if (ticked) box->setChecked(*ticked);
}

} // namespace

void MainWindow::loadSettings() {
    const LoadedSettings loaded = loadSettingsFile(settingsPath());
    if (loaded.status != LoadedSettings::Status::Loaded) return;
    const ReadSettings read = readSettings(loaded.store);
    applySettings(read.values);
    if (read.error) throw *read.error;
}

void MainWindow::saveSettings() {
    const std::string path = settingsPath();
    // Without a folder to keep it in, there is nothing to write to.
    if (!createSettingsFolder(path)) return;
    LoadedSettings loaded = loadSettingsFile(path);
    // A file that cannot be read is not replaced: the values in it would be lost.
    if (loaded.status == LoadedSettings::Status::Unreadable) throw failedToSetData(FirstWritten);
    writeSettings(loaded.store, currentSettings(), localDateTimeNow());
    if (!saveSettingsFile(path, loaded.store)) throw failedToSetData(FirstWritten);
}

SavedSettings MainWindow::currentSettings() const {
    const QRect frame = frameGeometry();
    SavedSettings s;
    s.windowState = stateNumber(*this);
    s.top = frame.top();
    s.left = frame.left();
    s.width = frame.width();
    s.height = frame.height();
    s.treeWidth = w_.xpl->treeWidth();
    s.audioExt = textOf(w_.eAudioExt);
    s.videoExt = textOf(w_.eVideoExt);
    s.subExt = textOf(w_.eSubExt);
    s.workdir = textOf(w_.eWorkdir);
    s.evoDir = chosen_.evoFolder;
    s.xplDir = chosen_.playlistFolder;
    s.continueWith = w_.cbContinue->isChecked();
    s.fastCheck = w_.cbFastCheck->isChecked();
    s.countFrames = w_.cbCountFr->isChecked();
    s.lpcmWav = w_.cbLpcmWav->isChecked();
    s.extByCodec = w_.cbExtByCodec->isChecked();
    s.subPgs = w_.cbSubPgs->isChecked();
    s.muxMkv = w_.cbMuxMkv->isChecked();
    s.keepStreams = w_.cbKeepStreams->isChecked();
    s.lpcmFlac = w_.cbLpcmFlac->isChecked();
    s.dtsCore = w_.cbDtsCore->isChecked();
    s.clusterCrc = w_.cbClusterCrc->isChecked();
    return s;
}

// In reading order. Sizes are of the whole window and go through its minimum size.
void MainWindow::applySettings(const SavedSettings& s) {
    const QSize frame = frameGeometry().size() - size();
    if (s.width) resize(*s.width - frame.width(), height());
    if (s.height) resize(width(), *s.height - frame.height());
    if (s.top) move(x(), *s.top);
    if (s.left) move(*s.left, y());
    // Another number leaves the window as it is.
    if (s.windowState && *s.windowState >= 0 && *s.windowState < int32_t(WindowStates.size()))
        setWindowState(WindowStates[size_t(*s.windowState)]);
    if (s.treeWidth) w_.xpl->setTreeWidth(*s.treeWidth);
    setText(w_.eAudioExt, s.audioExt);
    setText(w_.eVideoExt, s.videoExt);
    setText(w_.eSubExt, s.subExt);
    setText(w_.eWorkdir, s.workdir);
    if (s.evoDir) chosen_.evoFolder = *s.evoDir;
    if (s.xplDir) chosen_.playlistFolder = *s.xplDir;
    setTicked(w_.cbContinue, s.continueWith);
    setTicked(w_.cbFastCheck, s.fastCheck);
    setTicked(w_.cbCountFr, s.countFrames);
    setTicked(w_.cbLpcmWav, s.lpcmWav);
    setTicked(w_.cbExtByCodec, s.extByCodec);
    setTicked(w_.cbSubPgs, s.subPgs);
    setTicked(w_.cbMuxMkv, s.muxMkv);
    setTicked(w_.cbKeepStreams, s.keepStreams);
    setTicked(w_.cbLpcmFlac, s.lpcmFlac);
    setTicked(w_.cbDtsCore, s.dtsCore);
    setTicked(w_.cbClusterCrc, s.clusterCrc);
}

} // namespace splitwick
