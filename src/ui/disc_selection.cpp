// A disc as the window's input: chosen with bbDisc or dropped as a folder, its titles listed in
// cbTitle, the main title chosen; choosing a title points the EVO and playlist fields at it and
// reads it, so Demux (and the mux after it) takes the whole title.
#include "main_window.h"
#include "mux/disc_title_choice.h"
#include "playlist/read_xpl.h"
#include "queued_playlist_view.h"

namespace splitwick {

void TfMain::bbDiscClick() {
    odDisc_.startFolder = QString::fromStdString(session_.state.evoFolder);
    odDisc_.fileName.clear();
    dialogs_.chooseFile(this, odDisc_);
    if (!odDisc_.fileName.isEmpty()) chooseDisc(odDisc_.fileName);
}

void TfMain::chooseDisc(const QString& path) {
    disc_ = readDisc(path.toStdString());
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

void TfMain::chooseTitle(int index) {
    if (index < 0 || static_cast<size_t>(index) >= disc_.titles.size()) return;
    discTitle_ = chooseDiscTitle(session_, disc_.titles[static_cast<size_t>(index)], false);
    w_.eEVOfile->setText(QString::fromStdString(session_.request.evoPath));
    w_.eXPLfile->setText(QString::fromStdString(session_.request.playlistPath));
    odEVOfile_.startFolder = QString::fromStdString(session_.state.evoFolder);
    odXPL_.startFolder = QString::fromStdString(session_.state.playlistFolder);
    forgetStreams();
    boxesFromTitle_ = true;
    runJob(Page::XPL, [this](Session& s) { readTitlePlaylist(s); });
}

void TfMain::readTitlePlaylist(Session& session) {
    QueuedPlaylistView view(*w_.xpl);
    readPlaylist(session, playlist_, view);
    if (discTitle_ && !session.state.titleName.empty()) playlist_.title = *discTitle_;
}

} // namespace splitwick
