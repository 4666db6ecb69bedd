// "Mux into MKV after Demux": the window's Demux writes the .mkv in its own pass, with the
// stream files only when they are to be kept; Cancel leaves no .mkv; a failure shows in the
// error box.
#include <QDir>
#include <QRegularExpression>

#include "evo_maker/spu_maker.h"
#include "small_evo.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"
#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;

class TestWindowMkv : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString evo_;
    QString out_;

    // The window with the EVO read, the output folder set and the mux ticked.
    void readWithMuxTicked(Window& s) {
        drop(&s.window, QStringList(evo_));
        s.w().eWorkdir->setText(out_);
        s.w().cbMuxMkv->setChecked(true);
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
    }

  private slots:
    void init() {
        QDir().mkpath(dir_.path() + "/HVDVD_TS");
        evo_ = dir_.path() + "/HVDVD_TS/FEATURE_1.EVO";
        out_ = dir_.path() + "/out";
        QDir().mkpath(out_);
    }

    void cleanup() {
        QDir(dir_.path()).removeRecursively();
        QVERIFY(QDir().mkpath(dir_.path()));
    }

    // LPCM goes in as WAV samples, whatever the LPCM box says. The stream files are written
    // beside the .mkv only when Keep the demuxed streams is ticked.
    void demuxWritesTheMkvAndTheStreamsOnlyWhenKept() {
        SettingsFolder settings;
        makeEncodedEvo(
            {{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}, {Encoded::Lpcm16Stereo, 0}}},
            evo_.toStdString());
        Window s;
        readWithMuxTicked(s);
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QCOMPARE(QDir(out_).entryList(QDir::Files), QStringList("FEATURE_1.mkv"));
        s.w().cbKeepStreams->setChecked(true);
        s.dialogs.answerYes = true; // to replace the .mkv of the run before
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.asked,
                 QStringList("FEATURE_1.mkv is in " + out_ + "/ already. Replace it?"));

        QCOMPARE(s.dialogs.errors, QStringList());
        const QString mkv = out_ + "/FEATURE_1.mkv";
        QCOMPARE(s.logLines().last(), "Muxed " + mkv);
        QCOMPARE(QDir(out_).entryList(QDir::Files),
                 QStringList({"FEATURE_1.DD.stream.00.mpa", "FEATURE_1.H.264.stream.0.mpv",
                              "FEATURE_1.LPCM.stream.01.wav", "FEATURE_1.mkv"}));
        QCOMPARE(outputLines("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" +
                             mkv.toStdString() + "'"),
                 (std::vector<std::string>{"h264", "ac3", "pcm_s16le"}));
        QCOMPARE(s.w().statusBar->panelText(0), QString(" Ready"));
        QVERIFY(!s.w().bCancel->isEnabled() && s.w().bDemux->isEnabled());
    }

    // "LPCM as FLAC in MKV" and "DTS core" reach the mux: the LPCM track is FLAC, with its line
    // in the log; the plain DTS stream is its own core and gets no second track.
    void flacAndCoreBoxesReachTheMux() {
        SettingsFolder settings;
        makeEncodedEvo(
            {{{Encoded::H264At24000_1001, 0}, {Encoded::Dts, 0}, {Encoded::Lpcm16Stereo, 0}}},
            evo_.toStdString());
        Window s;
        s.w().cbLpcmFlac->setChecked(true);
        s.w().cbDtsCore->setChecked(true);
        readWithMuxTicked(s);
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.errors, QStringList());
        const std::string mkv = out_.toStdString() + "/FEATURE_1.mkv";
        QCOMPARE(outputLines("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" +
                             mkv + "'"),
                 (std::vector<std::string>{"h264", "dts", "flac"}));
        QVERIFY(s.logLines()
                    .filter(QRegularExpression("^LPCM stream 1 as FLAC: 0.5 MiB of PCM "
                                               "became 0\\.\\d MiB \\(\\d+ %\\)$"))
                    .size() == 1);
    }

    // "Subpictures as PGS" converts the subpicture stream, without a .pts file; with the mux
    // ticked it is converted whatever the box says, into a PGS track of the .mkv.
    void subpicturesAsPgsByTheBoxAndForTheMux() {
        SettingsFolder settings;
        maker::EsRecipe recipe = recipeOf({{{Encoded::H264At24000_1001, 0}}});
        const std::string es = dir_.path().toStdString() + "/spu.es";
        maker::writeSpuStream(maker::syntheticSpus(3, 5, 99000), 99000, es, es + ".units");
        recipe.streams.push_back({maker::Codec::Subpicture, 0x20, es, es + ".units", 0});
        maker::makeEsEvo(recipe, evo_.toStdString());
        Window s;
        drop(&s.window, QStringList(evo_));
        s.w().eWorkdir->setText(out_);
        s.w().PageControl->setCurrentIndex(int(Page::Options));
        QTest::mouseClick(s.w().cbSubPgs, Qt::LeftButton, {}, QPoint(5, 8));
        QVERIFY(s.w().cbSubPgs->isChecked());
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        const QString sup = out_ + "/FEATURE_1.Subpicture.00.sup";
        QCOMPARE(QDir(out_).entryList(QDir::Files),
                 QStringList({"FEATURE_1.H.264.stream.0.mpv", "FEATURE_1.Subpicture.00.sup"}));
        const QByteArray pgs = fileBytes(sup);
        QVERIFY(pgs.startsWith("PG"));

        s.w().cbSubPgs->setChecked(false);
        s.w().cbMuxMkv->setChecked(true);
        // The streams the mux took stay, to be compared.
        s.w().cbKeepStreams->setChecked(true);
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.errors, QStringList());
        QCOMPARE(fileBytes(sup), pgs);
        QCOMPARE(outputLines("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" +
                             out_.toStdString() + "/FEATURE_1.mkv'"),
                 (std::vector<std::string>{"h264", "hdmv_pgs_subtitle"}));
    }

    // Cancelled during the pass (past 4 MiB, the Demux lets events through): no .mkv, and no
    // partial file left behind. The pass reads up to the writer's queue ahead of the progress
    // line the Cancel is pressed at: the file runs on well beyond, so that the Cancel comes
    // before its end.
    void cancelLeavesNoMkv() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 4096);
        Window s;
        readWithMuxTicked(s);
        s.dialogs.answerYes = true;
        QString progress;
        s.duringJob([&] {
            progress = s.w().statusBar->panelText(1);
            QTest::mouseClick(s.w().bCancel, Qt::LeftButton);
        });
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        // What is asked and told is true: the .mkv is not kept, nothing is done.
        QCOMPARE(s.dialogs.asked, QStringList("Stop making FEATURE_1.mkv? Nothing is kept."));
        QCOMPARE(s.dialogs.errors, QStringList());
        QCOMPARE(s.logLines().last(), QString("FEATURE_1.mkv not written: stopped"));
        QCOMPARE(QDir(out_).entryList(QDir::Files), QStringList());
        // The pass's progress is one line named after the .mkv.
        QVERIFY2(progress.startsWith(" FEATURE_1.mkv ") &&
                     progress.contains(" %, Remaining time: "),
                 qPrintable(progress));
        QCOMPARE(s.w().statusBar->panelText(1), QString(" "));
        QVERIFY(!s.w().bCancel->isEnabled() && !s.window.busy());
    }

    // Ticked while the Demux ran, the box muxed files written without it: LPCM raw, which no
    // mux takes. It counts as the Demux starts.
    void muxTickedDuringTheDemuxStartsNoMux() {
        SettingsFolder settings;
        // Past 4 MiB: the Demux lets events through once.
        SmallEvo::write(evo_, 1024);
        Window s;
        readWithMuxTicked(s);
        s.w().cbMuxMkv->setChecked(false);
        s.duringJob([&] { s.w().cbMuxMkv->setChecked(true); });
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.errors, QStringList());
        QVERIFY(s.logLines().last().startsWith("Wrote "));
        QVERIFY(s.logLines().last().endsWith(" in " + out_ + "/"));
        QVERIFY(!QFile::exists(out_ + "/FEATURE_1.mkv"));
    }

    // Found out only after a whole Demux.
    void aMuxThatCannotWriteFailsBeforeTheDemux() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 10);
        Window s;
        readWithMuxTicked(s);
        s.w().eWorkdir->setText(out_ + "/missing");
        const int linesBefore = int(s.logLines().size());
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        const QString error = "Output folder \"" + out_ + "/missing\" does not exist.";
        QCOMPARE(s.dialogs.errors, QStringList(error));
        QCOMPARE(s.logLines().mid(linesBefore), QStringList(error));
        QVERIFY(QDir(out_).entryList(QDir::Files).isEmpty());
        QVERIFY(s.w().bDemux->isEnabled());
    }
};

QTEST_MAIN(TestWindowMkv)
#include "test_window_mkv.moc"
