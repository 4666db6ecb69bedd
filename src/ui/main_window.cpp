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
#include "jobs/demux_job.h"
#include "jobs/file_choice.h"
#include "jobs/job_steps.h"
#include "jobs/read_evo.h"
#include "jobs/rebuild_job.h"
#include "manual.h"
#include "mux/matroska_sink.h"
#include "mux/mkv_of_demux.h"
#include "playlist/read_xpl.h"
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

// The input by which a user starts a command or changes a tick.
bool isUserInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
        return true;
    default:
        return false;
    }
}

} // namespace

TfMain::TfMain(Dialogs& dialogs)
    : dialogs_(dialogs), anchors_(DesignedClientSize), w_(buildWindow(this, anchors_)),
      controls_(w_), session_(controls_, *this, *this),
      odEVOfile_{"Choose the EVO file to demux", "EVO files (*.EVO)", "EVO", true, {}, {}},
      odXPL_{{}, "XPL (VPLST000.XPL)", "xpl", false, {}, {}},
      odDisc_{"Choose the disc folder", {}, {}, true, {}, {}, true} {
    setObjectName("fMain");
    setWindowTitle(Caption);
    setWindowIcon(themedIcon());
    resize(FirstClientSize);
    move(0, 0);

    for (QCheckBox* box : w_.boxes) {
        connect(box, &QCheckBox::toggled, this, &TfMain::cbVideoClick);
        box->installEventFilter(this);
    }
    for (QWidget* command :
         std::initializer_list<QWidget*>{w_.bbEVO, w_.bCheck, w_.bbXPL, w_.bReadXPL, w_.bDemux,
                                         w_.bRebuild, w_.xpl->discButton(), w_.xpl->titles()})
        command->installEventFilter(this);

    connect(w_.bbEVO, &QPushButton::clicked, this,
            [this] { runCommand([this] { bbEVOClick(); }); });
    connect(w_.bbXPL, &QPushButton::clicked, this,
            [this] { runCommand([this] { bbXPLClick(); }); });
    bindJob(w_.bCheck, [this](Session& s) {
        boxesFromTitle_ = false;
        bCheckClick(s);
    });
    bindJob(w_.bDemux, [this](Session& s) {
        // As the Demux starts, for it writes LPCM as WAV for the mux.
        std::optional<MatroskaSink> mkv;
        if (w_.cbMuxMkv->isChecked()) {
            // A .mkv that cannot be written is told before the Demux, not after it.
            requireOutputFolder(w_.eWorkdir->text().toStdString());
            const std::string output = outputPrefix(s, splitTitle(s)) + ".mkv";
            // The Demux and the .mkv it makes show their progress as one line.
            muxProgress_.emplace(splitPath(output).name);
            mkv.emplace(MatroskaSetup{output, playlist_.title, s.state,
                                      w_.cbKeepStreams->isChecked(),
                                      controls_.option(Option::SubPgs)},
                        *this);
        }
        const auto oneLineEnds = qScopeGuard([this] {
            muxProgress_.reset();
            slog("", 1);
        });
        const DemuxedFiles files = bDemuxClick(s, playlist_.title.chaptersFor(s.state.EVOname),
                                               boxesFromTitle_, mkv ? &*mkv : nullptr);
        if (mkv && !s.state.Cancelled) muxDemuxed(*mkv, files);
    });
    bindJob(w_.bReadXPL, [this](Session& s) {
        boxesFromTitle_ = true;
        readPlaylist(s);
    });
    connect(w_.xpl->discButton(), &QPushButton::clicked, this,
            [this] { runCommand([this] { bbDiscClick(); }); });
    connect(w_.xpl->titles(), &QComboBox::activated, this,
            [this](int index) { runCommand([this, index] { chooseTitle(index); }); });
    bindJob(w_.bRebuild, [this](Session& s) { bRebuildClick(s, rebuild_); });
    connect(w_.bCancel, &QPushButton::clicked, this, &TfMain::bCancelClick);
    connect(w_.bbWorkdir, &QPushButton::clicked, this, [this] {
        const QString folder = dialogs_.chooseFolder(this, w_.eWorkdir->text());
        if (!folder.isEmpty()) w_.eWorkdir->setText(folder);
    });
    connect(w_.bAbout, &QPushButton::clicked, this,
            [this] { dialogs_.showAbout(this, aboutText()); });
    bindKeys();
}

void TfMain::bindKeys() {
    const auto key = [this](QKeySequence sequence, auto action) {
        connect(new QShortcut(sequence, this), &QShortcut::activated, this, action);
    };
    key(QKeySequence::Open, [this] { runCommand([this] { bbEVOClick(); }); });
    key(Qt::Key_F1, [this] { dialogs_.openDocument(manualUrl()); });
    // As the Cancel button, with its question, while it is enabled.
    key(Qt::Key_Escape, [this] {
        if (w_.bCancel->isEnabled()) bCancelClick();
    });
}

void TfMain::log(const std::string& text) {
    w_.mMessage->appendLine(QString::fromStdString(text));
}

void TfMain::slog(const std::string& text, uint8_t panel) {
    if (panel == 1 && muxProgress_) {
        // A pass's end is not the line's: a title's next part goes on with it.
        if (text.empty() || passSource_ == nullptr) return;
        w_.statusBar->slog(QString::fromStdString(
                               muxProgress_->text(passSource_->position(), passSource_->size())),
                           panel);
        return;
    }
    w_.statusBar->slog(QString::fromStdString(text), panel);
}

void TfMain::processPendingEvents() {
    QCoreApplication::processEvents();
}

void TfMain::repaint() {
    QWidget::repaint();
}

void TfMain::passStarted(const SourceFile& source, bool writesOutput) {
    passSource_ = &source;
    DemuxMode = writesOutput;
    controls_.setButtonEnabled(Button::Cancel, true);
}

void TfMain::passEnded(StopReason) {
    passSource_ = nullptr;
    controls_.setButtonEnabled(Button::Cancel, false);
}

void TfMain::bindJob(QAbstractButton* button, std::function<void(Session&)> job) {
    connect(button, &QAbstractButton::clicked, this,
            [this, job = std::move(job)] { runCommand([&] { job(session_); }); });
}

bool TfMain::runCommand(const std::function<void()>& command) {
    if (busy_) return false;
    QString failure;
    busy_ = true;
    controls_.holdCommands(true);
    session_.state.Cancelled = false;
    try {
        command();
    } catch (const std::exception& error) {
        failure = QString::fromStdString(errorBoxText(error.what()));
    }
    busy_ = false;
    controls_.holdCommands(false);
    // Whatever the command did to Demux, a failed Demux included, it ends as the boxes say.
    cbVideoClick();
    if (session_.state.Cancelled) tellCancelled();
    if (failure.isNull()) return true;
    // The log keeps the error after its box is gone, and the status bar leaves the job's phase.
    log(failure.toStdString());
    slog("Failed", 0);
    slog("", 1);
    dialogs_.showError(this, failure);
    return false;
}

void TfMain::tellCancelled() {
    if (DemuxMode) log(CancelledLine);
    slog("Cancelled", 0);
    slog("", 1);
}

void TfMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
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
    FormResize();
}

void TfMain::closeEvent(QCloseEvent* event) {
    if (busy_) {
        event->ignore();
        return;
    }
    // A store that cannot be written keeps the window open once, so the user learns that the
    // settings are not saved; a second close goes through.
    if (runCommand([this] { FormClose(); }) || closeRefused_) {
        event->accept();
        return;
    }
    closeRefused_ = true;
    event->ignore();
}

bool TfMain::eventFilter(QObject* watched, QEvent* event) {
    if (busy_ && isUserInput(event->type())) return true;
    return QWidget::eventFilter(watched, event);
}

void TfMain::FormShow() {
    setAcceptDrops(true);
    // Files dropped anywhere on the window come to the window, not to a text field.
    for (QWidget* child : findChildren<QWidget*>())
        child->setAcceptDrops(false);
}

void TfMain::startUp() {
    placeFramed();
    runCommand([this] { FormActivate(); });
    if (!fileAtStart_.isEmpty()) runCommand([this] { takeStartFile(); });
}

void TfMain::FormActivate() {
    RegRead();
    Resetcbs(controls_);
}

void TfMain::FormClose() {
    // Settings never read into this window would be replaced by its laid-out values.
    if (activated_) RegWrite();
}

void TfMain::FormResize() {
    const int width = frameGeometry().width();
    w_.imLogo->move(width > 432 ? width / 2 - 63 : 153, w_.imLogo->y());
}

void TfMain::placeFramed() {
    setMinimumSize(MinimumFrameSize - (frameGeometry().size() - size()));
    move(0, 0);
}

void TfMain::cbVideoClick() {
    // Both write the chosen EVO's streams: without one there is nothing to write.
    const bool evoChosen = !w_.eEVOfile->text().isEmpty();
    controls_.setButtonEnabled(Button::Demux, evoChosen && anyBoxTicked(controls_));
    controls_.setButtonEnabled(Button::Rebuild, evoChosen);
}

void TfMain::bCancelClick() {
    // Stopping a job that writes output (its pass or the mux after it) is asked first; a read is
    // stopped at once.
    if (!DemuxMode || dialogs_.confirmStop(this)) session_.state.Cancelled = true;
}

void TfMain::muxDemuxed(MatroskaSink& mkv, const DemuxedFiles& files) {
    mkv.finish();
    const MkvOfDemux made = mkv.made(files);
    if (const std::string line = besidesLine(made); !line.empty()) log(line);
    log("Muxed " + made.plan.output);
}

} // namespace splitwick
