#pragma once
#include <QAbstractButton>
#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "dialogs.h"
#include "engine/job_events.h"
#include "jobs/job_request.h"
#include "playlist/disc_titles.h"
#include "playlist/playlist.h"
#include "saved_settings.h"
#include "stream_boxes.h"
#include "widget_controls.h"
#include "window_layout.h"
#include "window_thread_queue.h"

namespace splitwick {

// The files chosen in the window: the EVO and the playlist, and the folders the dialogs start in
// (the settings keep them as EVOdir and XPLdir).
struct ChosenFiles {
    std::string evoFolder; // with its trailing "/"
    std::string evoFile;   // the EVO's name without folder
    std::string evoName;   // evoFile less its last four characters
    std::string playlistFolder;
    std::string playlistFile;
};

// The program's one window (object name fMain). It builds each job's request from its widgets,
// runs the job and shows what it reports: the streams it found in the boxes, its lines in the
// log, its progress in the status bar. The jobs themselves live below it and know no toolkit.
//
// Commands run one at a time. Read EVO, Read XPL, Demux and Rebuild run on a worker thread while
// the window stays live; their events arrive as queued calls. While one runs, every other
// command is held off: the command and browse buttons are disabled, drops are refused and the
// window does not close. Only Cancel stays live: it is enabled while a pass over a file runs,
// and the pass stops before its next chunk.
class MainWindow : public QWidget {
  public:
    explicit MainWindow(Dialogs& dialogs);
    ~MainWindow() override;

    // The message log's next line, and a status panel's text (0: the phase word, 1: progress);
    // from any thread.
    void log(const std::string& text);
    void slog(const std::string& text, uint8_t panel);

    // A job, run on the worker thread: it reports to the events it is given, and gives what the
    // window is to do with its result once it has ended (nothing: nothing more).
    using Job = std::function<std::function<void()>(JobEvents&)>;

    // Runs a quick command on the window's thread unless another one runs; shows its error, if
    // any, in the error box. Afterwards the command buttons show what the state allows. True
    // when it ran to its end.
    bool runCommand(const std::function<void()>& command);
    // Starts a job on the worker thread unless one runs (from within a command: once it has
    // succeeded). When it ends, its result is shown and a failure is told as runCommand tells it.
    void runJob(Page page, Job job);
    bool busy() const { return busy_; }
    // Runs once on the window's thread as a job's next progress line is shown, while the job
    // waits: where a user reading it might press Cancel.
    void whenProgressShown(std::function<void()> action) {
        progressAction_ = std::move(action);
        progressWatched_ = progressAction_ != nullptr;
    }

    // A file named on the command line, taken like a drop once the window has started.
    void takeFileAtStart(const QString& path);

    const Widgets& widgets() const { return w_; }
    XplPage& xplPage() { return *w_.xpl; }
    ChosenFiles& chosen() { return chosen_; }

  protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    // A job's events as the window renders them: its lines into the log, its phase and progress
    // into the status bar, Cancel offered while a pass runs. Each may come from the job's thread
    // and goes to the window's, in order. The job stops when Cancel has asked it to.
    class Events : public JobEvents {
      public:
        explicit Events(MainWindow& window) : window_(window) {}
        void logged(const std::string& line) override;
        void phase(const std::string& word) override;
        void progress(const Progress& progress) override;
        void warning(const std::string& line) override;
        void outputsPlaced(const std::string& line) override { logged(line); }
        void passStarted(const SourceFile& source, bool writesOutput) override;
        void passEnded(StopReason reason) override;
        bool stopRequested() const override;

      private:
        MainWindow& window_;
    };

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
    // The worker's job ended: its result shown, its failure told.
    void jobEnded(const std::function<void()>& showResult, const QString& failure);
    // A call from the job's thread, run on the window's thread in order with the others.
    void onWindowThread(std::function<void()> call);
    // After a command that a Cancel stopped: the log's line for a job that wrote files, as the
    // command line's, and the status bar.
    void tellCancelled();

    // The commands' jobs.
    void readEvoClicked();
    void readPlaylistClicked();
    void demuxClicked();
    void rebuildClicked();
    void makeMkvClicked();
    // Runs a demux that makes a .mkv, or none; a .mkv of that name already there is replaced
    // only when the user says so.
    void runDemux(const JobRequest& request);
    // The .mkv the chosen title or EVO makes, shown beside Make MKV.
    void showMkvTarget();
    // What Cancel asks before it stops the job that runs now.
    QString stopQuestion(const JobRequest& request) const;
    // The request of a Demux or Rebuild of the ticked boxes' streams, as the window's reads
    // found them.
    JobRequest streamsRequest(Writes writes);
    // Read EVO's result in the boxes; one line for each stream no box stands for.
    void showScan(const TrackList& tracks);

    // File selection (file_selection.cpp).
    void browseEvo();
    void browsePlaylist();
    void takeDrop(QDropEvent* event);
    void takeFile(const QString& path);
    // The file named on the command line, which must exist.
    void takeStartFile();
    // Puts the path into eEVOfile; another file than before resets and unticks the boxes.
    void chooseEvo(const QString& path);
    void forgetStreams();
    // Another EVO or disc chosen: the titles, tree and memo of the one before go.
    void forgetDisc();
    // A path typed or pasted into eEVOfile or eXPLfile, taken as a drop.
    void takeTypedPath(QLineEdit* field);
    void playlistChosen();
    // A disc (disc_selection.cpp): its titles listed on the XPL page, the main title chosen.
    void browseDisc();
    void chooseDisc(const QString& path);
    // Sets the EVO and the playlist to the title's and reads the title (Read XPL). A title
    // with a clip whose EVO is missing is taken without it when the user says so.
    void chooseTitle(int index);

    // Settings (settings_window.cpp).
    void loadSettings();
    void saveSettings();
    SavedSettings currentSettings() const;
    void applySettings(const SavedSettings& settings);

    Dialogs& dialogs_;
    Anchors anchors_;
    const Widgets w_;
    WidgetControls controls_;
    ChosenFiles chosen_;
    WindowStreams streams_;
    // What the last Read EVO and Read XPL found, and which of them labelled the boxes.
    std::optional<TrackList> lastScan_;
    std::optional<PlaylistRead> lastPlaylist_;
    bool boxesFromPlaylist_ = false;
    // The disc chosen last, and the title chosen from it, read whole by the jobs.
    Disc disc_;
    std::optional<DiscTitleInput> discTitle_;
    // Set by Cancel; the running pass stops before its next chunk. Cleared as a command starts.
    std::atomic<bool> stopRequested_ = false;
    // The running (or last) pass writes output: Cancel asks first.
    std::atomic<bool> writingPass_ = false;
    // The job's thread while one runs, and what it hands the window's.
    std::thread worker_;
    const std::thread::id windowThread_ = std::this_thread::get_id();
    WindowThreadQueue queue_;
    // Only the window's thread touches the action; the job's asks the flag.
    std::function<void()> progressAction_;
    std::atomic<bool> progressWatched_ = false;
    // What Cancel asks while a pass that writes runs; whether the job makes a .mkv only.
    QString stopQuestion_;
    bool mkvOnly_ = false;
    // The running job's warnings so far, and its last line that says where its outputs went.
    int warnings_ = 0;
    QString writtenLine_;
    std::optional<std::pair<Page, Job>> jobAfterCommand_;
    bool passRunning_ = false;
    FileDialog odEVOfile_;
    FileDialog odXPL_;
    FileDialog odDisc_;
    QString fileAtStart_;
    bool busy_ = false;
    bool activated_ = false;
    // The last close was abandoned because the settings could not be saved.
    bool closeRefused_ = false;
};

} // namespace splitwick
