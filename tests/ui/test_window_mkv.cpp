// "Mux into MKV after Demux": the window's Demux goes on into mkvmerge on the files it wrote,
// keeping them; Cancel stops mkvmerge and leaves no .mkv; other commands are held off
// meanwhile, and a failure shows in the error box.
#include <QDir>

#include <sys/stat.h>

#include <cstdlib>

#include "evo_maker/spu_maker.h"
#include "small_evo.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"
#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;

namespace {

// PATH for as long as it lives.
class SearchPath {
  public:
    explicit SearchPath(const std::string& path) : saved_(std::getenv("PATH")) {
        ::setenv("PATH", path.c_str(), 1);
    }
    ~SearchPath() { ::setenv("PATH", saved_.c_str(), 1); }

  private:
    std::string saved_;
};

} // namespace

class TestWindowMkv : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString evo_;
    QString out_;

    // A folder holding a stand-in for mkvmerge that runs script, for PATH.
    std::string fakeMkvmerge(const std::string& script) const {
        const std::string bin = dir_.path().toStdString() + "/bin";
        QDir().mkpath(QString::fromStdString(bin));
        writeBytes(bin + "/mkvmerge", Bytes(script.begin(), script.end()));
        ::chmod((bin + "/mkvmerge").c_str(), 0755);
        return bin;
    }

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

    // LPCM goes in as WAV, whatever the LPCM box says. The streams were kept beside the .mkv:
    // a second copy of the title, unless Keep the demuxed streams is ticked.
    void demuxMuxesTheFilesItWroteIntoAnMkvBesideThem() {
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
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.errors, QStringList());
        const QString mkv = out_ + "/FEATURE_1.mkv";
        QCOMPARE(s.logLines().mid(s.logLines().lastIndexOf("Done.") + 2),
                 QStringList({"Muxing " + mkv, "Muxed " + mkv}));
        QCOMPARE(QDir(out_).entryList(QDir::Files),
                 QStringList({"FEATURE_1.DD.stream.00.mpa", "FEATURE_1.H.264.stream.0.mpv",
                              "FEATURE_1.LPCM.stream.01.wav", "FEATURE_1.mkv"}));
        QCOMPARE(outputLines("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 '" +
                             mkv.toStdString() + "'"),
                 (std::vector<std::string>{"h264", "ac3", "pcm_s16le"}));
        QCOMPARE(s.w().statusBar->panelText(0), QString(" Ready"));
        QVERIFY(!s.w().bCancel->isEnabled() && s.w().bDemux->isEnabled());
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

    // mkvmerge here reports progress and waits, as a long mux does.
    void cancelAsksThenStopsTheMuxWhileOtherCommandsAreHeldOff() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 10);
        const SearchPath path(
            fakeMkvmerge("#!/bin/sh\necho '#GUI#progress 10%'\nexec /bin/sleep 60\n"));
        Window s;
        readWithMuxTicked(s);
        s.dialogs.answerYes = true;
        const Widgets& w = s.w();
        bool cancelEnabled = false;
        QStringList linesWhileMuxing;
        // A small EVO shows no progress: this runs once mkvmerge has shown its own.
        s.duringJob([&] {
            cancelEnabled = w.bCancel->isEnabled();
            QTest::mouseClick(w.bCheck, Qt::LeftButton);
            waitForJobs();
            QTest::mouseClick(w.bCancel, Qt::LeftButton);
            linesWhileMuxing = s.logLines();
        });
        QTest::mouseClick(w.bDemux, Qt::LeftButton);
        waitForJobs();

        QVERIFY(cancelEnabled);
        QCOMPARE(linesWhileMuxing.last(), "Muxing " + out_ + "/FEATURE_1.mkv");
        QCOMPARE(s.logLines().mid(linesWhileMuxing.size()),
                 QStringList({"Muxing stopped", CancelledLine}));
        // The same question as during the Demux: the mux was stopped without one.
        QCOMPARE(s.dialogs.questions, 1);
        QCOMPARE(w.statusBar->panelText(0), QString(" Cancelled"));
        QCOMPARE(s.dialogs.errors, QStringList());
        QCOMPARE(QDir(out_).entryList(QDir::Files),
                 QStringList({"FEATURE_1.DD+.stream.00.mpa", "FEATURE_1.MPEG-2.stream.0.mpv"}));
        QVERIFY(!w.bCancel->isEnabled() && !s.window.busy());
    }

    // The Demux and the mux each showed a progress of their own, each with its own time left.
    void demuxAndMuxShowOneProgressLine() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 1024); // past 4 MiB: the Demux lets events through once
        const SearchPath path(fakeMkvmerge("#!/bin/sh\nexit 2\n"));
        Window s;
        readWithMuxTicked(s);
        QString duringDemux;
        s.duringJob([&] { duringDemux = s.w().statusBar->panelText(1); });
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QVERIFY2(duringDemux.startsWith(" FEATURE_1.mkv ") &&
                     duringDemux.contains(" %, Remaining time: "),
                 qPrintable(duringDemux));
        const int percent = duringDemux.section(' ', 2, 2).toInt();
        QVERIFY2(percent > 0 && percent <= 50, qPrintable(duringDemux)); // the first half
        QCOMPARE(s.w().statusBar->panelText(1), QString(" "));
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
        QCOMPARE(s.logLines().last(), QString("1024 frames count in video stream 0."));
        QVERIFY(!QFile::exists(out_ + "/FEATURE_1.mkv"));
    }

    // Both were found out only after a whole Demux.
    void aMuxThatCannotRunFailsBeforeTheDemux() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 10);
        const struct {
            std::string path;
            QString workdir;
            QString error;
        } cases[] = {
            {dir_.path().toStdString(), out_,
             "mkvmerge was not found: install the mkvtoolnix package."},
            {std::getenv("PATH"), out_ + "/missing",
             "Output folder \"" + out_ + "/missing\" does not exist."},
        };
        for (const auto& c : cases) {
            const SearchPath path(c.path);
            Window s;
            readWithMuxTicked(s);
            s.w().eWorkdir->setText(c.workdir);
            const int linesBefore = int(s.logLines().size());
            QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
            waitForJobs();
            QCOMPARE(s.dialogs.errors, QStringList(c.error));
            QCOMPARE(s.logLines().mid(linesBefore), QStringList(c.error));
            QVERIFY(QDir(out_).entryList(QDir::Files).isEmpty());
            QVERIFY(s.w().bDemux->isEnabled());
        }
    }
};

QTEST_MAIN(TestWindowMkv)
#include "test_window_mkv.moc"
