#pragma once
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <optional>
#include <vector>

#include "ui/main_window.h"

namespace splitwick::testing {

// Answers the window's modal questions as the test says, and records what was asked.
class ScriptedDialogs : public Dialogs {
  public:
    void showError(QWidget*, const QString& text) override { errors << text; }
    bool confirm(QWidget*, const QString& question) override {
        ++questions;
        asked << question;
        return answerYes;
    }
    void chooseFile(QWidget*, FileDialog& dialog) override {
        shown.push_back(dialog);
        if (choice) dialog.fileName = *choice;
    }
    QString chooseFolder(QWidget*, const QString& startFolder) override {
        folderStarts << startFolder;
        return folderChoice;
    }
    void showAbout(QWidget*, const QString& text) override { abouts << text; }
    void openDocument(const QUrl& url) override { documents << url; }

    QStringList errors;
    int questions = 0;
    QStringList asked; // each question, in order
    bool answerYes = false;
    std::optional<QString> choice; // the path chosen with OK; none for Cancel
    std::vector<FileDialog> shown; // each dialog as it was when shown
    QStringList abouts;            // each About box's text
    QStringList folderStarts;      // where each folder dialog started
    QString folderChoice;          // the folder chosen with OK; empty for Cancel
    QList<QUrl> documents;         // each document handed to the desktop
};

// Points the settings at a folder of its own for as long as it lives.
class SettingsFolder {
  public:
    SettingsFolder();
    ~SettingsFolder();
    QString path() const { return dir_.path(); }
    QString file() const { return dir_.path() + "/Corvellan/Splitwick.conf"; }
    void write(const QString& text) const;
    QString read() const;

  private:
    QTemporaryDir dir_;
};

// The window as the program shows it, with its start-up (settings, box reset) done.
struct Window {
    Window() : Window([](MainWindow&) {}) {}
    // before runs between creation and showing, as the command line does.
    explicit Window(const std::function<void(MainWindow&)>& before);

    const Widgets& w() const { return window.widgets(); }
    QStringList logLines() const;
    // Runs action on the window's thread as the next job shows its progress (every 4 MiB of a
    // pass), while the job waits: where a user watching it might act.
    void duringJob(std::function<void()> action);

    ScriptedDialogs dialogs;
    MainWindow window{dialogs};
};

// Lets the window's events through until no window runs a job: what a user clicking again
// would wait for. Does nothing from within an action of duringJob, which the job waits for.
void waitForJobs();

QByteArray fileBytes(const QString& path);

// Files dragged from a file manager: the window's answer as the drag enters it, and the drop
// (a drag that enters and is released).
bool dragIsAccepted(QWidget* window, const QStringList& paths);
void drop(QWidget* window, const QStringList& paths);
void dropUrls(QWidget* window, const QList<QUrl>& urls);

} // namespace splitwick::testing
