#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDirIterator>
#include <QIcon>
#include <QScopeGuard>
#include <QShortcut>
#include <filesystem>

#include "engine/job_error.h"
#include "engine/path_parts.h"
#include "engine/stop_reason.h"
#include "jobs/demux_job.h"
#include "jobs/file_choice.h"
#include "jobs/output_folder.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"
#include "jobs/title_parts.h"
#include "manual.h"
#include "mux/matroska_output.h"
#include "playlist/read_xpl.h"
#include "queued_playlist_view.h"
#include "version.h"

namespace splitwick {

namespace {

const QString Caption = QString("Splitwick %1 (based on Morlanth's demux 0.5)").arg(Version);

// The installed icon theme's, and the bundled sizes where no theme has one.
QIcon themedIcon() {
    QIcon bundled;
    QDirIterator sizes(":/splitwick/icons", QDir::Files, QDirIterator::Subdirectories);
    while (sizes.hasNext())
        bundled.addFile(sizes.next());
    return QIcon::fromTheme("splitwick", bundled);
}

// The narrowest a path beside Make MKV is cut to.
constexpr int MinimumPathWidth = 120;

// The smallest whole window, frame included.
constexpr QSize MinimumFrameSize{370, 380};

} // namespace

void MainWindow::Events::logged(const std::string& line) {
    window_.log(line);
}

void MainWindow::Events::phase(const std::string& word) {
    window_.slog(word, 0);
}

void MainWindow::Events::progress(const Progress& progress) {
    window_.onWindowThread([&window = window_, progress] {
        window.w_.statusBar->showShare(progress.done, progress.total,
                                       QString::fromStdString(progress.remaining));
    });
    window_.slog(progress.text, 1);
}

void MainWindow::Events::warning(const std::string& line) {
    window_.onWindowThread([&window = window_] { ++window.warnings_; });
    logged(line);
}

void MainWindow::Events::passStarted(const SourceFile&, bool writesOutput) {
    window_.writingPass_ = writesOutput;
    window_.onWindowThread([&window = window_] {
        window.passRunning_ = true;
        window.updateCommands();
    });
}

void MainWindow::Events::passEnded(StopReason) {
    window_.onWindowThread([&window = window_] {
        window.passRunning_ = false;
        window.updateCommands();
    });
}

bool MainWindow::Events::stopRequested() const {
    return window_.stopRequested_;
}

MainWindow::MainWindow(Dialogs& dialogs)
    : dialogs_(dialogs), anchors_(DesignedClientSize), w_(buildWindow(this, anchors_)),
      controls_(w_),
      odEVOfile_{"Choose the EVO file to demux", "EVO files (*.EVO)", "EVO", true, {}, {}},
      odXPL_{{}, "XPL (VPLST000.XPL)", "xpl", false, {}, {}},
      odDisc_{"Choose the disc folder", {}, {}, true, {}, {}, true} {
    setObjectName("fMain");
    setWindowTitle(Caption);
    setWindowIcon(themedIcon());
    resize(FirstClientSize);
    move(0, 0);

    for (QCheckBox* box : w_.boxes)
        connect(box, &QCheckBox::toggled, this, &MainWindow::updateCommands);

    connect(w_.bbEVO, &QPushButton::clicked, this, [this] { runCommand([this] { browseEvo(); }); });
    connect(w_.bbXPL, &QPushButton::clicked, this,
            [this] { runCommand([this] { browsePlaylist(); }); });
    connect(w_.bCheck, &QPushButton::clicked, this, &MainWindow::readEvoClicked);
    connect(w_.bDemux, &QPushButton::clicked, this, &MainWindow::demuxClicked);
    connect(w_.bReadXPL, &QPushButton::clicked, this, &MainWindow::readPlaylistClicked);
    connect(w_.xpl->discButton(), &QPushButton::clicked, this,
            [this] { runCommand([this] { browseDisc(); }); });
    connect(w_.xpl->titles(), &QComboBox::activated, this,
            [this](int index) { runCommand([this, index] { chooseTitle(index); }); });
    connect(w_.bRebuild, &QPushButton::clicked, this, &MainWindow::rebuildClicked);
    connect(w_.xpl->mkvButton(), &QPushButton::clicked, this, &MainWindow::makeMkvClicked);
    connect(w_.eWorkdir, &QLineEdit::textChanged, this, &MainWindow::showMkvTarget);
    for (QLineEdit* field : {w_.eEVOfile, w_.eXPLfile})
        connect(field, &QLineEdit::editingFinished, this, [this, field] { takeTypedPath(field); });
    connect(w_.bCancel, &QPushButton::clicked, this, &MainWindow::cancelClicked);
    connect(w_.bbWorkdir, &QPushButton::clicked, this, [this] {
        const QString folder = dialogs_.chooseFolder(this, w_.eWorkdir->text());
        if (!folder.isEmpty()) w_.eWorkdir->setText(folder);
    });
    connect(w_.bAbout, &QPushButton::clicked, this,
            [this] { dialogs_.showAbout(this, aboutText()); });
    bindKeys();
}

MainWindow::~MainWindow() {
    // The fields lose their focus as the widgets go, which would take their text as a typed
    // path in a window already half gone.
    for (QLineEdit* field : {w_.eEVOfile, w_.eXPLfile})
        field->disconnect(this);
    // A window closed by its owner while a job runs: the job stops at its next chunk.
    if (worker_.joinable()) {
        stopRequested_ = true;
        queue_.close();
        worker_.join();
    }
}

void MainWindow::bindKeys() {
    const auto key = [this](QKeySequence sequence, auto action) {
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
    };
    key(QKeySequence::Open, [this] { runCommand([this] { browseEvo(); }); });
    key(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
    key(Qt::Key_F1, [this] { dialogs_.openDocument(manualUrl()); });
    // As the Cancel button, with its question, while it is enabled.
    key(Qt::Key_Escape, [this] {
        if (w_.bCancel->isEnabled()) cancelClicked();
    });
}

void MainWindow::onWindowThread(std::function<void()> call) {
    queue_.post(std::move(call));
}

void MainWindow::log(const std::string& text) {
    if (std::this_thread::get_id() != windowThread_) {
        onWindowThread([this, text] { log(text); });
        return;
    }
    const QString line = QString::fromStdString(text);
    if (line.startsWith("Muxed ") || line.startsWith("Wrote ")) writtenLine_ = line;
    w_.mMessage->appendLine(line);
}

void MainWindow::slog(const std::string& text, uint8_t panel) {
    const std::string& shown = text;
    if (std::this_thread::get_id() == windowThread_) {
        w_.statusBar->slog(QString::fromStdString(shown), panel);
        return;
    }
    // The job waits while an action looks at its progress.
    const bool watched = progressWatched_ && panel == 1 && !shown.empty();
    const auto show = [this, shown, panel, watched] {
        w_.statusBar->slog(QString::fromStdString(shown), panel);
        if (!watched) return;
        progressWatched_ = false;
        if (auto action = std::exchange(progressAction_, {})) action();
    };
    if (watched)
        queue_.postAndWait(show);
    else
        queue_.post(show);
}

bool MainWindow::runCommand(const std::function<void()>& command) {
    if (busy_) return false;
    QString failure;
    busy_ = true;
    updateCommands();
    stopRequested_ = false;
    try {
        command();
    } catch (const std::exception& error) {
        failure = QString::fromStdString(errorBoxText(error.what()));
    }
    busy_ = false;
    updateCommands();
    if (failure.isNull()) {
        if (auto pending = std::exchange(jobAfterCommand_, std::nullopt))
            runJob(pending->first, std::move(pending->second));
        return true;
    }
    jobAfterCommand_.reset();
    // The log keeps the error after its box is gone, and the status bar leaves the job's phase.
    log(failure.toStdString());
    slog("Failed", 0);
    slog("", 1);
    dialogs_.showError(this, failure);
    return false;
}

void MainWindow::runJob(Page page, Job job) {
    if (worker_.joinable()) return;
    // A command that ends in a job (a disc's title chosen, then read) starts it once it is done.
    if (busy_) {
        jobAfterCommand_.emplace(page, std::move(job));
        return;
    }
    busy_ = true;
    stopRequested_ = false;
    writingPass_ = false;
    warnings_ = 0;
    writtenLine_.clear();
    controls_.showPage(page);
    updateCommands();
    auto failure = std::make_shared<QString>();
    auto showResult = std::make_shared<std::function<void()>>();
    worker_ = std::thread([this, job = std::move(job), failure, showResult] {
        Events events(*this);
        try {
            *showResult = job(events);
        } catch (const std::exception& error) {
            *failure = QString::fromStdString(errorBoxText(error.what()));
        }
        onWindowThread([this, failure, showResult] { jobEnded(*showResult, *failure); });
    });
}

void MainWindow::jobEnded(const std::function<void()>& showResult, const QString& failure) {
    worker_.join();
    if (showResult) showResult();
    controls_.showStreams(streams_);
    busy_ = false;
    updateCommands();
    w_.statusBar->showShare(0, 0, {});
    if (stopRequested_) {
        tellCancelled();
    } else if (failure.isEmpty()) {
        // Until the next command: how it ended and where its outputs went.
        const QString with = warnings_ == 0 ? QString()
                             : warnings_ == 1
                                 ? " with 1 warning (see the log)"
                                 : QString(" with %1 warnings (see the log)").arg(warnings_);
        slog(("Done" + with + (writtenLine_.isEmpty() ? "" : ". " + writtenLine_)).toStdString(),
             1);
    }
    if (failure.isEmpty()) return;
    log(failure.toStdString());
    slog("Failed", 0);
    slog("", 1);
    dialogs_.showError(this, failure);
}

void MainWindow::tellCancelled() {
    // A .mkv stopped half-way is not kept: the job has said so.
    if (writingPass_ && !mkvOnly_) log(CancelledLine);
    slog("Cancelled", 0);
    slog("", 1);
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    takeDropsOnWindow();
}

bool MainWindow::event(QEvent* event) {
    // The first activation comes once the desktop has framed the window, before the user can
    // act in it; later ones (back from a dialog or another program) start nothing.
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        startUp();
    }
    return QWidget::event(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    anchors_.apply(size());
    placeLogo();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    // A store that cannot be written keeps the window open once, so the user learns that the
    // settings are not saved; a second close goes through.
    if (runCommand([this] { saveSettingsAtClose(); }) || closeRefused_) {
        event->accept();
        return;
    }
    closeRefused_ = true;
    event->ignore();
}

void MainWindow::takeDropsOnWindow() {
    setAcceptDrops(true);
    // Files dropped anywhere on the window come to the window, not to a text field.
    for (QWidget* child : findChildren<QWidget*>())
        child->setAcceptDrops(false);
}

void MainWindow::startUp() {
    placeFramed();
    runCommand([this] { readSettingsAtStart(); });
    if (!fileAtStart_.isEmpty()) runCommand([this] { takeStartFile(); });
}

void MainWindow::readSettingsAtStart() {
    loadSettings();
    streams_.forget(false);
    controls_.showStreams(streams_);
}

void MainWindow::saveSettingsAtClose() {
    // Settings never read into this window would be replaced by its laid-out values.
    if (activated_) saveSettings();
}

void MainWindow::placeLogo() {
    const int width = frameGeometry().width();
    w_.imLogo->move(width > 432 ? width / 2 - 63 : 153, w_.imLogo->y());
}

void MainWindow::placeFramed() {
    setMinimumSize(MinimumFrameSize - (frameGeometry().size() - size()));
    move(0, 0);
}

void MainWindow::updateCommands() {
    // Both write the chosen EVO's streams: without one there is nothing to write.
    const bool evoChosen = !w_.eEVOfile->text().isEmpty();
    // Before any read no box says which streams to take: the .mkv takes every one.
    const bool streamsChosen = controls_.anyTicked() || (!lastScan_ && !boxesFromPlaylist_);
    controls_.showCommands({evoChosen, !chosen_.playlistFile.empty(),
                            evoChosen && controls_.anyTicked(), evoChosen,
                            evoChosen && streamsChosen, passRunning_},
                           busy_);
    showMkvTarget();
}

void MainWindow::showMkvTarget() {
    QLabel* target = w_.xpl->mkvTarget();
    if (w_.eEVOfile->text().isEmpty()) {
        target->clear();
        return;
    }
    JobRequest request = controls_.request();
    request.discTitle = discTitle_;
    const QString path = QString::fromStdString(fullPath(mkvFileOf(request)));
    target->setToolTip(path);
    target->setText("Writes " +
                    target->fontMetrics().elidedText(
                        path, Qt::ElideMiddle, std::max(target->width() - 50, MinimumPathWidth)));
}

void MainWindow::cancelClicked() {
    // Stopping a job that writes output (its pass or the mux after it) is asked first; a read is
    // stopped at once.
    if (!writingPass_ || dialogs_.confirm(this, stopQuestion_)) stopRequested_ = true;
}

void MainWindow::readEvoClicked() {
    boxesFromPlaylist_ = false;
    runJob(Page::Status, [request = controls_.request(), this](JobEvents& events) {
        const ReadResult read = readEvo(request, events);
        return std::function<void()>([this, tracks = read.tracks] { showScan(tracks); });
    });
}

void MainWindow::showScan(const TrackList& tracks) {
    lastScan_ = tracks;
    streams_.showScan(tracks);
    // The window's rule for the streams beyond its boxes: none is left out without a word.
    for (const auto& [name, label] : streams_.unboxed())
        log(label + " has no box here: Demux and Rebuild take it with the ticked streams");
}

void MainWindow::readPlaylistClicked() {
    boxesFromPlaylist_ = true;
    runJob(Page::XPL, [request = controls_.request(), this](JobEvents& events) {
        QueuedPlaylistView view(*w_.xpl, queue_);
        PlaylistRead read =
            readPlaylist(request.playlistPath, evoStem(request.evoPath), view, events);
        return std::function<void()>([this, read = std::move(read)] {
            lastPlaylist_ = read;
            streams_.showPlaylist(read);
        });
    });
}

JobRequest MainWindow::streamsRequest(Writes writes) {
    controls_.readChoices(streams_);
    JobRequest request = controls_.request();
    request.writes = writes;
    request.discTitle = discTitle_;
    // Before any read, no box says which streams to take: every one is taken.
    if (lastScan_ || boxesFromPlaylist_) request.choice.names = streams_.chosen();
    EarlierReads earlier;
    if (!boxesFromPlaylist_) earlier.scan = lastScan_;
    earlier.playlist = lastPlaylist_;
    earlier.labelledByPlaylist = boxesFromPlaylist_;
    request.earlier = std::move(earlier);
    return request;
}

void MainWindow::demuxClicked() {
    runDemux(streamsRequest(Writes::Streams));
}

void MainWindow::makeMkvClicked() {
    JobRequest request = streamsRequest(Writes::Streams);
    request.mkv = true;
    runDemux(request);
}

QString MainWindow::stopQuestion(const JobRequest& request) const {
    if (!request.mkv) return "Stop demuxing? The files written so far are kept.";
    const QString name = QString::fromStdString(fileNameOf(mkvFileOf(request)));
    return request.keepStreams
               ? "Stop making " + name + "? It is not kept; the stream files written so far are."
               : "Stop making " + name + "? Nothing is kept.";
}

void MainWindow::runDemux(const JobRequest& request) {
    if (request.mkv) {
        std::string mkv;
        // A mux that cannot run or write is told before the Demux, not after it.
        if (!runCommand([&] {
                requireOutputFolder(request.outputFolder);
                mkv = fullPath(mkvFileOf(request));
            }))
            return;
        std::error_code error;
        if (std::filesystem::exists(mkv, error) &&
            !dialogs_.confirm(this, QString::fromStdString(fileNameOf(mkv)) + " is in " +
                                        QString::fromStdString(splitPath(mkv).folder) +
                                        " already. Replace it?"))
            return;
    }
    stopQuestion_ = stopQuestion(request);
    mkvOnly_ = request.mkv && !request.keepStreams;
    runJob(Page::Status, [request](JobEvents& events) {
        demux(request, events, request.mkv ? matroskaWriterMaker() : nullptr);
        return std::function<void()>();
    });
}

void MainWindow::rebuildClicked() {
    stopQuestion_ = stopQuestion({});
    mkvOnly_ = false;
    runJob(Page::Status, [request = streamsRequest(Writes::Rebuilt)](JobEvents& events) {
        rebuild(request, events);
        return std::function<void()>();
    });
}

} // namespace splitwick
