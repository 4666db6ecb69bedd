// Read EVO and Demux started from the window on small made EVO files: boxes, captions, files,
// log lines, progress, Cancel, and the hold-off of every other command while a job runs.
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <memory>

#include "small_evo.h"
#include "ui/manual.h"
#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;

namespace {

// Pack 0 and 1024 pairs, 2049 packs: the scan lets events through once, at 4 MiB (2048 packs).
constexpr int PairsPastFourMiB = 1024;

} // namespace

class TestWindowJobs : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString disc_;
    QString out_;

    QString evo(const char* name) const { return disc_ + "/" + name; }

    // The window with an EVO dropped on it and the output folder set.
    void choose(Window& s, const QString& path) {
        drop(&s.window, QStringList(path));
        s.w().eWorkdir->setText(out_);
    }

  private slots:
    void init() {
        disc_ = dir_.path() + "/HVDVD_TS";
        out_ = dir_.path() + "/out";
        QDir().mkpath(disc_);
        QDir().mkpath(out_);
    }

    void cleanup() {
        QDir(disc_).removeRecursively();
        QDir(out_).removeRecursively();
    }

    void readEvoTicksAndLabelsTheStreamsFound() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), 10);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        s.w().PageControl->setCurrentIndex(int(Page::Options));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.logLines(),
                 QStringList({"Opening file FEATURE_1.EVO", "File size: 0 Mbytes.",
                              "It contains 1 video stream and 1 audio stream.",
                              "MPEG-2 video stream 0 found!", "DD+ audio stream 0 found!", "Done.",
                              "10 frames count in video stream 0.",
                              "DD+.stream.00 starts with the picture."}));
        const Widgets& w = s.w();
        QCOMPARE(w.PageControl->currentIndex(), int(Page::Status));
        for (TrackName box : boxNames()) {
            const bool found =
                box == TrackName{TrackKind::Video, 0} || box == TrackName{TrackKind::Audio, 0};
            QCOMPARE(w.box(box)->isEnabled(), found);
            QCOMPARE(w.box(box)->isChecked(), found);
        }
        QCOMPARE(w.box({TrackKind::Video, 0})->text(), QString("MPEG-2.stream.0"));
        QCOMPARE(w.box({TrackKind::Audio, 0})->text(), QString("DD+.stream.00"));
        QCOMPARE(w.box({TrackKind::Audio, 1})->text(), QString("No audio stream"));
        QVERIFY(w.bCheck->isEnabled() && w.bDemux->isEnabled() && !w.bCancel->isEnabled());
        QCOMPARE(w.statusBar->panelText(0), QString(" Ready"));
        // Until the next command the bar says how the last one ended.
        QCOMPARE(w.statusBar->panelText(1), QString(" Done"));
        QVERIFY(!w.statusBar->shareBar()->isVisible());
        QVERIFY(s.dialogs.errors.isEmpty());
    }

    void demuxWritesEveryTickedStream() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), 10);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        const QString video = out_ + "/FEATURE_1.MPEG-2.stream.0.mpv";
        const QString audio = out_ + "/FEATURE_1.DD+.stream.00.mpa";
        QCOMPARE(
            s.logLines().mid(8),
            QStringList({"Opening file FEATURE_1.EVO", "File size: 0 Mbytes.", "Creating " + video,
                         "Creating " + audio, "It contains 1 video stream and 1 audio stream.",
                         "Done.", "10 frames count in video stream 0.",
                         "Wrote 2 files in " + out_ + "/"}));
        QCOMPARE(s.w().statusBar->panelText(1), " Done. Wrote 2 files in " + out_ + "/");
        QCOMPARE(fileBytes(video), SmallEvo::videoPayload().repeated(10));
        QCOMPARE(fileBytes(audio), SmallEvo::audioPayload().repeated(10));
        QVERIFY(s.w().bDemux->isEnabled());
        QCOMPARE(s.w().statusBar->panelText(0), QString(" Ready"));
    }

    // Ticked on the Options page, "Extensions by codec" names the files by codec, not by the
    // extension fields.
    void demuxNamesTheFilesByCodecWhenItsBoxIsTicked() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), 10);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        const Widgets& w = s.w();
        w.PageControl->setCurrentIndex(int(Page::Options));
        QTest::mouseClick(w.cbExtByCodec, Qt::LeftButton, {}, QPoint(5, 8));
        QVERIFY(w.cbExtByCodec->isChecked() && !w.cbLpcmWav->isChecked());
        QTest::mouseClick(w.bCheck, Qt::LeftButton);
        waitForJobs();
        QTest::mouseClick(w.bDemux, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(fileBytes(out_ + "/FEATURE_1.MPEG-2.stream.0.m2v"),
                 SmallEvo::videoPayload().repeated(10));
        QCOMPARE(fileBytes(out_ + "/FEATURE_1.DD+.stream.00.eac3"),
                 SmallEvo::audioPayload().repeated(10));
        QCOMPARE(QDir(out_).entryList(QDir::Files).size(), 2);
    }

    void demuxGoesOnIntoTheSecondPart() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), 10);
        SmallEvo::write(evo("FEATURE_2.EVO"), 5);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        QVERIFY(s.logLines().contains("Continue on FEATURE_2.EVO"));
        QCOMPARE(s.logLines().last(), "Wrote 2 files in " + out_ + "/");
        QVERIFY(s.logLines().contains("15 frames count in video stream 0."));
        QCOMPARE(fileBytes(out_ + "/FEATURE_1_2.DD+.stream.00.mpa"),
                 SmallEvo::audioPayload().repeated(15));
    }

    // A copy made without decrypting: Read EVO says so, Demux and Rebuild show the error box and
    // leave nothing behind.
    void anEncryptedEvoIsNamedAndNothingIsWrittenFromIt() {
        SettingsFolder settings;
        const QString path = evo("FEATURE_1.EVO");
        SmallEvo::write(path, 10);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        // Pack 3, a video packet: PES_scrambling_control '01' in the byte behind its length.
        file.seek(3 * SmallEvo::PackSize + 14 + 6);
        file.write("\x91", 1);
        file.close();
        Window s;
        choose(s, path);
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QVERIFY(s.logLines().contains("The EVO is encrypted: 1 of 21 packs are scrambled. Decrypt "
                                      "it first; its streams cannot be used as they are."));
        const QString error =
            "\"" + path + "\" is encrypted (its packs are scrambled): decrypt it first.";
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.errors, QStringList(error));
        QTest::mouseClick(s.w().bRebuild, Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.errors, QStringList({error, error}));
        QCOMPARE(QDir(out_).entryList(QDir::Files | QDir::Hidden), QStringList());
        QVERIFY(s.w().bDemux->isEnabled() && !s.window.busy());
    }

    // The user may try again at once: a failed command leaves its button enabled.
    void aMissingSourceShowsTheErrorAndLeavesReadEvoEnabled() {
        SettingsFolder settings;
        Window s;
        choose(s, evo("FEATURE_9.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.errors, QStringList("Cannot open file \"" + evo("FEATURE_9.EVO") +
                                               "\". No such file or directory."));
        // The error follows in the log; the status bar stayed at "Opening".
        QCOMPARE(s.logLines().mid(s.logLines().size() - 2),
                 QStringList({"Opening file FEATURE_9.EVO", s.dialogs.errors.first()}));
        QCOMPARE(s.w().statusBar->panelText(0), QString(" Failed"));
        QVERIFY(s.w().bCheck->isEnabled());
        QVERIFY(!s.window.busy());
    }

    void progressIsShownEveryFourMiB() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), PairsPastFourMiB);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QString progress, hint;
        s.duringJob([&] {
            progress = s.w().statusBar->panelText(1);
            hint = s.w().statusBar->toolTip();
        });
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QVERIFY2(progress.startsWith(" Reading FEATURE_1.EVO 4/4 Mbytes, Remaining time: "),
                 qPrintable(progress));
        QCOMPARE(" " + hint, progress);
    }

    void cancelStopsReadEvoWithoutAQuestion() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), PairsPastFourMiB);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        s.duringJob([&] { QTest::mouseClick(s.w().bCancel, Qt::LeftButton); });
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.questions, 0);
        // Stopped before the end: no frame count follows "Done.", and no line of files kept.
        QCOMPARE(s.logLines().last(), QString("Done."));
        QCOMPARE(s.w().statusBar->panelText(0), QString(" Cancelled"));
        QVERIFY(s.w().box({TrackKind::Audio, 0})->isChecked());
        QVERIFY(!s.w().bCancel->isEnabled());
    }

    // Ctrl+O browses for the EVO, F1 opens the manual and Escape is Cancel, with its question.
    void keysOpenTheDialogTheManualAndCancel() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), PairsPastFourMiB);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        s.dialogs.choice = evo("FEATURE_1.EVO");
        QTest::keyClick(&s.window, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(s.dialogs.shown.size(), size_t(1));
        QCOMPARE(s.dialogs.shown[0].title, QString("Choose the EVO file to demux"));
        QTest::keyClick(&s.window, Qt::Key_F1);
        QCOMPARE(s.dialogs.documents, QList<QUrl>({manualUrl()}));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        s.dialogs.answerYes = true;
        s.duringJob([&] { QTest::keyClick(&s.window, Qt::Key_Escape); });
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.questions, 1);
        QCOMPARE(s.logLines().last(), QString(CancelledLine));
    }

    // The job runs beside the window: timers due during a Demux of a large file fire on time,
    // and Cancel ends the pass at once.
    void theWindowStaysLiveDuringALongDemux() {
        SettingsFolder settings;
        // A demux from the page cache writes 128 MiB in about 50 ms: the timers and the Cancel
        // come well before the end of twice that.
        constexpr int Pairs = 64 * PairsPastFourMiB; // 256 MiB
        SmallEvo::write(evo("FEATURE_1.EVO"), Pairs);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        s.dialogs.answerYes = true;
        QElapsedTimer clock;
        QList<qint64> lateness;
        bool busyThroughout = true;
        for (int due = 2; due <= 10; due += 2)
            QTimer::singleShot(due, &s.window, [&, due] {
                lateness << clock.elapsed() - due;
                busyThroughout = busyThroughout && s.window.busy();
            });
        qint64 cancelledAt = 0;
        QTimer::singleShot(12, &s.window, [&] {
            cancelledAt = clock.elapsed();
            QTest::mouseClick(s.w().bCancel, Qt::LeftButton);
        });
        clock.start();
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        const qint64 endedAt = clock.elapsed();

        QVERIFY(busyThroughout);
        QCOMPARE(lateness.size(), 5);
        for (qint64 late : lateness)
            QVERIFY2(late < 100, qPrintable(QString::number(late)));
        QCOMPARE(s.logLines().last(), QString(CancelledLine));
        QVERIFY2(endedAt - cancelledAt < 1000, qPrintable(QString::number(endedAt - cancelledAt)));
        QVERIFY(QFileInfo(out_ + "/FEATURE_1.MPEG-2.stream.0.mpv").size() <
                Pairs * SmallEvo::VideoPayloadSize);
    }

    void cancelDuringDemuxAnsweredNoKeepsItRunning() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), PairsPastFourMiB);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        s.dialogs.answerYes = false;
        s.duringJob([&] { QTest::mouseClick(s.w().bCancel, Qt::LeftButton); });
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.asked, QStringList("Stop demuxing? The files written so far are kept."));
        QCOMPARE(s.logLines().last(), "Wrote 2 files in " + out_ + "/");
        QCOMPARE(fileBytes(out_ + "/FEATURE_1.DD+.stream.00.mpa"),
                 SmallEvo::audioPayload().repeated(PairsPastFourMiB));
    }

    void cancelDuringDemuxAnsweredYesStopsAfterTheChunk() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), PairsPastFourMiB);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        s.dialogs.answerYes = true;
        s.duringJob([&] { QTest::mouseClick(s.w().bCancel, Qt::LeftButton); });
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.questions, 1);
        // As the command line says it; the status bar said "Ready" as after a whole Demux.
        QCOMPARE(s.logLines().mid(s.logLines().size() - 2), QStringList({"Done.", CancelledLine}));
        QCOMPARE(s.w().statusBar->panelText(0), QString(" Cancelled"));
        // The packs up to 4 MiB: pack 0, 1023 pairs and one more video pack.
        QCOMPARE(fileBytes(out_ + "/FEATURE_1.MPEG-2.stream.0.mpv"),
                 SmallEvo::videoPayload().repeated(1024));
        QCOMPARE(fileBytes(out_ + "/FEATURE_1.DD+.stream.00.mpa"),
                 SmallEvo::audioPayload().repeated(1023));
    }

    // A window destroyed while Demux runs, as when the program quits, stops the job at its next
    // chunk and waits for it: the output stays as far as it came and nothing runs on.
    void aWindowDestroyedDuringDemuxStopsItsJob() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), 32 * PairsPastFourMiB); // 128 MiB
        auto s = std::make_unique<Window>();
        choose(*s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s->w().bCheck, Qt::LeftButton);
        waitForJobs();
        // Not within the action, which the job waits for: right after it.
        s->duringJob([&] { QTimer::singleShot(0, qApp, [&] { s.reset(); }); });
        QTest::mouseClick(s->w().bDemux, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!s, 60000);

        const QString output = out_ + "/FEATURE_1.MPEG-2.stream.0.mpv";
        const qint64 size = QFileInfo(output).size();
        QVERIFY(size > 0 && size < 32 * PairsPastFourMiB * SmallEvo::VideoPayloadSize);
        QTest::qWait(50);
        QCOMPARE(QFileInfo(output).size(), size);
    }

    // While Demux runs, clicks and keys on the other commands and the stream boxes, drops and
    // closing the window are held off; Cancel still works.
    void everyOtherCommandIsHeldOffDuringDemux() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), PairsPastFourMiB);
        SmallEvo::write(evo("OTHER.EVO"), 10);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        const Widgets& w = s.w();
        const int linesBefore = int(s.logLines().size());
        bool busy = false, dragAccepted = true, closed = true;
        QStringList shownEnabled;
        s.duringJob([&] {
            busy = s.window.busy();
            // They looked enabled and ignored clicks.
            for (QPushButton* b :
                 {w.bbEVO, w.bCheck, w.bbXPL, w.bReadXPL, w.bDemux, w.bRebuild, w.bCancel})
                if (b->isEnabled()) shownEnabled << b->objectName();
            QTest::mouseClick(w.box({TrackKind::Audio, 0}), Qt::LeftButton);
            w.box({TrackKind::Video, 0})->setFocus();
            QTest::keyClick(w.box({TrackKind::Video, 0}), Qt::Key_Space);
            for (QPushButton* command : {w.bCheck, w.bbEVO, w.bbXPL, w.bReadXPL, w.bRebuild})
                QTest::mouseClick(command, Qt::LeftButton);
            dragAccepted = dragIsAccepted(&s.window, QStringList(evo("OTHER.EVO")));
            drop(&s.window, QStringList(evo("OTHER.EVO")));
            closed = s.window.close();
            QTest::mouseClick(w.bCancel, Qt::LeftButton);
        });
        QTest::mouseClick(w.bDemux, Qt::LeftButton);
        waitForJobs();

        QVERIFY(busy);
        QCOMPARE(shownEnabled, QStringList("bCancel"));
        QVERIFY(w.bCheck->isEnabled() && w.bRebuild->isEnabled() && w.bbEVO->isEnabled());
        QVERIFY(!dragAccepted);
        QVERIFY(!closed);
        QVERIFY(s.window.isVisible());
        QVERIFY(w.box({TrackKind::Audio, 0})->isChecked());
        QVERIFY(w.box({TrackKind::Video, 0})->isChecked());
        QVERIFY(s.dialogs.shown.empty());
        QCOMPARE(w.eEVOfile->text(), evo("FEATURE_1.EVO"));
        QCOMPARE(s.dialogs.questions, 1); // Cancel was heard
        const QStringList demuxLines = s.logLines().mid(linesBefore);
        QCOMPARE(demuxLines.count("Opening file FEATURE_1.EVO"), 1);
        QVERIFY(!demuxLines.contains("Opening file OTHER.EVO"));
        QCOMPARE(demuxLines.last(), "Wrote 2 files in " + out_ + "/");
        QVERIFY(!s.window.busy());
        // Afterwards the window answers again.
        QVERIFY(dragIsAccepted(&s.window, QStringList(evo("OTHER.EVO"))));
        QTest::mouseClick(w.box({TrackKind::Audio, 0}), Qt::LeftButton);
        QVERIFY(!w.box({TrackKind::Audio, 0})->isChecked());
    }

    // A Demux into a folder that does not exist failed and left Demux disabled; the next jobs
    // ticked boxes that were ticked already, so nothing enabled it again. Demux is enabled
    // exactly while a box is ticked, after every job.
    void demuxStayedDisabledAfterAFailedDemux() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), 10);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        s.w().eWorkdir->setText(dir_.path() + "/missing");
        const std::vector<std::pair<const char*, QPushButton*>> next = {
            {"Read EVO", s.w().bCheck}, {"Rebuild", s.w().bRebuild}, {"Read XPL", s.w().bReadXPL}};
        for (const auto& [job, button] : next) {
            QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
            waitForJobs();
            QCOMPARE(s.dialogs.errors.size(), 1);
            // The log keeps the error once its box is gone; the status bar left the job's phase.
            QCOMPARE(s.logLines().last(), s.dialogs.errors.first());
            QCOMPARE(s.w().statusBar->panelText(0), QString(" Failed"));
            s.dialogs.errors.clear();
            // Boxes are ticked: the user may set the folder right and press Demux again.
            QVERIFY(s.w().bDemux->isEnabled());
            // Rebuild fails into the missing folder, Read XPL on a missing playlist.
            QTest::mouseClick(button, Qt::LeftButton);
            waitForJobs();
            s.dialogs.errors.clear();
            QVERIFY2(s.w().bDemux->isEnabled(), job);
        }
    }

    // Read EVO on one file, then another chosen: Demux wrote the second file under the first
    // one's captions and ticks. A new EVO's streams are unknown until it is read.
    void aNewEvoKeptTheOldEvosBoxes() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), 10);
        SmallEvo::write(evo("OTHER.EVO"), 10);
        Window s;
        const Widgets& w = s.w();
        const std::function<void(const QString&)> chooseByDrop = [&](const QString& path) {
            drop(&s.window, QStringList(path));
        };
        const std::function<void(const QString&)> chooseInDialog = [&](const QString& path) {
            s.dialogs.choice = path;
            QTest::mouseClick(w.bbEVO, Qt::LeftButton);
        };
        for (const auto& chooseOther : {chooseByDrop, chooseInDialog}) {
            choose(s, evo("FEATURE_1.EVO"));
            QTest::mouseClick(w.bCheck, Qt::LeftButton);
            waitForJobs();
            chooseOther(evo("OTHER.EVO"));
            for (TrackName box : boxNames()) {
                QVERIFY(!w.box(box)->isChecked());
                QVERIFY(!w.box(box)->isEnabled());
                QCOMPARE(w.box(box)->text(), QString::fromStdString(noStreamCaption(box.kind)));
            }
            QVERIFY(!w.bDemux->isEnabled());
            QTest::mouseClick(w.bCheck, Qt::LeftButton);
            waitForJobs();
            QCOMPARE(w.box({TrackKind::Audio, 0})->text(), QString("DD+.stream.00"));
            QVERIFY(w.bDemux->isEnabled());
        }
        // The same file again (a Cancel in the dialog gives it back) keeps the user's choice.
        w.box({TrackKind::Video, 0})->setChecked(false);
        chooseByDrop(evo("OTHER.EVO"));
        chooseInDialog(evo("OTHER.EVO"));
        QVERIFY(!w.box({TrackKind::Video, 0})->isChecked());
        QVERIFY(w.box({TrackKind::Audio, 0})->isChecked() &&
                w.box({TrackKind::Audio, 0})->isEnabled());
        QCOMPARE(w.box({TrackKind::Audio, 0})->text(), QString("DD+.stream.00"));
        QVERIFY(s.dialogs.errors.isEmpty());
    }

    void demuxCannotStartWhileReadEvoRuns() {
        SettingsFolder settings;
        SmallEvo::write(evo("FEATURE_1.EVO"), PairsPastFourMiB);
        Window s;
        choose(s, evo("FEATURE_1.EVO"));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QVERIFY(s.w().bDemux->isEnabled());
        s.duringJob([&] {
            QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
            waitForJobs();
            s.w().bDemux->click();
            waitForJobs(); // not even through the button itself
        });
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QVERIFY(!s.logLines().join('\n').contains("Creating"));
        QVERIFY(QDir(out_).isEmpty());
    }
};

QTEST_MAIN(TestWindowJobs)
#include "test_window_jobs.moc"
