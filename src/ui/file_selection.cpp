// The choice of the source EVO and the playlist: browse buttons, drops and the command line.
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include "engine/job_error.h"
#include "jobs/file_choice.h"
#include "main_window.h"

namespace splitwick {

namespace {

// The extension from the last "." of the file name on, in capitals; empty without one.
QString extensionOf(const QString& path) {
    const QString name = path.mid(path.lastIndexOf('/') + 1);
    const qsizetype dot = name.lastIndexOf('.');
    return dot < 0 ? QString() : name.mid(dot).toUpper();
}

} // namespace

void TfMain::bbEVOClick() {
    odEVOfile_.startFolder = QString::fromStdString(session_.state.evoFolder);
    dialogs_.chooseFile(this, odEVOfile_);
    chooseEvo(odEVOfile_.fileName);
}

void TfMain::bbXPLClick() {
    odXPL_.startFolder = QString::fromStdString(session_.state.playlistFolder);
    dialogs_.chooseFile(this, odXPL_);
    w_.eXPLfile->setText(odXPL_.fileName);
    xplChosen();
}

void TfMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TfMain::dropEvent(QDropEvent* event) {
    takeDrop(event);
}

void TfMain::takeDrop(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        runCommand([&] { takeFile(url.toLocalFile()); });
        event->acceptProposedAction();
        return;
    }
}

void TfMain::takeFile(const QString& path) {
    const QString extension = extensionOf(path);
    if (QFileInfo(path).isDir()) {
        chooseDisc(path);
    } else if (extension == ".EVO") {
        chooseEvo(path);
    } else if (extension == ".XPL") {
        w_.eXPLfile->setText(path);
        xplChosen();
    }
}

void TfMain::takeFileAtStart(const QString& path) {
    fileAtStart_ = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void TfMain::takeStartFile() {
    // A name mistyped on the command line would otherwise sit in the field until Read EVO.
    if (!QFileInfo::exists(fileAtStart_))
        throw JobError(JobErrorKind::Open,
                       "File \"" + fileAtStart_.toStdString() + "\" does not exist");
    takeFile(fileAtStart_);
}

// eEVOfile changes: the file names for the jobs, and the dialogs' start folders.
void TfMain::chooseEvo(const QString& path) {
    const bool anotherFile = path != w_.eEVOfile->text();
    w_.eEVOfile->setText(path);
    discTitle_.reset();
    session_.request.evoPath = path.toStdString();
    const bool onDisc = evoChosen(session_);
    w_.eXPLfile->setText(QString::fromStdString(session_.request.playlistPath));
    if (onDisc) {
        odXPL_.startFolder = QString::fromStdString(session_.state.playlistFolder);
        odXPL_.fileName = PlaylistFileName;
    }
    odEVOfile_.startFolder = QString::fromStdString(session_.state.evoFolder);
    // The boxes name and tick the streams of the file they were read from: Demux would write
    // another file's streams under those names. The same file again (a Cancel in the dialog
    // gives it back) keeps the user's choice.
    if (anotherFile) forgetStreams();
}

void TfMain::forgetStreams() {
    boxesFromTitle_ = false;
    session_.streams.forget();
    for (Box box : allBoxes())
        session_.streams[box].chosen = false;
    controls_.showStreams(session_.streams);
}

void TfMain::xplChosen() {
    session_.request.playlistPath = w_.eXPLfile->text().toStdString();
    if (playlistChosen(session_))
        odEVOfile_.startFolder = QString::fromStdString(session_.state.evoFolder);
}

} // namespace splitwick
