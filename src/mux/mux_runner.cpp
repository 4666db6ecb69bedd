#include "mux_runner.h"

#include <sys/prctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <stdexcept>

#include "engine/job_error.h"
#include "engine/path_parts.h"
#include "engine/unique_name.h"
#include "jobs/mkvmerge_arguments.h"

namespace splitwick {

namespace {

const char* const Program = "mkvmerge";

// mkvmerge reads and writes file names and texts in the charset of its locale: a C locale
// would turn every non-ASCII name into one it cannot open. Its messages stay in English, as
// the program's own are.
QProcessEnvironment mkvmergeEnvironment() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    return environment;
}

} // namespace

MuxRunner::MuxRunner(Report& report, Finished finished, MuxListeners listeners)
    : report_(report), finished_(std::move(finished)), listeners_(std::move(listeners)),
      output_(*this) {
    process_.setProcessChannelMode(QProcess::MergedChannels);
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.setProcessEnvironment(mkvmergeEnvironment());
    process_.setChildProcessModifier([] {
        // A process group of its own: Ctrl-C in a terminal reaches the program, which stops
        // the mux and removes its file, rather than mkvmerge directly. And mkvmerge must not
        // outlive a program that was killed.
        ::setpgid(0, 0);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    QObject::connect(&process_, &QProcess::readyReadStandardOutput, &process_,
                     [this] { readOutput(); });
    QObject::connect(
        &process_, &QProcess::finished, &process_,
        [this](int exitCode, QProcess::ExitStatus status) { exited(exitCode, status); });
    QObject::connect(&process_, &QProcess::errorOccurred, &process_,
                     [this](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) failedToStart();
                     });
}

MuxRunner::~MuxRunner() {
    if (!running_) return;
    process_.disconnect();
    process_.kill();
    process_.waitForFinished();
    removePartial();
}

QString requireMkvmerge() {
    const QString program = QStandardPaths::findExecutable(Program);
    if (program.isEmpty())
        throw JobError(JobErrorKind::Tool,
                       "mkvmerge was not found: install the mkvtoolnix package");
    return program;
}

void MuxRunner::start(const MuxPlan& plan) {
    if (running_) throw std::logic_error("a mux is running already");
    const QString program = requireMkvmerge();
    if (plan.tracks.empty())
        throw JobError(JobErrorKind::Refused, "None of the chosen streams can go into Matroska");
    target_ = plan.output;
    createPartial(plan.output);
    try {
        writeOptions(plan);
    } catch (...) {
        removePartial();
        throw;
    }
    errors_.clear();
    percentShown_ = -1;
    cancelled_ = false;
    clock_.emplace();
    if (const std::string line = ownTimingLine(plan); !line.empty()) report_.log(line);
    report_.log("Muxing " + target_);
    report_.slog("Muxing", 0);
    running_ = true;
    // The options go in a file: mkvmerge would take an argument that begins with "@" (a
    // title, say) for the name of such a file.
    process_.start(program, {"@" + options_->fileName()});
}

void MuxRunner::createPartial(const std::string& output) {
    // Made empty here, so that the name is this run's alone until mkvmerge writes it.
    const int fd = createUniqueFile(output + ".", ".part", partial_);
    if (fd < 0) throw cannotCreate(output, systemReason(errno));
    ::close(fd);
}

void MuxRunner::writeOptions(const MuxPlan& plan) {
    QJsonArray arguments;
    for (const std::string& argument : mkvmergeArguments(plan, partial_))
        arguments.append(QString::fromStdString(argument));
    options_ = std::make_unique<QTemporaryFile>(QDir::tempPath() + "/splitwick-mkvmerge-XXXXXX");
    const QByteArray json = QJsonDocument(arguments).toJson(QJsonDocument::Compact);
    if (!options_->open() || options_->write(json) != json.size() || !options_->flush())
        throw cannotCreate(options_->fileName().toStdString(),
                           options_->errorString().toStdString());
    options_->close();
}

void MuxRunner::cancel() {
    if (!running_) return;
    cancelled_ = true;
    process_.kill();
}

void MuxRunner::readOutput() {
    const QByteArray bytes = process_.readAllStandardOutput();
    output_.feed(std::string_view(bytes.constData(), size_t(bytes.size())));
}

void MuxRunner::progress(int percent) {
    // mkvmerge repeats its last figure.
    if (percent == percentShown_) return;
    percentShown_ = percent;
    if (listeners_.progressed) listeners_.progressed(percent);
    report_.slog("Muxing " + fileNameOf(target_) + " " + std::to_string(percent) +
                     "%, Remaining time: " + clock_->remaining(percent, 100),
                 1);
}

void MuxRunner::warning(const std::string& text) {
    if (listeners_.warned)
        listeners_.warned(text);
    else
        report_.log("mkvmerge warning: " + text);
}

void MuxRunner::error(const std::string& text) {
    errors_.push_back(text);
}

void MuxRunner::exited(int exitCode, QProcess::ExitStatus status) {
    readOutput();
    output_.end();
    if (cancelled_) {
        removePartial();
        report_.log("Muxing stopped");
        finish({MuxEnd::Cancelled, {}});
        return;
    }
    finish(outcome(exitCode, status));
}

void MuxRunner::failedToStart() {
    const std::string text =
        "mkvmerge could not be started: " + process_.errorString().toStdString();
    // A failed fork is reported from inside start(); the caller learns of it from the loop.
    QMetaObject::invokeMethod(
        &process_,
        [this, text] {
            finish({MuxEnd::Failed, text});
        },
        Qt::QueuedConnection);
}

MuxOutcome MuxRunner::outcome(int exitCode, QProcess::ExitStatus status) {
    // Exit code 1: done, with warnings.
    if (status == QProcess::NormalExit && (exitCode == 0 || exitCode == 1)) {
        struct stat st {};
        if (::stat(partial_.c_str(), &st) != 0 || st.st_size == 0) {
            removePartial();
            return failed("it ended with exit code " + std::to_string(exitCode) +
                          " but wrote nothing");
        }
        if (std::rename(partial_.c_str(), target_.c_str()) == 0) return {MuxEnd::Muxed, {}};
        const int renameError = errno;
        removePartial();
        return {MuxEnd::Failed, cannotCreate(target_, systemReason(renameError)).what()};
    }
    removePartial();
    if (status == QProcess::CrashExit) return failed("it stopped unexpectedly");
    if (errors_.empty()) return failed("it ended with exit code " + std::to_string(exitCode));
    std::string text;
    for (const std::string& error : errors_)
        text += (text.empty() ? "" : " ") + error;
    return failed(text);
}

MuxOutcome MuxRunner::failed(const std::string& why) const {
    return {MuxEnd::Failed, "mkvmerge failed to write \"" + fullPath(target_) + "\": " + why};
}

void MuxRunner::finish(const MuxOutcome& outcome) {
    running_ = false;
    options_.reset();
    if (outcome.end == MuxEnd::Muxed) report_.log("Muxed " + target_);
    report_.slog("Ready", 0);
    report_.slog("", 1);
    finished_(outcome);
}

void MuxRunner::removePartial() const {
    std::remove(partial_.c_str());
}

MuxEnd muxAndWait(const MuxPlan& plan, Report& report, const std::function<bool()>& stopRequested,
                  const MuxListeners& listeners) {
    QEventLoop loop;
    std::optional<MuxOutcome> outcome;
    MuxRunner runner(
        report,
        [&](const MuxOutcome& ended) {
            outcome = ended;
            loop.quit();
        },
        listeners);
    const auto askToStop = [&] {
        if (stopRequested()) runner.cancel();
    };
    runner.start(plan);
    // A stop asked for before the mux began counts at once.
    askToStop();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, askToStop);
    poll.start(100);
    while (!outcome)
        loop.exec();
    if (outcome->end == MuxEnd::Failed) throw JobError(JobErrorKind::Tool, outcome->error);
    return outcome->end;
}

} // namespace splitwick
