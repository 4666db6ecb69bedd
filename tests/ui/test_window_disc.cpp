// A disc as the window's input: dropped or chosen with bbDisc, its titles listed on the XPL
// page with the main title chosen, whose EVO and playlist are then set and read; Demux, and the
// mux after it, take the title's every clip into files named after it.
#include <QDir>
#include <QFile>

#include <cmath>
#include <filesystem>

#include "playlist_writer.h"
#include "support/encoded_streams.h"
#include "support/test_files.h"
#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;

namespace {

// The film as two layers, L0_mainMovie and L1_mainMovie, and a trailer title whose clip is
// missing.
void makeDisc(const std::string& folder) {
    namespace fs = std::filesystem;
    fs::create_directories(folder + "/HVDVD_TS");
    fs::create_directories(folder + "/ADV_OBJ");
    const maker::MadeEsEvo film = makeLayeredTitle(
        {{{Encoded::H264At24000_1001, 0}, {Encoded::Ac3, 0}}}, folder + "/HVDVD_TS", "L0_mainMovie",
        "L1_mainMovie", folder + "/expected");
    const std::string seam =
        titleTimeOfTicks(int64_t(*film.parts[1].referencePts - *film.parts[0].referencePts));
    const std::vector<XmlElement> streams = {video(1, 1), audio(1, 1, "English")};
    writeTextFile(
        folder + "/ADV_OBJ/VPLST000.XPL",
        xmlDocument(playlistRoot(
            "DISC", {videoItem(1, "MPEG-4 AVC"), audioItem(1, "DD", "2")},
            {title(1, "Trailer", "00:00:01:00",
                   {clip("trailer", streams, "00:00:00:00", "00:00:01:00")}),
             title(2, "Main Feature", "00:00:03:00",
                   {clip("L0_mainMovie", streams, "00:00:00:00", seam),
                    clip("L1_mainMovie", streams, seam, "00:00:03:00"),
                    chapterList({chapter("00:00:00:00", "Start"), chapter("00:00:02:00", "End")}),
                    trackNavigationList({videoTrack(1), audioTrack(1, "fr:01")})})})));
}

} // namespace

class TestWindowDisc : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString out_;

    QStringList titleItems(const Window& s) const {
        QStringList items;
        for (int i = 0; i < s.w().xpl->titles()->count(); ++i)
            items << s.w().xpl->titles()->itemText(i);
        return items;
    }

  private slots:
    void initTestCase() {
        makeDisc(dir_.path().toStdString());
        out_ = dir_.path() + "/out";
        QDir().mkpath(out_);
    }

    void droppedDiscListsItsTitlesAndChoosesTheMainOne() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList(dir_.path()));
        QCOMPARE(s.dialogs.errors, QStringList());
        QCOMPARE(titleItems(s), QStringList({"1) Trailer  0:00:01  0 chapters  trailer (missing)",
                                             "2) Main Feature  0:00:03  2 chapters  L0_mainMovie + "
                                             "L1_mainMovie  [main]"}));
        QCOMPARE(s.w().xpl->titles()->currentIndex(), 1);
        QCOMPARE(s.w().eEVOfile->text(), dir_.path() + "/HVDVD_TS/L0_mainMovie.EVO");
        QCOMPARE(s.w().eXPLfile->text(), dir_.path() + "/ADV_OBJ/VPLST000.XPL");
        QCOMPARE(s.w().PageControl->currentWidget(), s.w().xpl);
        // The title read: its streams labelled and ticked.
        QVERIFY(s.logLines().contains("DD.2ch.stream.00.English found!"));
        QVERIFY(s.w().bDemux->isEnabled());

        // A title whose clip is missing: the window asks whether to make it without; No keeps
        // the main title chosen.
        emit s.w().xpl->titles()->activated(0);
        QCOMPARE(s.dialogs.asked,
                 QStringList("Title 1 plays trailer.EVO (0:00:01), whose file is missing. Make "
                             "the title without it, leaving a gap of its length?"));
        QCOMPARE(s.dialogs.errors, QStringList());
        QCOMPARE(s.w().eEVOfile->text(), dir_.path() + "/HVDVD_TS/L0_mainMovie.EVO");
    }

    // The step most users came for is on the page a disc opens on: Make MKV names the file it
    // writes, asks before replacing one there, and the status bar says where it went.
    void makeMkvIsOnTheDiscsPageAndAsksBeforeReplacing() {
        SettingsFolder settings;
        Window s;
        s.w().eWorkdir->setText(out_);
        const QString mkv = out_ + "/Main Feature.mkv";
        QFile::remove(mkv);
        drop(&s.window, QStringList(dir_.path()));
        waitForJobs();
        QCOMPARE(s.w().PageControl->currentWidget(), s.w().xpl);
        QCOMPARE(s.w().xpl->mkvTarget()->toolTip(), mkv);
        QVERIFY(s.w().xpl->mkvButton()->isEnabled());
        QTest::mouseClick(s.w().xpl->mkvButton(), Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.errors, QStringList());
        QCOMPARE(s.dialogs.questions, 0);
        QCOMPARE(fileNamesIn(out_.toStdString()), (std::vector<std::string>{"Main Feature.mkv"}));
        const QString done = s.w().statusBar->panelText(1);
        QVERIFY2(done.startsWith(" Done") && done.endsWith(". Muxed " + mkv), qPrintable(done));

        // Once it is there, it is replaced only when the user says so.
        const qsizetype lines = s.logLines().size();
        QTest::mouseClick(s.w().xpl->mkvButton(), Qt::LeftButton);
        waitForJobs();
        QCOMPARE(s.dialogs.asked,
                 QStringList("Main Feature.mkv is in " + out_ + "/ already. Replace it?"));
        QCOMPARE(s.logLines().size(), lines);
        s.dialogs.answerYes = true;
        QTest::mouseClick(s.w().xpl->mkvButton(), Qt::LeftButton);
        waitForJobs();
        QVERIFY(s.logLines().contains("Replaced " + mkv));
        QCOMPARE(s.logLines().last(), "Muxed " + mkv);
    }

    // After another EVO the page listed the old disc's titles and tree, and the playlist field
    // named a playlist that did not exist; a path pasted into the field is taken as a drop.
    void anotherEvoForgetsTheDiscAndAPastedPathIsTaken() {
        SettingsFolder settings;
        Window s;
        QLineEdit* field = s.w().eEVOfile;
        field->setText(dir_.path());
        field->setModified(true);
        emit field->editingFinished();
        waitForJobs();
        QCOMPARE(s.w().xpl->titles()->count(), 2);
        QVERIFY(s.w().xpl->tree()->topLevelItemCount() > 4 ||
                s.w().xpl->tree()->topLevelItem(0)->childCount() > 0);

        drop(&s.window, QStringList("/elsewhere/HVDVD_TS/A.EVO"));
        QCOMPARE(s.w().xpl->titles()->count(), 0);
        QCOMPARE(s.w().xpl->tree()->topLevelItemCount(), 4);
        QCOMPARE(s.w().xpl->tree()->topLevelItem(0)->childCount(), 0);
        QVERIFY(s.w().xpl->memo()->toPlainText().isEmpty());
        QCOMPARE(s.w().eXPLfile->text(), QString("VPLST000.XPL"));
        QVERIFY(!s.w().bReadXPL->isEnabled());
    }

    void demuxAndMuxTakeTheWholeTitleNamedAfterIt() {
        SettingsFolder settings;
        QFile::remove(out_ + "/Main Feature.mkv");
        Window s;
        s.dialogs.choice = dir_.path() + "/HVDVD_TS";
        QTest::mouseClick(s.w().xpl->discButton(), Qt::LeftButton);
        waitForJobs();
        QVERIFY(s.dialogs.shown.back().folder);
        s.w().eWorkdir->setText(out_);
        s.w().cbMuxMkv->setChecked(true);
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.errors, QStringList());
        QVERIFY(s.logLines().contains("Continue on L1_mainMovie.EVO"));
        const QString mkv = out_ + "/Main Feature.mkv";
        // The streams the mux took go (Keep the demuxed streams is not ticked).
        QCOMPARE(fileNamesIn(out_.toStdString()), (std::vector<std::string>{"Main Feature.mkv"}));
        // Both layers' 72 frames, and the chapters at real time.
        const double frame = 1001.0 / 24000;
        const double duration =
            std::stod(runCommand("ffprobe -v error -show_entries format=duration -of csv=p=0 '" +
                                 mkv.toStdString() + "'"));
        QVERIFY(std::abs(duration - 72 * frame) < frame);
        QCOMPARE(outputLines("ffprobe -v error -show_entries chapter=start_time:chapter_tags=title "
                             "-of csv=p=0 '" +
                             mkv.toStdString() + "'"),
                 (std::vector<std::string>{"0.000000,Start", "2.002000,End"}));
    }
};

QTEST_MAIN(TestWindowDisc)
#include "test_window_disc.moc"
