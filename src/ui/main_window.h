#pragma once
#include <QAbstractButton>
#include <QWidget>
#include <functional>
#include <optional>

#include "dialogs.h"
#include "engine/file_progress.h"
#include "engine/session.h"
#include "jobs/demuxed_files.h"
#include "jobs/rebuild_state.h"
#include "mux/matroska_sink.h"
#include "playlist/disc_titles.h"
#include "playlist/playlist.h"
#include "saved_settings.h"
#include "widget_controls.h"
#include "window_layout.h"

namespace splitwick {

// The program's one window, fMain. It owns the job state and is the jobs' controls, report and
// event pump; the jobs themselves live below it and know no toolkit.
//
// Commands run one at a time inside runCommand, which shows an error box for a failure. While
// one runs (a job lets events through every 4 MiB), every other command is held off: the
// command buttons and stream boxes take no mouse or key input, drops are refused and the
// window does not close. Only Cancel stays live: it is enabled while a pass over a file runs.
class TfMain : public QWidget, public Report, public Events {
  public:
    explicit TfMain(Dialogs& dialogs);

    void log(const std::string& text) override;
    void slog(const std::string& text, uint8_t panel) override;

    // Pending events are processed where a pass lets them through, and the window is painted at
    // once when asked.
    void processPendingEvents() override;
    void repaint() override;
    void passStarted(const SourceFile& source, bool writesOutput) override;
    void passEnded(StopReason reason) override;

    // Binds a button to a job, to run as a command. Read XPL and Rebuild plug in here.
    void bindJob(QAbstractButton* button, std::function<void(Session&)> job);
    // Runs a command unless another one runs; shows its error, if any, in the error box.
    // Afterwards Demux is enabled exactly while a stream box is ticked. True when it ran to its
    // end.
    bool runCommand(const std::function<void()>& command);
    bool busy() const { return busy_; }

    // A file named on the command line, taken like a drop once the window has started.
    void takeFileAtStart(const QString& path);

    Session& session() { return session_; }
    const Widgets& widgets() const { return w_; }
    XplPage& xplPage() { return *w_.xpl; }

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Start-up and close.
    void FormShow();
    void startUp();
    void FormActivate();
    void FormClose();
    void FormResize();
    // The minimum size and the top-left place count the frame, which the desktop adds only once
    // the window is shown.
    void placeFramed();

    // Ctrl+O browses for the EVO, F1 opens the manual, Escape is Cancel.
    void bindKeys();
    void cbVideoClick();
    void bCancelClick();
    // After a command that a Cancel stopped: the log's line for a job that wrote files, as the
    // command line's, and the status bar.
    void tellCancelled();
    // After a Demux that ran to its end, with cbMuxMkv ticked: the .mkv its pass wrote is
    // finished and takes its name; the streams it cannot take are named.
    void muxDemuxed(MatroskaSink& mkv, const DemuxedFiles& files);

    // File selection (file_selection.cpp).
    void bbEVOClick();
    void bbXPLClick();
    void WMDropFiles(QDropEvent* event);
    void takeFile(const QString& path);
    // The file named on the command line, which must exist.
    void takeStartFile();
    // Puts the path into eEVOfile; another file than before resets and unticks the boxes.
    void chooseEvo(const QString& path);
    void forgetStreams();
    void xplChosen();
    // A disc (disc_selection.cpp): its titles listed on the XPL page, the main title chosen.
    void bbDiscClick();
    void chooseDisc(const QString& path);
    // Sets the EVO and the playlist to the title's and reads the title (Read XPL).
    void chooseTitle(int index);
    // Read XPL; a disc's title chosen whole keeps its own data (chapters, languages, names).
    void readPlaylist(Session& session);

    // Settings (settings_window.cpp).
    void RegRead();
    void RegWrite();
    SavedSettings currentSettings() const;
    void applySettings(const SavedSettings& settings);

    Dialogs& dialogs_;
    Anchors anchors_;
    const Widgets w_;
    WidgetControls controls_;
    Session session_;
    // The running (or last) pass writes output: Cancel asks first, also during the mux after it.
    bool DemuxMode = false;
    // What Read XPL and Rebuild keep from one run of theirs to the next.
    Playlist playlist_;
    RebuildState rebuild_;
    // While a Demux also makes the .mkv: its progress as one line named after it, from the pass
    // that runs (none between passes).
    std::optional<FileProgress> muxProgress_;
    const SourceFile* passSource_ = nullptr;
    // Read XPL labelled the boxes last: a Demux says where the title and the EVO disagree.
    bool boxesFromTitle_ = false;
    FileDialog odEVOfile_;
    FileDialog odXPL_;
    FileDialog odDisc_;
    // The disc chosen last, and the data of the title chosen from it.
    Disc disc_;
    std::optional<TitleInfo> discTitle_;
    QString fileAtStart_;
    bool busy_ = false;
    bool activated_ = false;
    // The last close was abandoned because the settings could not be saved.
    bool closeRefused_ = false;
};

} // namespace splitwick
