#include "dialogs.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace splitwick {

const char* const ProgramTitle = "HD DVD Splitwick";

std::unique_ptr<QMessageBox> makeErrorBox(QWidget* parent, const QString& text) {
    return std::make_unique<QMessageBox>(QMessageBox::Critical, ProgramTitle, text, QMessageBox::Ok,
                                         parent);
}

std::unique_ptr<QMessageBox> makeConfirmBox(QWidget* parent, const QString& question) {
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, "Confirm", question,
                                             QMessageBox::Yes | QMessageBox::No, parent);
    box->setDefaultButton(QMessageBox::No);
    box->setEscapeButton(QMessageBox::No);
    return box;
}

std::unique_ptr<QFileDialog> makeFileDialog(QWidget* parent, const FileDialog& dialog) {
    auto box =
        std::make_unique<QFileDialog>(parent, dialog.title, dialog.startFolder, dialog.filter);
    box->setAcceptMode(QFileDialog::AcceptOpen);
    box->setFileMode(dialog.folder      ? QFileDialog::Directory
                     : dialog.mustExist ? QFileDialog::ExistingFile
                                        : QFileDialog::AnyFile);
    box->setDefaultSuffix(dialog.defaultSuffix);
    // A link is returned as the link's own path. Qt's own dialog keeps the filter, the default
    // suffix and this option on every desktop.
    box->setOptions(QFileDialog::DontResolveSymlinks | QFileDialog::DontUseNativeDialog);
    // The start folder rules; of the remembered path only the name is offered again.
    if (!dialog.fileName.isEmpty()) box->selectFile(QFileInfo(dialog.fileName).fileName());
    return box;
}

void ModalDialogs::showError(QWidget* parent, const QString& text) {
    makeErrorBox(parent, text)->exec();
}

bool ModalDialogs::confirm(QWidget* parent, const QString& question) {
    return makeConfirmBox(parent, question)->exec() == QMessageBox::Yes;
}

void ModalDialogs::chooseFile(QWidget* parent, FileDialog& dialog) {
    const auto box = makeFileDialog(parent, dialog);
    if (box->exec() == QDialog::Accepted && !box->selectedFiles().isEmpty())
        dialog.fileName = box->selectedFiles().first();
}

QString ModalDialogs::chooseFolder(QWidget* parent, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(parent, "Choose the output folder", startFolder);
}

void ModalDialogs::showAbout(QWidget* parent, const QString& text) {
    QMessageBox::about(parent, QString("About ") + ProgramTitle, text);
}

void ModalDialogs::openDocument(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

} // namespace splitwick
