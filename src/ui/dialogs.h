#pragma once
#include <QFileDialog>
#include <QMessageBox>
#include <QString>
#include <memory>

namespace splitwick {

// The program's title: the desktop lists the program under it, and error boxes carry it.
extern const char* const ProgramTitle; // "HD DVD Splitwick"

// One of the window's two file-open dialogs (odEVOfile, odXPL), with what it keeps between
// uses: the folder it starts in and the path last confirmed in it (or a preset name).
struct FileDialog {
    QString title; // empty: the toolkit's own title of an open dialog
    QString filter;
    QString defaultSuffix;
    bool mustExist = false;
    QString startFolder;
    QString fileName;
    bool folder = false; // a folder is chosen, not a file
};

// The modal questions the window asks. The program shows real boxes; tests answer them.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // The error box, captioned with the program's title.
    virtual void showError(QWidget* parent, const QString& text) = 0;
    // A question answered Yes or No ("Stop demuxing? The files written so far are kept."), No
    // the default and Escape: true for Yes.
    virtual bool confirm(QWidget* parent, const QString& question) = 0;
    // Shows the dialog; after OK its fileName is the path chosen, after Cancel it is unchanged.
    virtual void chooseFile(QWidget* parent, FileDialog& dialog) = 0;
    // The folder dialog; the folder chosen, or an empty text after Cancel.
    virtual QString chooseFolder(QWidget* parent, const QString& startFolder) = 0;
    // The About box: its text is the program's version, licence and manual.
    virtual void showAbout(QWidget* parent, const QString& text) = 0;
    // Hands a document (the manual) to the desktop's viewer.
    virtual void openDocument(const QUrl& url) = 0;
};

class ModalDialogs : public Dialogs {
  public:
    void showError(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& question) override;
    void chooseFile(QWidget* parent, FileDialog& dialog) override;
    QString chooseFolder(QWidget* parent, const QString& startFolder) override;
    void showAbout(QWidget* parent, const QString& text) override;
    void openDocument(const QUrl& url) override;
};

// The boxes as ModalDialogs shows them.
std::unique_ptr<QMessageBox> makeErrorBox(QWidget* parent, const QString& text);
std::unique_ptr<QMessageBox> makeConfirmBox(QWidget* parent, const QString& question);
std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialog& dialog);

} // namespace splitwick
