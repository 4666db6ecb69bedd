#include "window_layout.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QStyle>
#include <QVBoxLayout>

#include "caption_box.h"

namespace splitwick {

namespace {

constexpr int AllEdges = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;

// The stream boxes' grid on their pages: two columns that share the page's width.
constexpr int BoxRows = 8;
constexpr int BoxColumns = 2;

struct BoxPage {
    TrackKind kind;
    const char* name;
    const char* caption;
};
constexpr std::array<BoxPage, 3> BoxPages = {{
    {TrackKind::Video, "tsVideo", "&Video"},
    {TrackKind::Audio, "tsAudio", "A&udio"},
    {TrackKind::Subpicture, "tsSubpicture", "Subp&icture"},
}};

// The controls' pixel sizes were made for a narrow face. A condensed sans serif of 10 pixels
// keeps every caption whole in them and reads as large as that face at 11.
QFont windowFont() {
    QFont font("DejaVu Sans Condensed");
    font.setPixelSize(10);
    return font;
}

template <class W> W* place(W* widget, const char* name, QRect at, const char* hint = nullptr) {
    widget->setObjectName(name);
    widget->setGeometry(at);
    if (hint != nullptr) widget->setToolTip(hint);
    return widget;
}

// A path can be pasted or typed as well as dropped or browsed for; a screen reader names it.
QLineEdit* pathField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setAccessibleName(name);
    return field;
}

QPushButton* browseButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DirOpenIcon));
    button->setIconSize({16, 16});
    return button;
}

QPushButton* disabledButton(const char* caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setEnabled(false);
    return button;
}

// Pages are made inside the page control, so that they take the window's font as they are laid
// out.
QWidget* fillingPage(const char* name, QWidget* content, QWidget* pages) {
    auto* page = new QWidget(pages);
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(content);
    return page;
}

QWidget* boxPage(const BoxPage& kind, Widgets& w) {
    auto* page = new QWidget(w.PageControl);
    page->setObjectName(kind.name);
    const std::string hint = kindWords(kind.kind);
    page->setToolTip(QString::fromStdString(hint));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(9, 9, 9, 9);
    grid->setVerticalSpacing(5);
    for (int column = 0; column < BoxColumns; ++column)
        grid->setColumnStretch(column, 1);
    // The rows keep to the top of a tall page.
    grid->setRowStretch(BoxRows, 1);
    for (int i = 0; i < boxesOfKind(kind.kind); ++i) {
        const TrackName name{kind.kind, i};
        auto* check = new CaptionBox(QString::fromStdString(laidOutCaption(kind.kind)), page);
        check->setObjectName(QString::fromStdString(boxObjectName(name)));
        check->setToolTip(QString::fromStdString(hint));
        check->setEnabled(false);
        grid->addWidget(check, i % BoxRows, i / BoxRows);
        w.boxes[size_t(boxPosition(name))] = check;
    }
    return page;
}

// Typing stops at the limit; a longer text set by the program is kept whole.
class MaxLength : public QValidator {
  public:
    MaxLength(int length, QObject* parent) : QValidator(parent), length_(length) {}
    State validate(QString& input, int&) const override {
        return input.size() <= length_ ? Acceptable : Invalid;
    }

  private:
    int length_;
};

QLineEdit* extensionField(const char* text, QWidget* parent) {
    auto* field = new QLineEdit(text, parent);
    field->setValidator(new MaxLength(5, field));
    return field;
}

QCheckBox* tickedBox(const char* caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setChecked(true);
    return box;
}

QWidget* optionPage(Widgets& w) {
    auto* page = new QWidget(w.PageControl);
    page->setObjectName("tsOption");
    auto* file = place(new QGroupBox(page), "gbFile", {3, 0, 320, 78});
    auto* extensions =
        place(new QLabel("Extensions (video, audio, subtitle)", file), "lVideoExt", {13, 19, 0, 0});
    extensions->adjustSize();
    w.eVideoExt = place(extensionField("mpv", file), "eVideoExt", {182, 16, 38, 21});
    w.eAudioExt = place(extensionField("mpa", file), "eAudioExt", {226, 16, 38, 21});
    w.eSubExt = place(extensionField("sup", file), "eSubExt", {270, 16, 38, 21});
    auto* workdir = place(new QLabel("Output folder", file), "lWorkdir", {12, 48, 0, 0});
    workdir->adjustSize();
    w.eWorkdir = place(pathField("Output folder", file), "eWorkdir", {84, 45, 193, 21});
    workdir->setBuddy(w.eWorkdir);
    // Where an empty field writes: the folder the program was started in, whole in the hint.
    w.eWorkdir->setPlaceholderText("the current folder");
    w.eWorkdir->setToolTip("Empty: the current folder, " + QDir::currentPath());
    w.bbWorkdir =
        place(browseButton(file), "bbWorkdir", {283, 43, 25, 25}, "Browse the output folder");
    w.cbContinue = place(tickedBox("Continue with second  EVO", page), "cbContinue",
                         {3, 84, 149, 17}, "Demux continues with e.g. FEATURE_2.EVO if it exists");
    w.cbFastCheck = place(tickedBox("Fast EVO checking", page), "cbFastCheck", {3, 107, 112, 17},
                          "Read EVO checks only the first ~300 MB of the file");
    w.cbCountFr = place(tickedBox("Count frames", page), "cbCountFr", {3, 130, 91, 17});
    w.cbLpcmWav = place(new QCheckBox("LPCM as WAV", page), "cbLpcmWav", {170, 84, 153, 17},
                        "Demux writes LPCM streams as WAV files, which muxers take");
    w.cbExtByCodec =
        place(new QCheckBox("Extensions by codec", page), "cbExtByCodec", {170, 107, 153, 17},
              "Demux names stream files by codec (m2v, h264, ac3, eac3, dts, thd, ...) instead "
              "of the extensions above");
    w.cbMuxMkv =
        place(new QCheckBox("Mux into MKV after Demux", page), "cbMuxMkv", {170, 130, 153, 17},
              "The Demux writes the streams into one .mkv in the same pass (LPCM as WAV "
              "samples, subpictures as PGS)");
    w.cbSubPgs = place(new QCheckBox("Subpictures as PGS", page), "cbSubPgs", {170, 153, 153, 17},
                       "Demux converts subpicture streams to PGS (.sup), which muxers take");
    w.cbKeepStreams =
        place(new QCheckBox("Keep the demuxed streams", page), "cbKeepStreams", {170, 176, 153, 17},
              "With the mux into MKV, write the stream files too");
    w.cbLpcmFlac =
        place(new QCheckBox("LPCM as FLAC in MKV", page), "cbLpcmFlac", {3, 153, 160, 17},
              "The mux into MKV takes LPCM streams as FLAC, lossless and about half "
              "the size");
    w.cbDtsCore = place(new QCheckBox("DTS core", page), "cbDtsCore", {85, 179, 80, 17},
                        "The mux into MKV adds beside each DTS-HD track a DTS track of its core, "
                        "for players that decode no extension");
    w.cbClusterCrc = place(new QCheckBox("MKV CRC", page), "cbClusterCrc", {100, 130, 68, 17},
                           "The mux into MKV writes a CRC-32 in every cluster, by which a player "
                           "or checker finds a damaged cluster; writing it costs time");
    w.bAbout = place(new QPushButton("&About", page), "bAbout", {3, 176, 75, 23},
                     "The version, the licence and where the manual is");
    return page;
}

void buildPages(Widgets& w) {
    w.mMessage = new MessageLog;
    w.PageControl->addTab(fillingPage("tsStatus", w.mMessage, w.PageControl), "&Status");
    for (const BoxPage& kind : BoxPages)
        w.PageControl->addTab(boxPage(kind, w), kind.caption);
    w.xpl = new XplPage(w.PageControl);
    w.PageControl->addTab(w.xpl, "XP&L");
    w.PageControl->addTab(optionPage(w), "&Options");
}

// From top to bottom, each row from left to right.
void setTabOrder(const Widgets& w) {
    const std::array<QWidget*, 10> order = {w.eEVOfile, w.bbEVO,    w.bCheck,      w.eXPLfile,
                                            w.bbXPL,    w.bReadXPL, w.PageControl, w.bDemux,
                                            w.bRebuild, w.bCancel};
    for (size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

} // namespace

Widgets buildWindow(QWidget* window, Anchors& anchors) {
    window->setFont(windowFont());
    Widgets w{};
    auto onWindow = [&](auto* widget, const char* name, QRect at, int anchor,
                        const char* hint = nullptr) {
        anchors.add(place(widget, name, at, hint), anchor);
        return widget;
    };
    constexpr int TopRight = AnchorTop | AnchorRight;
    constexpr int Stretched = AnchorLeft | AnchorTop | AnchorRight;
    w.eEVOfile = onWindow(pathField("Source EVO file or disc folder", window), "eEVOfile",
                          {8, 8, 249, 21}, Stretched, "Drop here the source EVO file");
    w.bbEVO =
        onWindow(browseButton(window), "bbEVO", {263, 6, 25, 25}, TopRight, "Browse an EVO file");
    w.bCheck = onWindow(disabledButton("&Read EVO", window), "bCheck", {294, 7, 60, 25}, TopRight,
                        "Read the source EVO file to detect streams");
    w.eXPLfile = onWindow(pathField("Playlist file", window), "eXPLfile", {8, 40, 249, 21},
                          Stretched, "Drop here the VPLST000.XPL");
    w.bbXPL = onWindow(browseButton(window), "bbXPL", {263, 38, 25, 25}, TopRight,
                       "Browse the HD DVD disc's VPLST000.XPL");
    w.bReadXPL = onWindow(disabledButton("Read &XPL", window), "bReadXPL", {294, 38, 60, 25},
                          TopRight, "Read the XPL file to detect stream infos");
    w.PageControl = onWindow(new QTabWidget(window), "PageControl", {8, 69, 346, 219}, AllEdges);
    w.bDemux = onWindow(disabledButton("&Demux", window), "bDemux", {8, 294, 60, 25},
                        AnchorLeft | AnchorBottom, "Demux the source EVO to streams");
    QFont bold = w.bDemux->font();
    bold.setBold(true);
    w.bDemux->setFont(bold);
    w.bRebuild = onWindow(new QPushButton("Re&build", window), "bRebuild", {74, 294, 60, 25},
                          AnchorLeft | AnchorBottom);
    // Its left edge follows the window's width (placeLogo).
    w.imLogo = onWindow(new QLabel(window), "imLogo", {153, 292, 125, 31}, AnchorBottom,
                        "HD DVD logo :-)");
    w.imLogo->setPixmap(QPixmap(":/splitwick/logo.png"));
    w.bCancel = onWindow(disabledButton("&Cancel", window), "bCancel", {294, 294, 60, 25},
                         AnchorRight | AnchorBottom, "You can stop the actual process");
    w.statusBar = onWindow(new StatusBar(window), "StatusBar",
                           {0, DesignedClientSize.height() - StatusBar::Height,
                            DesignedClientSize.width(), StatusBar::Height},
                           AnchorLeft | AnchorRight | AnchorBottom);
    buildPages(w);
    setTabOrder(w);
    return w;
}

} // namespace splitwick
