// The choice of the source EVO and the playlist: browse buttons, drops and the command line.
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include "engine/job_error.h"
#include "engine/path_parts.h"
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

void MainWindow::browseEvo() {
    odEVOfile_.startFolder = QString::fromStdString(chosen_.evoFolder);
    dialogs_.chooseFile(this, odEVOfile_);
    if (odEVOfile_.fileName != w_.eEVOfile->text()) forgetDisc();
    chooseEvo(odEVOfile_.fileName);
}

void MainWindow::browsePlaylist() {
    odXPL_.startFolder = QString::fromStdString(chosen_.playlistFolder);
    dialogs_.chooseFile(this, odXPL_);
    w_.eXPLfile->setText(odXPL_.fileName);
    playlistChosen();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!busy_ && event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    takeDrop(event);
}

void MainWindow::takeDrop(QDropEvent* event) {
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile()) continue;
        runCommand([&] { takeFile(url.toLocalFile()); });
        event->acceptProposedAction();
        return;
    }
}

void MainWindow::takeFile(const QString& path) {
    const QString extension = extensionOf(path);
    if (QFileInfo(path).isDir()) {
        chooseDisc(path);
    } else if (extension == ".EVO") {
        if (path != w_.eEVOfile->text()) forgetDisc();
        chooseEvo(path);
    } else if (extension == ".XPL") {
        w_.eXPLfile->setText(path);
        playlistChosen();
    }
}

void MainWindow::takeTypedPath(QLineEdit* field) {
    if (!field->isModified()) return;
    field->setModified(false);
    // The text typed stands until it is taken: an unknown kind of file is refused in words.
    const QString path = QDir::cleanPath(field->text().trimmed());
    runCommand([&] {
        if (!QFileInfo::exists(path))
            throw JobError(JobErrorKind::Open, "\"" + path.toStdString() + "\" does not exist");
        const QString extension = extensionOf(path);
        if (!QFileInfo(path).isDir() && extension != ".EVO" && extension != ".XPL")
            throw JobError(JobErrorKind::Open, "\"" + path.toStdString() +
                                                   "\" is no EVO (.EVO), playlist (.XPL) or "
                                                   "disc folder");
        field->clear(); // so that the same path is taken as a new one
        takeFile(path);
    });
}

void MainWindow::takeFileAtStart(const QString& path) {
    fileAtStart_ = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void MainWindow::takeStartFile() {
    // A name mistyped on the command line would otherwise sit in the field until Read EVO.
    if (!QFileInfo::exists(fileAtStart_))
        throw JobError(JobErrorKind::Open,
                       "File \"" + fileAtStart_.toStdString() + "\" does not exist");
    takeFile(fileAtStart_);
}

// eEVOfile changes: the file names for the jobs, and the dialogs' start folders. An EVO in a
// disc's HVDVD_TS folder points the playlist at the disc's VPLST000.XPL.
void MainWindow::chooseEvo(const QString& path) {
    const bool anotherFile = path != w_.eEVOfile->text();
    w_.eEVOfile->setText(path);
    discTitle_.reset();
    const std::string evoPath = path.toStdString();
    const PathParts parts = splitPath(evoPath);
    chosen_.evoFile = parts.name;
    chosen_.evoName = evoStem(evoPath);
    chosen_.evoFolder = parts.folder;
    // The field names the disc's playlist when it is there; else Read XPL waits for one, as
    // another disc's playlist would be read for this EVO.
    const std::string discPlaylist = discPlaylistOf(evoPath);
    const bool playlistThere =
        !discPlaylist.empty() && QFileInfo(QString::fromStdString(discPlaylist)).isFile();
    w_.eXPLfile->setText(playlistThere ? QString::fromStdString(discPlaylist) : PlaylistFileName);
    if (anotherFile || playlistThere) chosen_.playlistFile.clear();
    if (!discPlaylist.empty()) {
        const PathParts playlist = splitPath(discPlaylist);
        chosen_.playlistFolder = playlist.folder;
        if (playlistThere) chosen_.playlistFile = playlist.name;
        odXPL_.startFolder = QString::fromStdString(chosen_.playlistFolder);
        odXPL_.fileName = PlaylistFileName;
    }
    odEVOfile_.startFolder = QString::fromStdString(chosen_.evoFolder);
    // The boxes name and tick the streams of the file they were read from: Demux would write
    // another file's streams under those names. The same file again (a Cancel in the dialog
    // gives it back) keeps the user's choice.
    if (anotherFile) forgetStreams();
}

void MainWindow::forgetDisc() {
    disc_ = {};
    discTitle_.reset();
    lastPlaylist_.reset();
    w_.xpl->clearDisc();
}

void MainWindow::forgetStreams() {
    boxesFromPlaylist_ = false;
    lastScan_.reset();
    streams_.forget(true);
    controls_.showStreams(streams_);
}

// eXPLfile changes: a playlist in a disc's ADV_OBJ folder points the EVO dialog at the disc's
// HVDVD_TS folder.
void MainWindow::playlistChosen() {
    const std::string path = w_.eXPLfile->text().toStdString();
    const PathParts parts = splitPath(path);
    chosen_.playlistFile = parts.name;
    chosen_.playlistFolder = parts.folder;
    const std::string evoFolder = discEvoFolderOf(path);
    if (evoFolder.empty()) return;
    chosen_.evoFolder = evoFolder;
    odEVOfile_.startFolder = QString::fromStdString(chosen_.evoFolder);
}

} // namespace splitwick
