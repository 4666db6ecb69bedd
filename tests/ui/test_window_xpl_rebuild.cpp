// Read XPL and Rebuild started from the window: the XPL page, the labelled boxes, the rebuilt
// file, Cancel with its question, and the hold-off while the rebuild lets events through.
#include <QDir>

#include "playlist_writer.h"
#include "small_evo.h"
#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;

namespace {

// Pack 0 and 1024 pairs, 2049 packs: the rebuild lets events through once, at 4 MiB.
constexpr int PairsPastFourMiB = 1024;

QStringList childTexts(const QTreeWidgetItem* node) {
    QStringList texts;
    for (int i = 0; i < node->childCount(); ++i)
        texts << node->child(i)->text(0);
    return texts;
}

} // namespace

class TestWindowXplRebuild : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString evo_;
    QString out_;

    // The disc's EVO dropped on the window, the output folder set.
    void choose(Window& s) {
        drop(&s.window, QStringList(evo_));
        s.w().eWorkdir->setText(out_);
    }

  private slots:
    void init() {
        QDir().mkpath(dir_.path() + "/HVDVD_TS");
        QDir().mkpath(dir_.path() + "/ADV_OBJ");
        evo_ = dir_.path() + "/HVDVD_TS/FEATURE_1.EVO";
        out_ = dir_.path() + "/out";
        QDir().mkpath(out_);
        writeTextFile((dir_.path() + "/ADV_OBJ/VPLST000.XPL").toStdString(),
                      xmlDocument(discPlaylist({"FEATURE_1", "FEATURE_3"})));
    }

    void cleanup() { QDir(dir_.path()).removeRecursively(); }

    void readXplFillsTheXplPageAndLabelsTheBoxes() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 10);
        Window s;
        choose(s);
        const Widgets& w = s.w();
        QVERIFY(w.bReadXPL->isEnabled());
        QTest::mouseClick(w.bReadXPL, Qt::LeftButton);
        waitForJobs();

        QVERIFY(s.dialogs.errors.isEmpty());
        QCOMPARE(w.PageControl->currentIndex(), int(Page::XPL));
        const QStringList memo = s.window.xplPage().memoLines();
        QVERIFY(memo.first().trimmed().startsWith("<Title "));
        QVERIFY(memo.last().trimmed().startsWith("</Title>"));
        QVERIFY(s.window.xplPage().memo()->isVisibleTo(&s.window));
        const QTreeWidget* tree = s.window.xplPage().tree();
        QCOMPARE(tree->topLevelItemCount(), 5);
        QCOMPARE(tree->topLevelItem(0)->text(0), QString("Info"));
        QCOMPARE(childTexts(tree->topLevelItem(0)),
                 QStringList({"Title: SAMPLE DISC", "Name: FEATURE_1", "Duration: 00:10:00:00"}));
        QCOMPARE(childTexts(tree->topLevelItem(2)),
                 QStringList({"DD+.6ch.stream.00.English", "DD+.2ch.stream.01.Commentary",
                              "DTS-HD.6ch.stream.02.French"}));
        QCOMPARE(w.box({TrackKind::Audio, 1})->text(), QString("DD+.2ch.stream.01.Commentary"));
        QCOMPARE(w.box({TrackKind::Audio, 1})->toolTip(), QString("DD+.2ch.stream.01.Commentary"));
        QVERIFY(w.box({TrackKind::Subpicture, 0})->isChecked());
        QVERIFY(!w.box({TrackKind::Audio, 3})->isEnabled());
        QVERIFY(w.bReadXPL->isEnabled() && w.bDemux->isEnabled());
        QCOMPARE(s.logLines().last(), QString("Done."));
    }

    // The chapters are those of the title Read XPL found for this EVO: another EVO chosen since
    // gets none of them.
    void demuxAfterReadXplWritesTheChaptersOfTheEvosTitleOnly() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 10);
        Window s;
        choose(s);
        QTest::mouseClick(s.w().bReadXPL, Qt::LeftButton);
        waitForJobs();
        const int linesBefore = int(s.logLines().size());
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();

        QVERIFY(s.dialogs.errors.isEmpty());
        const QStringList lines = s.logLines().mid(linesBefore);
        const QString chapters = out_ + "/FEATURE_1.chapters.xml";
        // Behind the files of the title's streams the EVO carries: its video and DD+ audio.
        QCOMPARE(lines.indexOf("Creating " + chapters),
                 lines.indexOf("Creating " + out_ + "/FEATURE_1.DD+.6ch.stream.00.English.mpa") +
                     1);
        QVERIFY(fileBytes(chapters).contains("<ChapterString>Chapter 3</ChapterString>"));

        const QString other = dir_.path() + "/HVDVD_TS/FEATURE_3.EVO";
        SmallEvo::write(other, 10);
        drop(&s.window, QStringList(other));
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        QTest::mouseClick(s.w().bDemux, Qt::LeftButton);
        waitForJobs();
        QVERIFY(s.dialogs.errors.isEmpty());
        QVERIFY(s.logLines().contains("Creating " + out_ + "/FEATURE_3.MPEG-2.stream.0.mpv"));
        QVERIFY(!QFile::exists(out_ + "/FEATURE_3.chapters.xml"));
    }

    void rebuildWritesTheTickedStreamsOnly() {
        SettingsFolder settings;
        SmallEvo::write(evo_, 10);
        Window s;
        choose(s);
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        s.w().box({TrackKind::Audio, 0})->setChecked(false);
        QTest::mouseClick(s.w().bRebuild, Qt::LeftButton);
        waitForJobs();

        QVERIFY(s.dialogs.errors.isEmpty());
        // Behind Read EVO's "Done.", its frame count and timing lines.
        QCOMPARE(s.logLines().mid(s.logLines().indexOf("Done.") + 3),
                 QStringList({"Opening file FEATURE_1.EVO", "File size: 0 Mbytes.",
                              "Creating " + out_ + "/FEATURE_1.rebuilt.EVO", "Done."}));
        // The system header pack and the ten video packs: the audio packs are left out.
        QCOMPARE(fileBytes(out_ + "/FEATURE_1.rebuilt.EVO").size(), 11 * SmallEvo::PackSize);
        QVERIFY(s.w().bRebuild->isEnabled() && !s.w().bCancel->isEnabled());
        QCOMPARE(s.w().statusBar->panelText(0), QString(" Ready"));
    }

    void rebuildAsksBeforeCancelAndHoldsOffTheOtherCommands() {
        SettingsFolder settings;
        SmallEvo::write(evo_, PairsPastFourMiB);
        Window s;
        choose(s);
        QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
        waitForJobs();
        const int linesBefore = s.logLines().size();
        s.dialogs.answerYes = true;
        s.duringJob([&] {
            QVERIFY(!s.w().bRebuild->isEnabled() && s.w().bCancel->isEnabled());
            QVERIFY(s.w().statusBar->panelText(1).startsWith(
                " Rebuilding FEATURE_1.EVO 4/4 Mbytes, Remaining time: "));
            QTest::mouseClick(s.w().bCheck, Qt::LeftButton);
            waitForJobs();
            QTest::mouseClick(s.w().bCancel, Qt::LeftButton);
        });
        QTest::mouseClick(s.w().bRebuild, Qt::LeftButton);
        waitForJobs();

        QCOMPARE(s.dialogs.questions, 1);
        // No Read EVO ran in between, and the pass stopped after the pack in hand.
        QCOMPARE(s.logLines().size(), linesBefore + 5);
        QCOMPARE(s.logLines().mid(linesBefore + 3), QStringList({"Done.", CancelledLine}));
        QCOMPARE(fileBytes(out_ + "/FEATURE_1.rebuilt.EVO").size(), 2048 * SmallEvo::PackSize);
    }
};

QTEST_MAIN(TestWindowXplRebuild)
#include "test_window_xpl_rebuild.moc"
