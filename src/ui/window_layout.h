#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <array>

#include "anchors.h"
#include "message_log.h"
#include "status_bar.h"
#include "stream_boxes.h"
#include "xpl_page.h"

namespace splitwick {

// The client area the window is laid out for; controls keep their anchored distances to its
// edges when it grows.
constexpr QSize DesignedClientSize{362, 346};
// The window's first size, before settings give another: room for whole captions.
constexpr QSize FirstClientSize{800, 560};

// The main window's controls, by their names.
struct Widgets {
    QLineEdit* eEVOfile;
    QPushButton* bbEVO;
    QPushButton* bCheck;
    QLineEdit* eXPLfile;
    QPushButton* bbXPL;
    QPushButton* bReadXPL;
    QTabWidget* PageControl;
    QPushButton* bDemux;
    QPushButton* bRebuild;
    QLabel* imLogo;
    QPushButton* bCancel;
    StatusBar* statusBar;

    MessageLog* mMessage;
    std::array<QCheckBox*, BoxCount> boxes; // in boxNames() order
    XplPage* xpl;

    QLineEdit* eVideoExt;
    QLineEdit* eAudioExt;
    QLineEdit* eSubExt;
    QLineEdit* eWorkdir;
    QPushButton* bbWorkdir;
    QCheckBox* cbContinue;
    QCheckBox* cbFastCheck;
    QCheckBox* cbCountFr;
    QCheckBox* cbLpcmWav;
    QCheckBox* cbExtByCodec;
    QCheckBox* cbSubPgs;
    QCheckBox* cbMuxMkv;
    QCheckBox* cbKeepStreams;
    QCheckBox* cbLpcmFlac;
    QCheckBox* cbDtsCore;
    QCheckBox* cbClusterCrc;
    QPushButton* bAbout;

    QCheckBox* box(TrackName name) const { return boxes.at(size_t(boxPosition(name))); }
};

// Creates every control on the window in its laid-out place and state, with its anchors.
Widgets buildWindow(QWidget* window, Anchors& anchors);

} // namespace splitwick
