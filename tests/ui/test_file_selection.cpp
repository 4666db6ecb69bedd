// Choosing the EVO and the playlist: the two dialogs, drops and the command line.
#include <QDir>

#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;

namespace {

struct Chosen {
    QString evoField, xplField;
    std::string evoFolder, evoFile, evoName, playlistFolder, playlistFile;
    bool readEvo, readXpl;
};

Chosen chosen(Window& s) {
    const ChosenFiles& state = s.window.chosen();
    return {s.w().eEVOfile->text(),
            s.w().eXPLfile->text(),
            state.evoFolder,
            state.evoFile,
            state.evoName,
            state.playlistFolder,
            state.playlistFile,
            s.w().bCheck->isEnabled(),
            s.w().bReadXPL->isEnabled()};
}

void browseEvo(Window& s, std::optional<QString> choice) {
    s.dialogs.choice = std::move(choice);
    QTest::mouseClick(s.w().bbEVO, Qt::LeftButton);
}

void browseXpl(Window& s, std::optional<QString> choice) {
    s.dialogs.choice = std::move(choice);
    QTest::mouseClick(s.w().bbXPL, Qt::LeftButton);
}

} // namespace

class TestFileSelection : public QObject {
    Q_OBJECT

  private slots:
    void theEvoDialog() {
        SettingsFolder settings;
        Window s;
        s.window.chosen().evoFolder = "/discs/";
        browseEvo(s, std::nullopt);
        QCOMPARE(s.dialogs.shown.size(), size_t(1));
        const auto dialog = makeFileDialog(nullptr, s.dialogs.shown[0]);
        QCOMPARE(dialog->windowTitle(), QString("Choose the EVO file to demux"));
        QCOMPARE(dialog->nameFilters(), QStringList("EVO files (*.EVO)"));
        QCOMPARE(dialog->defaultSuffix(), QString("EVO"));
        QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
        QCOMPARE(dialog->acceptMode(), QFileDialog::AcceptOpen);
        QVERIFY(dialog->testOption(QFileDialog::DontResolveSymlinks));
        QCOMPARE(s.dialogs.shown[0].startFolder, QString("/discs/"));
    }

    void theXplDialog() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList("/d/HVDVD_TS/FEATURE_1.EVO"));
        browseXpl(s, std::nullopt);
        const FileDialog& shown = s.dialogs.shown.at(0);
        QCOMPARE(shown.startFolder, QString("/d/ADV_OBJ/"));
        QCOMPARE(shown.fileName, QString("VPLST000.XPL"));
        const auto dialog = makeFileDialog(nullptr, shown);
        QCOMPARE(dialog->nameFilters(), QStringList("XPL (VPLST000.XPL)"));
        QCOMPARE(dialog->defaultSuffix(), QString("xpl"));
        QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
        QVERIFY(dialog->testOption(QFileDialog::DontResolveSymlinks));
    }

    void anEvoInTheDiscFolderFindsItsPlaylist() {
        SettingsFolder settings;
        const QString d = settings.path() + "/d";
        QDir().mkpath(d + "/ADV_OBJ");
        QFile(d + "/ADV_OBJ/VPLST000.XPL").open(QIODevice::WriteOnly);
        Window s;
        browseEvo(s, d + "/HVDVD_TS/FEATURE_1.EVO");
        const Chosen c = chosen(s);
        QCOMPARE(c.evoField, d + "/HVDVD_TS/FEATURE_1.EVO");
        QCOMPARE(c.evoFile, std::string("FEATURE_1.EVO"));
        QCOMPARE(c.evoName, std::string("FEATURE_1"));
        QCOMPARE(c.evoFolder, (d + "/HVDVD_TS/").toStdString());
        QCOMPARE(c.playlistFolder, (d + "/ADV_OBJ/").toStdString());
        QCOMPARE(c.playlistFile, std::string("VPLST000.XPL"));
        QCOMPARE(c.xplField, d + "/ADV_OBJ/VPLST000.XPL");
        QVERIFY(c.readEvo && c.readXpl);
        // The next EVO dialog starts where this one ended.
        browseEvo(s, std::nullopt);
        QCOMPARE(s.dialogs.shown.at(1).startFolder, d + "/HVDVD_TS/");
        QCOMPARE(s.dialogs.shown.at(1).fileName, d + "/HVDVD_TS/FEATURE_1.EVO");
        // A disc without its playlist: the field named it, and Read XPL failed on it.
        QFile::remove(d + "/ADV_OBJ/VPLST000.XPL");
        browseEvo(s, d + "/HVDVD_TS/FEATURE_2.EVO");
        QCOMPARE(chosen(s).xplField, QString("VPLST000.XPL"));
        QVERIFY(!chosen(s).readXpl);
    }

    void anEvoElsewhereShowsTheBarePlaylistName() {
        SettingsFolder settings;
        Window s;
        browseEvo(s, "/movies/FEATURE_1.EVO");
        const Chosen c = chosen(s);
        QCOMPARE(c.xplField, QString("VPLST000.XPL"));
        QCOMPARE(c.playlistFile, std::string());
        QVERIFY(c.readEvo && !c.readXpl);
        drop(&s.window, QStringList("/d/hvdvd_ts/FEATURE_1.EVO"));
        QCOMPARE(chosen(s).playlistFolder, std::string());
    }

    void aPlaylistInTheDiscFolderPointsTheEvoDialogAtItsSibling() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList("/x/FEATURE_1.EVO"));
        browseXpl(s, "/e/DISC/ADV_OBJ/VPLST000.XPL");
        const Chosen c = chosen(s);
        QCOMPARE(c.playlistFolder, std::string("/e/DISC/ADV_OBJ/"));
        QCOMPARE(c.evoFolder, std::string("/e/DISC/HVDVD_TS/"));
        QCOMPARE(c.evoField, QString("/x/FEATURE_1.EVO"));
        QVERIFY(c.readXpl);
        browseEvo(s, std::nullopt);
        QCOMPARE(s.dialogs.shown.at(1).startFolder, QString("/e/DISC/HVDVD_TS/"));
    }

    void cancelInTheEvoDialogWithNothingConfirmedEmptiesTheChoice() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList("/d/HVDVD_TS/FEATURE_1.EVO"));
        browseEvo(s, std::nullopt);
        const Chosen c = chosen(s);
        QVERIFY(c.evoField.isEmpty());
        QVERIFY(c.evoFile.empty() && c.evoName.empty() && c.evoFolder.empty());
        QVERIFY(!c.readEvo);
    }

    void cancelInThePresetXplDialogTakesTheBareName() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList("/d/HVDVD_TS/FEATURE_1.EVO"));
        browseXpl(s, std::nullopt);
        const Chosen c = chosen(s);
        QCOMPARE(c.xplField, QString("VPLST000.XPL"));
        QCOMPARE(c.playlistFolder, std::string());
        QVERIFY(c.readXpl);
    }

    void dropsTakeTheFirstLocalFileByItsExtension() {
        SettingsFolder settings;
        Window s;
        QVERIFY(dragIsAccepted(&s.window, QStringList("/a/notes.txt")));
        drop(&s.window, QStringList("/a/notes.txt"));
        drop(&s.window, QStringList("/a/HVDVD_TS"));
        QVERIFY(s.w().eEVOfile->text().isEmpty() && s.w().eXPLfile->text().isEmpty());

        drop(&s.window, QStringList({"/a/a.evo", "/a/b.EVO", "/a/VPLST000.XPL"}));
        QCOMPARE(s.w().eEVOfile->text(), QString("/a/a.evo"));
        QCOMPARE(chosen(s).evoName, std::string("a"));
        drop(&s.window, QStringList({"/a/ADV_OBJ/vplst000.xpl", "/b/c.EVO"}));
        QCOMPARE(s.w().eXPLfile->text(), QString("/a/ADV_OBJ/vplst000.xpl"));
        QCOMPARE(s.w().eEVOfile->text(), QString("/a/a.evo"));
        dropUrls(&s.window, QList<QUrl>({QUrl("https://example.org/x.EVO"),
                                         QUrl::fromLocalFile("/c/FEATURE_2.EVO")}));
        QCOMPARE(s.w().eEVOfile->text(), QString("/c/FEATURE_2.EVO"));
        QVERIFY(s.dialogs.errors.isEmpty());
    }

    void aShortNameGivesAnEmptyStem() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList("/a/.EVO"));
        QCOMPARE(chosen(s).evoFile, std::string(".EVO"));
        QCOMPARE(chosen(s).evoName, std::string());
    }

    // Drops on a text field or the log reach the window too.
    void dropsAnywhereOnTheWindowComeToTheWindow() {
        SettingsFolder settings;
        Window s;
        for (QWidget* field : {static_cast<QWidget*>(s.w().eWorkdir),
                               static_cast<QWidget*>(s.w().mMessage->viewport())})
            QVERIFY(!field->acceptDrops());
    }

    void aFileOnTheCommandLineIsTakenAfterTheSettings() {
        SettingsFolder settings;
        settings.write("EVOdir=string:/stored/\n");
        const QString here = QDir::currentPath();
        QDir::setCurrent(settings.path());
        QDir().mkpath("disc/HVDVD_TS");
        QDir().mkpath("disc/ADV_OBJ");
        QFile("disc/ADV_OBJ/VPLST000.XPL").open(QIODevice::WriteOnly);
        QFile("disc/HVDVD_TS/F_1.EVO").open(QIODevice::WriteOnly);
        Window s([](MainWindow& window) {
            window.takeFileAtStart("disc/HVDVD_TS/../HVDVD_TS/F_1.EVO");
        });
        QDir::setCurrent(here);
        const QString folder = settings.path() + "/disc/HVDVD_TS/";
        QCOMPARE(s.w().eEVOfile->text(), folder + "F_1.EVO");
        QCOMPARE(chosen(s).evoFolder, folder.toStdString());
        QCOMPARE(s.w().eXPLfile->text(), settings.path() + "/disc/ADV_OBJ/VPLST000.XPL");
        QVERIFY(s.w().bCheck->isEnabled());
        // The boxes were reset before it.
        QCOMPARE(s.w().box({TrackKind::Video, 0})->text(), QString("No video stream"));
    }

    // The output folder could only be typed, and an empty field did not say where it writes.
    void theOutputFolderDialogAndWhereAnEmptyFieldWrites() {
        SettingsFolder settings;
        Window s;
        const Widgets& w = s.w();
        QVERIFY(w.eWorkdir->toolTip().contains(QDir::currentPath()));
        w.eWorkdir->setText("/start");
        s.w().PageControl->setCurrentIndex(int(Page::Options));
        QTest::mouseClick(w.bbWorkdir, Qt::LeftButton); // Cancel keeps the field
        s.dialogs.folderChoice = "/chosen/out";
        QTest::mouseClick(w.bbWorkdir, Qt::LeftButton);
        QCOMPARE(s.dialogs.folderStarts, QStringList({"/start", "/start"}));
        QCOMPARE(w.eWorkdir->text(), QString("/chosen/out"));
    }

    // A missing file was taken into the field as if it were there; Read EVO failed on it later.
    void aMissingFileOnTheCommandLineIsSaidToBeMissing() {
        SettingsFolder settings;
        const QString missing = settings.path() + "/missing.EVO";
        Window s([&](MainWindow& window) { window.takeFileAtStart(missing); });
        QCOMPARE(s.dialogs.errors, QStringList("File \"" + missing + "\" does not exist."));
        QVERIFY(s.w().eEVOfile->text().isEmpty());
        QVERIFY(!s.w().bCheck->isEnabled() && !s.w().bRebuild->isEnabled());
    }
};

QTEST_MAIN(TestFileSelection)
#include "test_file_selection.moc"
