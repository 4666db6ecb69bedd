// A disc as the window's input: chosen with bbDisc or dropped as a folder, its titles listed in
// cbTitle, the main title chosen; choosing a title points the EVO and playlist fields at it and
// reads it, so Demux (and the mux after it) takes the whole title.
#include "engine/path_parts.h"
#include "jobs/disc_title_input.h"
#include "main_window.h"

namespace splitwick {

void MainWindow::browseDisc() {
    odDisc_.startFolder = QString::fromStdString(chosen_.evoFolder);
    odDisc_.fileName.clear();
    dialogs_.chooseFile(this, odDisc_);
    if (!odDisc_.fileName.isEmpty()) chooseDisc(odDisc_.fileName);
}

void MainWindow::chooseDisc(const QString& path) {
    Disc disc = readDisc(path.toStdString());
    forgetDisc();
    disc_ = std::move(disc);
    QComboBox* titles = w_.xpl->titles();
    titles->clear();
    // Titles of several playlists are told apart by their playlist.
    const bool playlists =
        std::any_of(disc_.titles.begin(), disc_.titles.end(),
                    [&](const auto& t) { return t.playlist != disc_.titles.front().playlist; });
    int main = 0;
    for (const DiscTitle& title : disc_.titles) {
        if (title.main) main = titles->count();
        titles->addItem(
            QString::fromStdString((playlists ? title.playlist + " " : "") + titleSummary(title)));
    }
    controls_.showPage(Page::XPL);
    if (disc_.titles.empty()) return;
    titles->setCurrentIndex(main);
    chooseTitle(main);
}

void MainWindow::chooseTitle(int index) {
    if (index < 0 || static_cast<size_t>(index) >= disc_.titles.size()) return;
    const DiscTitle& title = disc_.titles[static_cast<size_t>(index)];
    QStringList missing;
    for (const DiscClip& clip : title.clips)
        if (!clip.present)
            missing << QString::fromStdString(fileNameOf(clip.path) + " (" +
                                              clockText(clip.endMs - clip.beginMs) + ")");
    if (!missing.isEmpty() &&
        !dialogs_.confirm(this, QString("Title %1 plays %2, whose file is missing. Make the title "
                                        "without it, leaving a gap of its length?")
                                    .arg(title.info.number)
                                    .arg(missing.join(", "))))
        return;
    JobRequest request;
    Events events(*this);
    chooseDiscTitle(request, title, !missing.isEmpty(), events);
    chooseEvo(QString::fromStdString(request.evoPath));
    w_.eXPLfile->setText(QString::fromStdString(request.playlistPath));
    playlistChosen();
    discTitle_ = std::move(request.discTitle);
    forgetStreams();
    readPlaylistClicked();
}

} // namespace splitwick
