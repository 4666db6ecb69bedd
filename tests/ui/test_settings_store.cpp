// The settings store: its text form, typed reads and their errors, the reading and writing
// order, "Install", and the file's place and atomic replacement.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ui/saved_settings.h"
#include "ui/settings_file.h"

using namespace splitwick;
using namespace std::string_literals;

namespace {

QString errorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const JobError& error) {
        return error.what();
    }
    return {};
}

SavedSettings everything(int32_t windowState) {
    SavedSettings s;
    s.windowState = windowState;
    s.top = 10;
    s.left = -20;
    s.width = 500;
    s.height = 400;
    s.treeWidth = 96;
    s.audioExt = "mpa";
    s.videoExt = "mpv";
    s.subExt = "sup";
    s.workdir = "/out\\new\nline";
    s.evoDir = "/d/HVDVD_TS/";
    s.xplDir = "";
    s.continueWith = true;
    s.fastCheck = false;
    s.countFrames = true;
    s.lpcmWav = true;
    s.extByCodec = false;
    s.subPgs = true;
    s.muxMkv = true;
    s.keepStreams = true;
    s.lpcmFlac = true;
    s.dtsCore = false;
    s.clusterCrc = true;
    return s;
}

const char* const FirstRunText = "# Splitwick settings: NAME=TYPE:VALUE, one value a line\n"
                                 "WindowState=int:0\n"
                                 "Top=int:10\n"
                                 "Left=int:-20\n"
                                 "Width=int:500\n"
                                 "Height=int:400\n"
                                 "TreeWidth=int:96\n"
                                 "AudioExt=string:mpa\n"
                                 "VideoExt=string:mpv\n"
                                 "SubExt=string:sup\n"
                                 "Workdir=string:/out\\\\new\\nline\n"
                                 "EVOdir=string:/d/HVDVD_TS/\n"
                                 "XPLdir=string:\n"
                                 "Continue=int:1\n"
                                 "FastCheck=int:0\n"
                                 "CountFrames=int:1\n"
                                 "LpcmWav=int:1\n"
                                 "ExtByCodec=int:0\n"
                                 "SubPgs=int:1\n"
                                 "MuxMkv=int:1\n"
                                 "KeepStreams=int:1\n"
                                 "LpcmFlac=int:1\n"
                                 "DtsCore=int:0\n"
                                 "ClusterCrc=int:1\n";

} // namespace

class TestSettingsStore : public QObject {
    Q_OBJECT

  private slots:
    void textRoundTrip() {
        SettingsStore store;
        store.writeInteger("A", -2147483647 - 1);
        store.writeString("B", "C:\\x\r\ny\\n");
        store.writeBinary("C", doubleBytes(2.5));
        const std::string text = store.text();
        QCOMPARE(text, std::string("# Splitwick settings: NAME=TYPE:VALUE, one value a line\n"
                                   "A=int:-2147483648\n"
                                   "B=string:C:\\\\x\\r\\ny\\\\n\n"
                                   "C=binary:0000000000000440\n"));
        const SettingsStore read = SettingsStore::parse(text);
        QCOMPARE(read.readInteger("A"), -2147483647 - 1);
        QCOMPARE(read.readString("B"), std::string("C:\\x\r\ny\\n"));
        QCOMPARE(read.text(), text);
    }

    // A CR at a line's end, and the ":" of an empty type, were lost on every save.
    void unknownLinesSurviveASaveByteForByte() {
        const std::string kept = "# note\r\n"
                                 "\n"
                                 "Z=float:1.5\r\n"
                                 "A=int:1\n"
                                 "nonsense\n"
                                 "B=:x\n"
                                 "C=plain\r\n"
                                 "=int:3\n";
        SettingsStore store =
            SettingsStore::parse(kept + "Width=int:500\r\nA=int:2\nbytes=\x01\x7f\xff\0\n"s);
        QCOMPARE(store.readInteger("Width"), 500);
        QCOMPARE(store.readInteger("A"), 2); // the last line of a name holds its value
        QCOMPARE(store.readInteger(""), 3);
        QVERIFY(!store.has("nonsense") && !store.has("# note\r"));
        QCOMPARE(errorOf([&] { store.readString("B"); }), QString("Invalid data type for 'B'"));
        QCOMPARE(errorOf([&] { store.readString("C"); }), QString("Invalid data type for 'C'"));

        store.writeInteger("Width", 370);
        store.writeInteger("A", 7);
        store.writeString("Workdir", "/out");
        QCOMPARE(store.text(),
                 kept + "Width=int:370\nA=int:7\nbytes=\x01\x7f\xff\0\nWorkdir=string:/out\n"s);
        QCOMPARE(SettingsStore::parse(store.text()).text(), store.text());
    }

    // "Workdir=string:/home/u/victim<NUL>/out" was used as /home/u/victim.
    void pathsWithControlCharactersFailToRead() {
        const SettingsStore store =
            SettingsStore::parse("A=string:/home/u/victim\0/out\nB=string:/a\x1f\nC=string:/x\\ny\n"
                                 "D=string:/\x7f\xc3\xa9 \\\\\n"s);
        QCOMPARE(errorOf([&] { store.readPath("A"); }), QString("Failed to get data for 'A'"));
        QCOMPARE(errorOf([&] { store.readPath("B"); }), QString("Failed to get data for 'B'"));
        QCOMPARE(errorOf([&] { store.readPath("C"); }), QString("Failed to get data for 'C'"));
        QCOMPARE(store.readPath("D"), std::string("/\x7f\xc3\xa9 \\"));
        QCOMPARE(store.readString("A"), "/home/u/victim\0/out"s);

        const ReadSettings read = readSettings(SettingsStore::parse(
            "SubExt=string:sup\nWorkdir=string:/home/u/victim\0/out\nEVOdir=string:/d/\n"s));
        QCOMPARE(*read.values.subExt, std::string("sup"));
        QVERIFY(!read.values.workdir && !read.values.evoDir);
        QCOMPARE(QString(read.error->what()), QString("Failed to get data for 'Workdir'"));
        for (const char* name : {"AudioExt", "VideoExt", "SubExt", "EVOdir", "XPLdir"}) {
            const std::string text = std::string(name) + "=string:a\tb\n";
            QCOMPARE(QString(readSettings(SettingsStore::parse(text)).error->what()),
                     QString("Failed to get data for '%1'").arg(name));
        }
    }

    void readsOfTheWrongTypeOrSizeFail() {
        const SettingsStore store = SettingsStore::parse(
            "Width=string:wide\nHeight=int:4294967296\nTop=int:12px\nLeft=float:1\nTreeWidth=7\n"
            "Workdir=int:5\nInstall=binary:00\nContinue=int:5\nFastCheck=int:0\n");
        QCOMPARE(errorOf([&] { store.readInteger("Width"); }),
                 QString("Invalid data type for 'Width'"));
        QCOMPARE(errorOf([&] { store.readInteger("Height"); }),
                 QString("Failed to get data for 'Height'"));
        QCOMPARE(errorOf([&] { store.readInteger("Top"); }),
                 QString("Failed to get data for 'Top'"));
        QCOMPARE(errorOf([&] { store.readInteger("Left"); }),
                 QString("Invalid data type for 'Left'"));
        QCOMPARE(errorOf([&] { store.readInteger("TreeWidth"); }),
                 QString("Invalid data type for 'TreeWidth'"));
        QCOMPARE(errorOf([&] { store.readString("Workdir"); }),
                 QString("Invalid data type for 'Workdir'"));
        QCOMPARE(errorOf([&] { store.readInteger("Install"); }),
                 QString("Invalid data type for 'Install'"));
        QVERIFY(store.readBool("Continue"));
        QVERIFY(!store.readBool("FastCheck"));
    }

    void readingStopsAtTheFirstBadValue() {
        const ReadSettings read = readSettings(SettingsStore::parse(
            "AudioExt=string:ac3\nHeight=string:x\nWidth=int:200\nLeft=int:3\n"));
        QCOMPARE(*read.values.width, 200);
        QVERIFY(!read.values.height && !read.values.left && !read.values.audioExt);
        QCOMPARE(QString(read.error->what()), QString("Invalid data type for 'Height'"));
    }

    // A file saved before the FLAC and DTS core choices existed reads whole: they stay unset.
    void aFileWithoutTheNewerValuesReadsWhole() {
        const std::string older = "LpcmWav=int:1\nKeepStreams=int:1\n";
        const ReadSettings read = readSettings(SettingsStore::parse(older));
        QVERIFY(!read.error);
        QVERIFY(*read.values.keepStreams && *read.values.lpcmWav);
        QVERIFY(!read.values.lpcmFlac && !read.values.dtsCore && !read.values.clusterCrc);
        const ReadSettings newer =
            readSettings(SettingsStore::parse(older + "LpcmFlac=int:1\nDtsCore=int:0\n"));
        QVERIFY(!newer.error);
        QVERIFY(*newer.values.lpcmFlac && !*newer.values.dtsCore);
    }

    void firstWriteHoldsAllSeventeenValuesInOrder() {
        SettingsStore store;
        writeSettings(store, everything(0), 2.5);
        QCOMPARE(store.text(), std::string(FirstRunText) + "Install=binary:0000000000000440\n");
    }

    void aMaximisedFirstCloseStoresTwelveValues() {
        SettingsStore first;
        writeSettings(first, everything(Maximised), 1.0);
        const std::string firstRun = FirstRunText;
        const std::string header = firstRun.substr(0, firstRun.find("WindowState"));
        const std::string afterPlacement = firstRun.substr(firstRun.find("TreeWidth"));
        QCOMPARE(first.text(), header + "WindowState=int:2\n" + afterPlacement +
                                   "Install=binary:000000000000f03f\n");
    }

    void dateTimeIsDaysSinceTheEndOf1899() {
        std::tm t{};
        t.tm_year = -1; // 1899
        t.tm_mon = 11;
        t.tm_mday = 30;
        QCOMPARE(dateTimeValue(t, 0), 0.0);
        t.tm_year = 0;
        t.tm_mon = 0;
        t.tm_mday = 1;
        t.tm_hour = 12;
        QCOMPARE(dateTimeValue(t, 0), 2.5);
        t = {};
        t.tm_year = 100; // 2000-01-01 06:00:00.500
        t.tm_mday = 1;
        t.tm_hour = 6;
        QCOMPARE(dateTimeValue(t, 500), 36526.25 + 0.5 / 86400);
        const std::array<uint8_t, 8> bytes = doubleBytes(36526.0);
        QCOMPARE(bytes, (std::array<uint8_t, 8>{0, 0, 0, 0, 0xC0, 0xD5, 0xE1, 0x40}));
    }

    void thePlaceOfTheFile() {
        qputenv("XDG_CONFIG_HOME", "/cfg");
        QCOMPARE(settingsPath(), std::string("/cfg/Corvellan/Splitwick.conf"));
        qputenv("HOME", "/home/someone");
        qputenv("XDG_CONFIG_HOME", "relative");
        QCOMPARE(settingsPath(), std::string("/home/someone/.config/Corvellan/Splitwick.conf"));
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(settingsPath(), std::string("/home/someone/.config/Corvellan/Splitwick.conf"));
    }

    void savingReplacesTheFileWhole() {
        QTemporaryDir dir;
        const std::string path = dir.path().toStdString() + "/Corvellan/Splitwick.conf";
        QCOMPARE(loadSettingsFile(path).status, LoadedSettings::Status::Missing);
        QVERIFY(createSettingsFolder(path));
        SettingsStore store;
        store.writeString("Workdir", "/a");
        QVERIFY(saveSettingsFile(path, store));
        store.writeString("Workdir", "/b");
        QVERIFY(saveSettingsFile(path, store));
        const LoadedSettings loaded = loadSettingsFile(path);
        QCOMPARE(loaded.status, LoadedSettings::Status::Loaded);
        QCOMPARE(loaded.store.readString("Workdir"), std::string("/b"));
        QCOMPARE(QDir(dir.path() + "/Corvellan").entryList(QDir::Files),
                 QStringList("Splitwick.conf"));
    }

    void aStoreThatCannotBeWrittenLeavesNothingBehind() {
        QTemporaryDir dir;
        // The file's name is taken by a folder: it can be neither read nor replaced.
        const QString file = dir.path() + "/Corvellan/Splitwick.conf";
        QDir().mkpath(file);
        QCOMPARE(loadSettingsFile(file.toStdString()).status, LoadedSettings::Status::Unreadable);
        QVERIFY(!saveSettingsFile(file.toStdString(), SettingsStore()));
        QCOMPARE(QDir(dir.path() + "/Corvellan").entryList(QDir::Files), QStringList());
        // A folder that cannot be made: a file stands where it would go.
        QFile blocker(dir.path() + "/plain");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        QVERIFY(
            !createSettingsFolder((dir.path() + "/plain/Corvellan/Splitwick.conf").toStdString()));
    }
};

QTEST_MAIN(TestSettingsStore)
#include "test_settings_store.moc"
