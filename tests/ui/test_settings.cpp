// The window's settings from one run to the next: the first run, round trips, the maximised
// rule, the reading rules, a value of the wrong type and a store that cannot be written.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QRegularExpression>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "ui/settings_store.h"
#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;
using namespace std::string_literals;

namespace {

// Lets a reader that waits for a writer on the FIFO go on: every two seconds while it lives, it
// opens the FIFO for writing, which succeeds only while a reader has it open or waits to.
class FifoWatchdog {
  public:
    explicit FifoWatchdog(const QString& fifo) : path_(fifo.toStdString()) {}
    ~FifoWatchdog() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        woken_.notify_one();
        thread_.join();
    }
    bool hadToLetAReaderOn() const { return letOn_; }

  private:
    void watch() {
        std::unique_lock lock(mutex_);
        while (!woken_.wait_for(lock, std::chrono::seconds(2), [this] { return done_; })) {
            const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0) continue;
            letOn_ = true;
            ::close(fd);
        }
    }

    std::string path_;
    std::mutex mutex_;
    std::condition_variable woken_;
    bool done_ = false;
    std::atomic<bool> letOn_ = false;
    std::thread thread_{[this] { watch(); }};
};

QString installLine(const QString& text) {
    return QRegularExpression("Install=binary:[0-9a-f]{16}\n$").match(text).captured(0);
}

void closeWindow(Window& s) {
    QVERIFY(s.window.close());
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT

  private slots:
    void firstRunOpensAsLaidOutAndTheFirstCloseStoresEverything() {
        SettingsFolder settings;
        Window s;
        const QRect frame = s.window.frameGeometry();
        QCOMPARE(frame.topLeft(), QPoint(0, 0));
        QCOMPARE(s.window.size(), QSize(800, 560));
        QCOMPARE(s.w().box({TrackKind::Audio, 0})->text(), QString("No audio stream"));
        const int treeWidth = s.window.xplPage().treeWidth();
        closeWindow(s);

        const QString text = settings.read();
        const QString install = installLine(text);
        QVERIFY2(!install.isEmpty(), qPrintable(text));
        QCOMPARE(text.chopped(install.size()),
                 QString("# Splitwick settings: NAME=TYPE:VALUE, one value a line\n"
                         "WindowState=int:0\nTop=int:0\nLeft=int:0\nWidth=int:" +
                         QString::number(frame.width()) +
                         "\nHeight=int:" + QString::number(frame.height()) +
                         "\nTreeWidth=int:" + QString::number(treeWidth) +
                         "\nAudioExt=string:mpa\n"
                         "VideoExt=string:mpv\nSubExt=string:sup\nWorkdir=string:\n"
                         "EVOdir=string:\nXPLdir=string:\nContinue=int:1\nFastCheck=int:1\n"
                         "CountFrames=int:1\nLpcmWav=int:0\nExtByCodec=int:0\nSubPgs=int:0\n"
                         "MuxMkv=int:0\nKeepStreams=int:0\nLpcmFlac=int:0\nDtsCore=int:0\n"
                         "ClusterCrc=int:0\n"));
        // The moment of the first close, in days since the end of 1899.
        const QByteArray bytes = QByteArray::fromHex(install.mid(15, 16).toLatin1());
        double days = 0;
        std::memcpy(&days, bytes.constData(), sizeof days);
        QVERIFY(std::abs(days - localDateTimeNow()) < 1.0 / 24);
    }

    void everythingComesBackOnTheNextRun() {
        SettingsFolder settings;
        {
            Window s;
            const Widgets& w = s.w();
            w.eVideoExt->setText("m2v");
            w.eAudioExt->setText("ac3");
            w.eSubExt->setText("");
            w.eWorkdir->setText("/out/\"x\"\\y");
            w.cbContinue->setChecked(false);
            w.cbCountFr->setChecked(false);
            w.cbLpcmWav->setChecked(true);
            w.cbExtByCodec->setChecked(true);
            w.cbSubPgs->setChecked(true);
            w.cbMuxMkv->setChecked(true);
            w.cbKeepStreams->setChecked(true);
            w.cbLpcmFlac->setChecked(true);
            w.cbDtsCore->setChecked(true);
            w.cbClusterCrc->setChecked(true);
            s.window.xplPage().setTreeWidth(150);
            drop(&s.window, QStringList("/d/HVDVD_TS/FEATURE_1.EVO"));
            s.window.setGeometry(30, 40, 500 - 4, 420 - 4);
            const QRect frame = s.window.frameGeometry();
            s.window.move(30, 40);
            QCOMPARE(s.window.frameGeometry(), QRect(30, 40, frame.width(), frame.height()));
            closeWindow(s);
        }
        const QString firstInstall = installLine(settings.read());
        Window s;
        const Widgets& w = s.w();
        QCOMPARE(s.window.frameGeometry().topLeft(), QPoint(30, 40));
        QCOMPARE(w.eVideoExt->text(), QString("m2v"));
        QCOMPARE(w.eAudioExt->text(), QString("ac3"));
        QCOMPARE(w.eSubExt->text(), QString(""));
        QCOMPARE(w.eWorkdir->text(), QString("/out/\"x\"\\y"));
        QVERIFY(!w.cbContinue->isChecked() && w.cbFastCheck->isChecked() &&
                !w.cbCountFr->isChecked());
        QVERIFY(w.cbLpcmWav->isChecked() && w.cbExtByCodec->isChecked() && w.cbMuxMkv->isChecked());
        QVERIFY(w.cbSubPgs->isChecked());
        QVERIFY(w.cbKeepStreams->isChecked());
        QVERIFY(w.cbLpcmFlac->isChecked() && w.cbDtsCore->isChecked() &&
                w.cbClusterCrc->isChecked());
        QCOMPARE(s.window.xplPage().treeWidth(), 150);
        QCOMPARE(s.window.chosen().evoFolder, std::string("/d/HVDVD_TS/"));
        QCOMPARE(s.window.chosen().playlistFolder, std::string("/d/ADV_OBJ/"));
        // The folders are start folders only.
        QVERIFY(w.eEVOfile->text().isEmpty() && !w.bCheck->isEnabled() && !w.bReadXPL->isEnabled());
        closeWindow(s);
        QCOMPARE(installLine(settings.read()), firstInstall);
    }

    // A window closed before it ever became active never read the settings: it leaves them.
    void aWindowThatNeverStartedLeavesTheSettingsAsTheyAre() {
        SettingsFolder settings;
        settings.write("AudioExt=string:ac3\n");
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QVERIFY(window.close());
        QCOMPARE(settings.read(), QString("AudioExt=string:ac3\n"));
    }

    void aMaximisedWindowReturnsToItsOlderPlacement() {
        SettingsFolder settings;
        settings.write("WindowState=int:0\nTop=int:5\nLeft=int:6\nWidth=int:500\nHeight=int:420\n");
        {
            Window s;
            QCOMPARE(s.window.frameGeometry(), QRect(6, 5, 500, 420));
            s.window.showMaximized();
            closeWindow(s);
        }
        const SettingsStore stored = SettingsStore::parse(settings.read().toStdString());
        QCOMPARE(stored.readInteger("WindowState"), 2);
        QCOMPARE(stored.readInteger("Top"), 5);
        QCOMPARE(stored.readInteger("Width"), 500);
        Window s;
        QVERIFY(s.window.isMaximized());
        s.window.showNormal();
        QCoreApplication::processEvents(); // the platform hands back the normal placement
        QCOMPARE(s.window.frameGeometry(), QRect(6, 5, 500, 420));
    }

    void storedValuesFollowTheWindowsRules() {
        SettingsFolder settings;
        settings.write("Width=int:200\nHeight=int:900\nWindowState=int:7\nAudioExt=string:abcdef\n"
                       "Continue=int:0\nFastCheck=int:5\nXPLdir=string:/x/ADV_OBJ/\n");
        Window s;
        QCOMPARE(s.window.frameGeometry().size(), QSize(370, 900));
        QVERIFY(!s.window.isMaximized() && !s.window.isMinimized());
        QCOMPARE(s.w().eAudioExt->text(), QString("abcdef"));
        QVERIFY(!s.w().cbContinue->isChecked());
        QVERIFY(s.w().cbFastCheck->isChecked());
        QCOMPARE(s.window.chosen().evoFolder, std::string());
        QCOMPARE(s.window.chosen().playlistFolder, std::string("/x/ADV_OBJ/"));
        // Typing stops at five characters.
        s.w().eVideoExt->setFocus();
        s.w().eVideoExt->end(false);
        QTest::keyClicks(s.w().eVideoExt, "xyz");
        QCOMPARE(s.w().eVideoExt->text(), QString("mpvxy"));
        QVERIFY(s.dialogs.errors.isEmpty());
    }

    void aValueOfTheWrongTypeStopsTheReadingThere() {
        SettingsFolder settings;
        settings.write("Width=string:wide\nAudioExt=string:ac3\nHeight=int:500\n");
        Window s;
        QCOMPARE(s.dialogs.errors, QStringList("Invalid data type for 'Width'"));
        QCOMPARE(s.window.size(), QSize(800, 560)); // its first size
        QCOMPARE(s.w().eAudioExt->text(), QString("mpa"));
        // The boxes were not reset either.
        QCOMPARE(s.w().box({TrackKind::Subpicture, 0})->text(), QString("Subpicture"));
    }

    // "Workdir=string:/home/u/victim<NUL>/out" filled the output folder, and Demux then wrote
    // into /home/u/victim.
    void aPathWithANulStopsTheReadingThere() {
        SettingsFolder settings;
        settings.write(QString::fromUtf8(QByteArray::fromStdString(
            "AudioExt=string:ac3\nWorkdir=string:/home/u/victim\0/out\nEVOdir=string:/d/\n"s)));
        Window s;
        QCOMPARE(s.dialogs.errors, QStringList("Failed to get data for 'Workdir'"));
        QCOMPARE(s.w().eAudioExt->text(), QString("ac3"));
        QCOMPARE(s.w().eWorkdir->text(), QString());
        QCOMPARE(s.window.chosen().evoFolder, std::string());
    }

    // Opening a FIFO without a writer waited for one: the window never started.
    void aStoreThatIsAFifoIsPassedOverWithoutWaiting() {
        SettingsFolder settings;
        QVERIFY(QDir().mkpath(settings.path() + "/Corvellan"));
        QCOMPARE(::mkfifo(settings.file().toLocal8Bit().constData(), 0600), 0);
        FifoWatchdog watchdog(settings.file());
        Window s;
        QVERIFY(s.dialogs.errors.isEmpty());
        QCOMPARE(s.w().box({TrackKind::Video, 0})->text(), QString("No video stream"));
        // Nor can it be written: the close is abandoned once, as for any such store.
        QVERIFY(!s.window.close());
        QVERIFY(s.window.close());
        QCOMPARE(s.dialogs.errors, QStringList(2, "Failed to set data for 'WindowState'"));
        QVERIFY(!watchdog.hadToLetAReaderOn());
    }

    void aStoreThatCannotBeReadIsPassedOver() {
        SettingsFolder settings;
        QDir().mkpath(settings.file());
        Window s;
        QVERIFY(s.dialogs.errors.isEmpty());
        QCOMPARE(s.w().box({TrackKind::Video, 0})->text(), QString("No video stream"));
    }

    // The close is abandoned once, so the user learns that nothing was saved; the next close
    // goes through, or the window could never be closed.
    void aStoreThatCannotBeWrittenKeepsTheWindowOpenOnce() {
        SettingsFolder settings;
        QDir().mkpath(settings.file());
        Window s;
        QVERIFY(!s.window.close());
        QVERIFY(s.window.isVisible());
        QCOMPARE(s.dialogs.errors, QStringList("Failed to set data for 'WindowState'"));
        QVERIFY(s.window.close());
        QCOMPARE(s.dialogs.errors.size(), 2);
    }

    void withoutAFolderForTheStoreNothingIsWritten() {
        SettingsFolder settings;
        QFile blocker(settings.path() + "/Corvellan");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        Window s;
        QVERIFY(s.window.close());
        QVERIFY(s.dialogs.errors.isEmpty());
        QCOMPARE(fileBytes(settings.path() + "/Corvellan"), QByteArray());
    }
};

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
