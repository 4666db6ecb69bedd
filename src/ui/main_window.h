#pragma once
#include <QAbstractButton>
#include <QThread>
#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>

#include "dialogs.h"
#include "engine/file_progress.h"
#include "engine/session.h"
#include "jobs/demuxed_files.h"
#include "jobs/rebuild_state.h"
#include "jobs/stream_jobs.h"
#include "mux/matroska_output.h"
#include "playlist/disc_titles.h"
#include "playlist/playlist.h"
#include "saved_settings.h"
#include "widget_controls.h"
#include "window_layout.h"

namespace splitwick {

// The program's one window, fMain. It owns the job state, builds each job's request from its
// widgets and shows the job's streams, log and progress; the jobs themselves live below it and
// know no toolkit.
//
// Commands run one at a time. Read EVO, Read XPL, Demux and Rebuild run on a worker thread while
// the window stays live; their log lines and progress arrive as queued calls. While one runs,
// every other command is held off: the command and browse buttons are disabled, drops are
// refused and the window does not close. Only Cancel stays live: it is enabled while a pass over
// a file runs, and the pass stops before its next chunk.
class TfMain : public QWidget, public Report, public PassObserver {
  public:
    explicit TfMain(Dialogs& dialogs);
    ~TfMain() override;

    // From any thread: the window's own calls at once, a job's queued to the window's thread.
    void log(const std::string& text) override;
    void slog(const std::string& text, uint8_t panel) override;

    // From the job's thread: Cancel is offered while a pass runs.
    void passStarted(const SourceFile& source, bool writesOutput) override;
    void passEnded(StopReason reason) override;

    // Runs a quick command on the window's thread unless another one runs; shows its error, if
    // any, in the error box. Afterwards the command buttons show what the state allows. True
    // when it ran to its end.
    bool runCommand(const std::function<void()>& command);
    // Starts a job on the worker thread unless one runs (from within a command: once it has
    // succeeded): the request and the streams' choices are read from the widgets then. When it
    // ends, the streams are shown and a failure is told as runCommand tells it.
    void runJob(Page page, std::function<void(Session&)> job);
    bool busy() const { return busy_; }
    // Runs once on the window's thread as a job's next progress line is shown, while the job
    // waits: where a user reading it might press Cancel.
    void whenProgressShown(std::function<void()> action) { progressAction_ = std::move(action); }

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

  private:
    // Start-up and close.
    void takeDropsOnWindow();
    void startUp();
    void readSettingsAtStart();
    void saveSettingsAtClose();
    void placeLogo();
    // The minimum size and the top-left place count the frame, which the desktop adds only once
    // the window is shown.
    void placeFramed();

    // Ctrl+O browses for the EVO, F1 opens the manual, Escape is Cancel.
    void bindKeys();
    // The command buttons as the state allows: Read EVO with an EVO, Demux with a tick too, ...
    void updateCommands();
    void cancelClicked();
    // The worker's job ended: its streams shown, its failure told.
    void jobEnded(const QString& failure);
    // A call from the job's thread, run on the window's thread in order with the others.
    void onWindowThread(std::function<void()> call);
    // After a command that a Cancel stopped: the log's line for a job that wrote files, as the
    // command line's, and the status bar.
    void tellCancelled();
    // Demux, on the job's thread; with cbMuxMkv ticked, its pass writes OUTPUTPREFIX.mkv too,
    // and the stream files only when asked to keep them.
    void demuxAndMux(Session& session, StreamJob job, bool mux, bool keepStreams);
    // After a Demux that ran to its end with the mux: the .mkv its pass wrote is finished and
    // takes its name; the streams it cannot take are named.
    void muxDemuxed(MatroskaOutput& mkv, const DemuxedFiles& files);
    // The Demux or Rebuild of the ticked boxes' streams, as the window asks for it.
    StreamJob streamJob();

    // File selection (file_selection.cpp).
    void bbEVOClick();
    void bbXPLClick();
    void takeDrop(QDropEvent* event);
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
    // Read XPL, on the job's thread; a disc's title chosen whole keeps its own data (chapters,
    // languages, names).
    void readTitlePlaylist(Session& session);

    // Settings (settings_window.cpp).
    void loadSettings();
    void saveSettings();
    SavedSettings currentSettings() const;
    void applySettings(const SavedSettings& settings);

    Dialogs& dialogs_;
    Anchors anchors_;
    const Widgets w_;
    WidgetControls controls_;
    Session session_;
    // The running (or last) pass writes output: Cancel asks first, also during the mux after it.
    std::atomic<bool> writingPass_ = false;
    // The job's thread while one runs.
    QThread* worker_ = nullptr;
    std::function<void()> progressAction_;
    std::optional<std::pair<Page, std::function<void(Session&)>>> jobAfterCommand_;
    bool passRunning_ = false;
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
