#include "main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDirIterator>
#include <QIcon>
#include <QScopeGuard>
#include <QShortcut>

#include "engine/job_error.h"
#include "engine/source_file.h"
#include "engine/stop_reason.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "jobs/read_evo.h"
#include "manual.h"
#include "mux/matroska_output.h"
#include "mux/mkv_of_demux.h"
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

// The smallest whole window, frame included.
constexpr QSize MinimumFrameSize{370, 380};

} // namespace

TfMain::TfMain(Dialogs& dialogs)
    : dialogs_(dialogs), anchors_(DesignedClientSize), w_(buildWindow(this, anchors_)),
      controls_(w_), session_(*this, *this),
      odEVOfile_{"Choose the EVO file to demux", "EVO files (*.EVO)", "EVO", true, {}, {}},
      odXPL_{{}, "XPL (VPLST000.XPL)", "xpl", false, {}, {}},
      odDisc_{"Choose the disc folder", {}, {}, true, {}, {}, true} {
    setObjectName("fMain");
    setWindowTitle(Caption);
    setWindowIcon(themedIcon());
    resize(FirstClientSize);
    move(0, 0);

    for (QCheckBox* box : w_.boxes)
        connect(box, &QCheckBox::toggled, this, &TfMain::updateCommands);

    connect(w_.bbEVO, &QPushButton::clicked, this,
            [this] { runCommand([this] { bbEVOClick(); }); });
    connect(w_.bbXPL, &QPushButton::clicked, this,
            [this] { runCommand([this] { bbXPLClick(); }); });
    connect(w_.bCheck, &QPushButton::clicked, this, [this] {
        boxesFromTitle_ = false;
        runJob(Page::Status, readEvo);
    });
    connect(w_.bDemux, &QPushButton::clicked, this, [this] {
        const bool mux = w_.cbMuxMkv->isChecked();
        const bool keep = w_.cbKeepStreams->isChecked();
        // A mux that cannot run or write is told before the Demux, not after it.
        const bool ready =
            !mux || runCommand([this] { requireOutputFolder(w_.eWorkdir->text().toStdString()); });
        if (ready)
            runJob(Page::Status, [this, job = streamJob(), mux, keep](Session& s) {
                demuxAndMux(s, job, mux, keep);
            });
    });
    connect(w_.bReadXPL, &QPushButton::clicked, this, [this] {
        boxesFromTitle_ = true;
        runJob(Page::XPL, [this](Session& s) { readTitlePlaylist(s); });
    });
    connect(w_.xpl->discButton(), &QPushButton::clicked, this,
            [this] { runCommand([this] { bbDiscClick(); }); });
    connect(w_.xpl->titles(), &QComboBox::activated, this,
            [this](int index) { runCommand([this, index] { chooseTitle(index); }); });
    connect(w_.bRebuild, &QPushButton::clicked, this, [this] {
        runJob(Page::Status, [this, job = streamJob()](Session& s) { rebuild(s, rebuild_, job); });
    });
    connect(w_.bCancel, &QPushButton::clicked, this, &TfMain::cancelClicked);
    connect(w_.bbWorkdir, &QPushButton::clicked, this, [this] {
        const QString folder = dialogs_.chooseFolder(this, w_.eWorkdir->text());
        if (!folder.isEmpty()) w_.eWorkdir->setText(folder);
    });
    connect(w_.bAbout, &QPushButton::clicked, this,
            [this] { dialogs_.showAbout(this, aboutText()); });
    bindKeys();
}

TfMain::~TfMain() {
    // A window closed by its owner while a job runs: the job stops at its next chunk.
    if (worker_ != nullptr) {
        session_.cancelRequested = true;
        worker_->wait();
    }
}

void TfMain::bindKeys() {
    const auto key = [this](QKeySequence sequence, auto action) {
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
    };
    key(QKeySequence::Open, [this] { runCommand([this] { bbEVOClick(); }); });
    key(Qt::Key_F1, [this] { dialogs_.openDocument(manualUrl()); });
    // As the Cancel button, with its question, while it is enabled.
    key(Qt::Key_Escape, [this] {
        if (w_.bCancel->isEnabled()) cancelClicked();
    });
}

void TfMain::onWindowThread(std::function<void()> call) {
    QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

void TfMain::log(const std::string& text) {
    if (QThread::currentThread() != thread()) {
        onWindowThread([this, text] { log(text); });
        return;
    }
    w_.mMessage->appendLine(QString::fromStdString(text));
}

void TfMain::slog(const std::string& text, uint8_t panel) {
    std::string shown = text;
    if (panel == 1 && muxProgress_) {
        // A pass's end is not the line's: a title's next part goes on with it.
        if (text.empty() || passSource_ == nullptr) return;
        shown = muxProgress_->text(passSource_->position(), passSource_->size());
    }
    if (QThread::currentThread() == thread()) {
        w_.statusBar->slog(QString::fromStdString(shown), panel);
        return;
    }
    const auto show = [this, shown, panel] {
        w_.statusBar->slog(QString::fromStdString(shown), panel);
        if (panel == 1 && !shown.empty())
            if (auto action = std::exchange(progressAction_, {})) action();
    };
    // The job waits while an action looks at its progress.
    const bool watched = progressAction_ != nullptr && panel == 1 && !shown.empty();
    QMetaObject::invokeMethod(this, show,
                              watched ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

void TfMain::passStarted(const SourceFile& source, bool writesOutput) {
    passSource_ = &source;
    writingPass_ = writesOutput;
    onWindowThread([this] {
        passRunning_ = true;
        updateCommands();
    });
}

void TfMain::passEnded(StopReason) {
    passSource_ = nullptr;
    onWindowThread([this] {
        passRunning_ = false;
        updateCommands();
    });
}

bool TfMain::runCommand(const std::function<void()>& command) {
    if (busy_) return false;
    QString failure;
    busy_ = true;
    updateCommands();
    session_.cancelRequested = false;
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

void TfMain::runJob(Page page, std::function<void(Session&)> job) {
    if (worker_ != nullptr) return;
    // A command that ends in a job (a disc's title chosen, then read) starts it once it is done.
    if (busy_) {
        jobAfterCommand_.emplace(page, std::move(job));
        return;
    }
    busy_ = true;
    session_.cancelRequested = false;
    writingPass_ = false;
    session_.request = controls_.request();
    controls_.readChoices(session_.streams);
    controls_.showPage(page);
    updateCommands();
    auto failure = std::make_shared<QString>();
    worker_ = QThread::create([this, job = std::move(job), failure] {
        try {
            job(session_);
        } catch (const std::exception& error) {
            *failure = QString::fromStdString(errorBoxText(error.what()));
        }
    });
    connect(worker_, &QThread::finished, this, [this, failure] { jobEnded(*failure); });
    worker_->start();
}

void TfMain::jobEnded(const QString& failure) {
    worker_->wait();
    delete std::exchange(worker_, nullptr);
    controls_.showStreams(session_.streams);
    busy_ = false;
    updateCommands();
    if (session_.cancelRequested) tellCancelled();
    if (failure.isEmpty()) return;
    log(failure.toStdString());
    slog("Failed", 0);
    slog("", 1);
    dialogs_.showError(this, failure);
}

void TfMain::tellCancelled() {
    if (writingPass_) log(CancelledLine);
    slog("Cancelled", 0);
    slog("", 1);
}

void TfMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    takeDropsOnWindow();
}

bool TfMain::event(QEvent* event) {
    // The first activation comes once the desktop has framed the window, before the user can
    // act in it; later ones (back from a dialog or another program) start nothing.
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        startUp();
    }
    return QWidget::event(event);
}

void TfMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    anchors_.apply(size());
    placeLogo();
}

void TfMain::closeEvent(QCloseEvent* event) {
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

void TfMain::takeDropsOnWindow() {
    setAcceptDrops(true);
    // Files dropped anywhere on the window come to the window, not to a text field.
    for (QWidget* child : findChildren<QWidget*>())
        child->setAcceptDrops(false);
}

void TfMain::startUp() {
    placeFramed();
    runCommand([this] { readSettingsAtStart(); });
    if (!fileAtStart_.isEmpty()) runCommand([this] { takeStartFile(); });
}

void TfMain::readSettingsAtStart() {
    loadSettings();
    session_.streams.forget();
    controls_.showStreams(session_.streams);
}

void TfMain::saveSettingsAtClose() {
    // Settings never read into this window would be replaced by its laid-out values.
    if (activated_) saveSettings();
}

void TfMain::placeLogo() {
    const int width = frameGeometry().width();
    w_.imLogo->move(width > 432 ? width / 2 - 63 : 153, w_.imLogo->y());
}

void TfMain::placeFramed() {
    setMinimumSize(MinimumFrameSize - (frameGeometry().size() - size()));
    move(0, 0);
}

void TfMain::updateCommands() {
    // Both write the chosen EVO's streams: without one there is nothing to write.
    const bool evoChosen = !w_.eEVOfile->text().isEmpty();
    controls_.showCommands({evoChosen, !session_.state.playlistFile.empty(),
                            evoChosen && controls_.anyTicked(), evoChosen, passRunning_},
                           busy_);
}

void TfMain::cancelClicked() {
    // Stopping a job that writes output (its pass or the mux after it) is asked first; a read is
    // stopped at once.
    if (!writingPass_ || dialogs_.confirmStop(this)) session_.cancelRequested = true;
}

StreamJob TfMain::streamJob() {
    controls_.readChoices(session_.streams);
    return afterReads(session_.streams, playlist_.title.chaptersFor(session_.state.evoName),
                      boxesFromTitle_);
}

void TfMain::demuxAndMux(Session& session, StreamJob job, bool mux, bool keepStreams) {
    std::unique_ptr<MatroskaOutput> mkv;
    if (mux) {
        const std::string output = outputPrefix(session, splitTitle(session)) + ".mkv";
        // The Demux and the .mkv it makes show their progress as one line.
        muxProgress_.emplace(splitPath(output).name);
        mkv = openMatroskaOutput({output, playlist_.title, session.state, keepStreams,
                                  session.request.subPgs, session.openFiles},
                                 *this);
        job.alsoWrites = mkv.get();
    }
    const auto oneLineEnds = qScopeGuard([this] {
        muxProgress_.reset();
        slog("", 1);
    });
    DemuxedFiles files;
    demux(session, job, &files);
    if (mkv && !session.cancelRequested) muxDemuxed(*mkv, files);
}

void TfMain::muxDemuxed(MatroskaOutput& mkv, const DemuxedFiles& files) {
    mkv.finish();
    const MkvOfDemux made = mkv.made(files);
    if (const std::string line = besidesLine(made); !line.empty()) log(line);
    log("Muxed " + made.plan.output);
}

} // namespace splitwick
