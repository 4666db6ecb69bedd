// The window as laid out: start state, places and anchors, the Demux rule, Cancel, the status
// bar, the log, the error box and the XPL page.
#include <QScrollBar>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>

#include "window_fixture.h"

using namespace splitwick;
using namespace splitwick::testing;

namespace {

QStringList enabledButtons(const Widgets& w) {
    QStringList names;
    for (QPushButton* b : {w.bbEVO, w.bCheck, w.bbXPL, w.bReadXPL, w.bDemux, w.bRebuild, w.bCancel})
        if (b->isEnabled()) names << b->objectName();
    return names;
}

QWidget* child(const MainWindow& window, const char* name) {
    auto* found = window.findChild<QWidget*>(name);
    if (found == nullptr) qFatal("no control %s", name);
    return found;
}

int frameExtraWidth(const MainWindow& window) {
    return window.frameGeometry().width() - window.width();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    void createdAtTheScreensCornerWithTheLaidOutClientArea() {
        SettingsFolder settings;
        ScriptedDialogs dialogs;
        MainWindow window(dialogs);
        QCOMPARE(window.objectName(), QString("fMain"));
        QCOMPARE(window.windowTitle(), QString("Splitwick 0.541 (based on Morlanth's demux 0.5)"));
        // It was the laid-out 362 x 346, too small for whole captions.
        QCOMPARE(window.size(), QSize(800, 560));
        QCOMPARE(window.pos(), QPoint(0, 0));
        // Where the desktop's theme has no icon of the program, the bundled one in every size.
        QList<int> iconSizes;
        for (QSize size : window.windowIcon().availableSizes())
            iconSizes << size.width();
        std::sort(iconSizes.begin(), iconSizes.end());
        QCOMPARE(iconSizes, QList<int>({16, 32, 48, 128, 256}));
    }

    void startState() {
        SettingsFolder settings;
        Window s;
        const Widgets& w = s.w();
        QCOMPARE(w.PageControl->currentIndex(), 0);
        // Rebuild was enabled with no EVO to rebuild.
        QCOMPARE(enabledButtons(w), QStringList({"bbEVO", "bbXPL"}));
        for (TrackName box : boxNames()) {
            QCheckBox* check = w.box(box);
            QVERIFY(!check->isEnabled());
            QVERIFY(!check->isChecked());
            QCOMPARE(check->text().toStdString(), noStreamCaption(box.kind));
        }
        QCOMPARE(w.statusBar->panelText(0), QString(" Ready"));
        QCOMPARE(w.statusBar->panelText(1), QString(" Select or drop an EVO file to demux"));
        QCOMPARE(w.statusBar->toolTip(), QString(" Select or drop an EVO file to demux"));
        QCOMPARE(w.statusBar->panelWidth(0), 40);
        QCOMPARE(w.statusBar->height(), 21);
        QCOMPARE(w.eVideoExt->text(), QString("mpv"));
        QCOMPARE(w.eAudioExt->text(), QString("mpa"));
        QCOMPARE(w.eSubExt->text(), QString("sup"));
        QVERIFY(w.eWorkdir->text().isEmpty());
        QVERIFY(w.cbContinue->isChecked() && w.cbFastCheck->isChecked() &&
                w.cbCountFr->isChecked());
        // Off by default: the names and bytes of the outputs stay as they were.
        QVERIFY(!w.cbLpcmWav->isChecked() && !w.cbExtByCodec->isChecked());
        // The log could be typed into, and cut long lines at the page's edge.
        QVERIFY(w.mMessage->toPlainText().isEmpty() && w.mMessage->isReadOnly());
        QCOMPARE(w.mMessage->lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QVERIFY(w.bDemux->font().bold());
        QVERIFY(!w.imLogo->pixmap().isNull());
        QCOMPARE(w.imLogo->pixmap().size(), QSize(125, 31));
        QVERIFY(w.imLogo->pixmap().hasAlphaChannel());
        QVERIFY(s.window.acceptDrops());
    }

    // Settings and the box reset come with the first activation only, not when the window is
    // active again after a dialog or another program.
    void startUpRunsOnceOnly() {
        SettingsFolder settings;
        Window s;
        settings.write("AudioExt=string:ac3\n");
        s.w().box({TrackKind::Video, 0})->setText("MPEG-2.stream.0");
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(&s.window, &deactivate);
        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&s.window, &activate);
        QCOMPARE(s.w().eAudioExt->text(), QString("mpa"));
        QCOMPARE(s.w().box({TrackKind::Video, 0})->text(), QString("MPEG-2.stream.0"));
    }

    // Every caption fits its control in the window's font: nothing is cut.
    void captionsFitTheirControls() {
        SettingsFolder settings;
        Window s;
        for (const char* name :
             {"cbContinue", "cbFastCheck", "cbCountFr", "cbLpcmWav", "cbExtByCodec", "cbSubPgs",
              "cbMuxMkv", "cbKeepStreams", "cbLpcmFlac", "cbDtsCore", "cbClusterCrc"}) {
            auto* box = qobject_cast<QCheckBox*>(child(s.window, name));
            QVERIFY2(box->sizeHint().width() <= box->width(), name);
        }
        const int margin = s.window.style()->pixelMetric(QStyle::PM_ButtonMargin);
        for (const char* name : {"bCheck", "bReadXPL", "bDemux", "bRebuild", "bCancel"}) {
            auto* button = qobject_cast<QPushButton*>(child(s.window, name));
            // The mnemonic's "&" is not shown.
            const int text =
                button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&'));
            QVERIFY2(text + 2 * margin <= button->width(), name);
        }
        auto* label = child(s.window, "lVideoExt");
        QVERIFY(label->geometry().right() < s.w().eVideoExt->geometry().left());
    }

    void anchorsFollowTheWindowsEdges() {
        SettingsFolder settings;
        Window s;
        s.window.resize(462, 396); // 100 wider, 50 higher than laid out
        const QList<QPair<const char*, QRect>> places = {
            {"eEVOfile", {8, 8, 349, 21}},      {"bbEVO", {363, 6, 25, 25}},
            {"bCheck", {394, 7, 60, 25}},       {"eXPLfile", {8, 40, 349, 21}},
            {"bbXPL", {363, 38, 25, 25}},       {"bReadXPL", {394, 38, 60, 25}},
            {"PageControl", {8, 69, 446, 269}}, {"bDemux", {8, 344, 60, 25}},
            {"bRebuild", {74, 344, 60, 25}},    {"bCancel", {394, 344, 60, 25}},
            {"StatusBar", {0, 375, 462, 21}},
        };
        for (const auto& [name, place] : places)
            QCOMPARE(child(s.window, name)->geometry(), place);
        QCOMPARE(s.w().imLogo->y(), 342);
    }

    void logoFollowsTheWindowsWidth() {
        SettingsFolder settings;
        Window s;
        const int frame = frameExtraWidth(s.window);
        const QList<QPair<int, int>> leftForWidth = {
            {370, 153}, {432, 153}, {433, 153}, {600, 237}};
        for (const auto& [width, left] : leftForWidth) {
            s.window.resize(width - frame, 400);
            QCOMPARE(s.window.frameGeometry().width(), width);
            QCOMPARE(s.w().imLogo->x(), left);
        }
    }

    void cannotBeMadeSmallerThanItsMinimum() {
        SettingsFolder settings;
        Window s;
        s.window.resize(100, 100);
        QCOMPARE(s.window.frameGeometry().size(), QSize(370, 380));
    }

    void tabOrder() {
        SettingsFolder settings;
        Window s;
        // It jumped between the rows; now top to bottom, each row from left to right.
        const QStringList order = {"eEVOfile", "bbEVO",       "bCheck", "eXPLfile", "bbXPL",
                                   "bReadXPL", "PageControl", "bDemux", "bRebuild", "bCancel"};
        // The controls in the order the focus chain meets them, from the first on.
        QStringList met;
        QWidget* first = child(s.window, "eEVOfile");
        QWidget* next = first;
        do {
            if (order.contains(next->objectName())) met << next->objectName();
            next = next->nextInFocusChain();
        } while (next != first);
        QCOMPARE(met, order);
    }

    // Every command button and page has a mnemonic of its own.
    void mnemonicsOnEveryButtonAndPage() {
        SettingsFolder settings;
        Window s;
        const Widgets& w = s.w();
        QStringList captions;
        for (QPushButton* b : {w.bCheck, w.bReadXPL, w.bDemux, w.bRebuild, w.bCancel, w.bAbout})
            captions << b->text();
        for (int i = 0; i < w.PageControl->count(); ++i)
            captions << w.PageControl->tabText(i);
        QSet<QChar> keys;
        for (const QString& caption : captions) {
            const qsizetype amp = caption.indexOf('&');
            QVERIFY2(amp >= 0 && amp + 1 < caption.size(), qPrintable(caption));
            keys.insert(caption.at(amp + 1).toLower());
        }
        QCOMPARE(keys.size(), captions.size());
    }

    void tickingABoxEnablesDemuxAndUntickingDisables() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList("/a/HVDVD_TS/FEATURE_1.EVO")); // Demux needs an EVO
        QCheckBox* box = s.w().box({TrackKind::Subpicture, 15});
        box->setEnabled(true);
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->isChecked());
        QVERIFY(s.w().bDemux->isEnabled());
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(!s.w().bDemux->isEnabled());
    }

    // A tick left on a box without a stream still enables Demux, which then writes nothing.
    void aTickOnABoxWithoutStreamKeepsDemuxEnabled() {
        SettingsFolder settings;
        Window s;
        drop(&s.window, QStringList("/a/HVDVD_TS/FEATURE_1.EVO")); // Demux needs an EVO
        QCheckBox* box = s.w().box({TrackKind::Video, 2});
        QVERIFY(!box->isEnabled());
        box->setChecked(true);
        QVERIFY(s.w().bDemux->isEnabled());
        box->setChecked(false);
        QVERIFY(!s.w().bDemux->isEnabled());
    }

    void slogSizesPanelZeroAndHintsPanelOne() {
        SettingsFolder settings;
        Window s;
        StatusBar* bar = s.w().statusBar;
        const QFontMetrics metrics = bar->fontMetrics();
        s.window.slog("Writing stream(s)", 0);
        QCOMPARE(bar->panelText(0), QString(" Writing stream(s)"));
        QCOMPARE(bar->panelWidth(0), metrics.horizontalAdvance(" Writing stream(s)a"));
        s.window.slog("Ready", 0);
        QCOMPARE(bar->panelWidth(0), metrics.horizontalAdvance(" Readya"));
        s.window.slog("", 0);
        QCOMPARE(bar->panelWidth(0), metrics.horizontalAdvance(" a"));
        QCOMPARE(bar->toolTip(), QString(" Select or drop an EVO file to demux"));

        s.window.slog("Reading A.EVO 4/8 Mbytes", 1);
        QCOMPARE(bar->panelText(1), QString(" Reading A.EVO 4/8 Mbytes"));
        QCOMPARE(bar->toolTip(), QString("Reading A.EVO 4/8 Mbytes"));
        s.window.slog("", 1);
        QCOMPARE(bar->panelText(1), QString(" "));
        QCOMPARE(bar->toolTip(), QString());
        // Panel 1 takes the rest of the bar.
        QVERIFY(bar->panelWidth(1) > s.window.width() - bar->panelWidth(0) - 40);
    }

    void logAppendsEveryLineAndShowsTheLast() {
        SettingsFolder settings;
        Window s;
        s.window.log("");
        s.window.log("Done.");
        s.window.log("Done.");
        QCOMPARE(s.logLines(), QStringList({"", "Done.", "Done."}));
        for (int i = 0; i < 100; ++i)
            s.window.log("line");
        QScrollBar* bar = s.w().mMessage->verticalScrollBar();
        QCOMPARE(bar->value(), bar->maximum());
    }

    void theConfirmBox() {
        const auto box = makeConfirmBox(nullptr, "Stop making FEATURE_1.mkv? Nothing is kept.");
        QCOMPARE(box->windowTitle(), QString("Confirm"));
        QCOMPARE(box->text(), QString("Stop making FEATURE_1.mkv? Nothing is kept."));
        QCOMPARE(box->icon(), QMessageBox::Question);
        QCOMPARE(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box->defaultButton(), box->button(QMessageBox::No));
        QCOMPARE(box->escapeButton(), static_cast<QAbstractButton*>(box->button(QMessageBox::No)));
    }

    void theErrorBox() {
        const auto box = makeErrorBox(nullptr, "Stream write error.");
        QCOMPARE(box->windowTitle(), QString("HD DVD Splitwick"));
        QCOMPARE(box->text(), QString("Stream write error."));
        QCOMPARE(box->icon(), QMessageBox::Critical);
    }

    void aFailingCommandShowsItsErrorAndTheWindowGoesOn() {
        SettingsFolder settings;
        Window s;
        QVERIFY(!s.window.runCommand(
            [] { throw JobError(JobErrorKind::Write, "Stream write error"); }));
        QVERIFY(!s.window.runCommand([] { throw std::runtime_error("stoi"); }));
        QCOMPARE(s.dialogs.errors, QStringList({"Stream write error.", "stoi."}));
        QVERIFY(!s.window.busy());
        QVERIFY(s.window.runCommand([] {}));
    }

    // The licence and the manual are told in the window too, not only by --version.
    void aboutBoxTellsVersionLicenceAndManual() {
        SettingsFolder settings;
        Window s;
        s.w().PageControl->setCurrentIndex(int(Page::Options));
        QTest::mouseClick(s.w().bAbout, Qt::LeftButton);
        QCOMPARE(s.dialogs.abouts.size(), 1);
        const QString text = s.dialogs.abouts.first();
        for (const char* part : {"Splitwick 0.541", "GPL-3.0-or-later", "README.md"})
            QVERIFY2(text.contains(part), part);
    }

    void xplPageStartsWithFourEntriesAndShowsLinesAndNodes() {
        SettingsFolder settings;
        Window s;
        XplPage& page = s.window.xplPage();
        QTreeWidget* tree = page.tree();
        QCOMPARE(tree->topLevelItemCount(), 4);
        QStringList tops;
        for (int i = 0; i < 4; ++i)
            tops << tree->topLevelItem(i)->text(0);
        QCOMPARE(tops, QStringList({"Video", "Audio", "Subpicture", "Chapter"}));
        QCOMPARE(tree->indentation(), 19);
        QCOMPARE(tree->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(page.memo()->font().pixelSize(), 11);
        QVERIFY(QFontInfo(page.memo()->font()).fixedPitch());
        // A third of the page until the settings or the user set it.
        QCOMPARE(page.treeWidth(), s.w().PageControl->currentWidget()->width() / 3);

        page.setMemoLines({"<Title>", "  <Video/>"});
        QCOMPARE(page.memoLines(), QStringList({"<Title>", "  <Video/>"}));
        page.clearTree();
        QTreeWidgetItem* info = page.addTreeNode(nullptr, "Info");
        page.addTreeNode(info, "Title: Feature");
        QCOMPARE(tree->topLevelItemCount(), 1);
        QCOMPARE(tree->topLevelItem(0)->child(0)->text(0), QString("Title: Feature"));
    }

    // Every caption was cut at about 140 pixels whatever the window's width. The boxes share the
    // page's width in two columns: whole at 900 pixels, cut at the right edge only when the
    // page is too narrow.
    void streamBoxesUseThePagesWidth() {
        SettingsFolder settings;
        Window s;
        const Widgets& w = s.w();
        const QString longest = "DTS-HD.6ch.stream.01.Français (commentary)";
        for (int i = 0; i < boxesOfKind(TrackKind::Audio); ++i)
            w.box({TrackKind::Audio, i})->setText(longest);
        w.PageControl->setCurrentIndex(int(Page::Audio));
        const QList<QPair<int, bool>> wholeAtWidth = {{900, true}, {370, false}};
        for (const auto& [width, whole] : wholeAtWidth) {
            s.window.resize(width - frameExtraWidth(s.window), 600);
            QCoreApplication::processEvents();
            QCheckBox* left = w.box({TrackKind::Audio, 0});
            QCheckBox* right = w.box({TrackKind::Audio, 8});
            QCOMPARE(left->width(), right->width());
            QVERIFY(left->geometry().right() < right->geometry().left());
            QVERIFY(right->geometry().right() < w.PageControl->currentWidget()->width());
            QCOMPARE(left->sizeHint().width() <= left->width(), whole);
        }
    }

    void xplTreeKeepsItsWidthAndAtLeastFifty() {
        SettingsFolder settings;
        Window s;
        XplPage& page = s.window.xplPage();
        page.setTreeWidth(20);
        QCOMPARE(page.treeWidth(), 50);
        page.setTreeWidth(120);
        s.w().PageControl->setCurrentIndex(int(Page::XPL));
        QCOMPARE(page.treeWidth(), 120);
        s.window.resize(700, 500);
        QCOMPARE(page.tree()->width(), 120);
        s.w().PageControl->setCurrentIndex(int(Page::Status));
        QCOMPARE(page.treeWidth(), 120);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
