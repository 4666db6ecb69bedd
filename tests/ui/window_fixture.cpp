#include "window_fixture.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QMimeData>

namespace splitwick::testing {

SettingsFolder::SettingsFolder() {
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
}

SettingsFolder::~SettingsFolder() {
    qunsetenv("XDG_CONFIG_HOME");
}

void SettingsFolder::write(const QString& text) const {
    QDir().mkpath(dir_.path() + "/Corvellan");
    QFile f(file());
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write settings");
    f.write(text.toUtf8());
}

QString SettingsFolder::read() const {
    return QString::fromUtf8(fileBytes(file()));
}

Window::Window(const std::function<void(MainWindow&)>& before) {
    // Never the user's own settings.
    if (!qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) qFatal("no settings folder for the test");
    before(window);
    window.show();
    QCoreApplication::processEvents();
}

QStringList Window::logLines() const {
    return w().mMessage->toPlainText().split('\n');
}

namespace {

// An action of duringJob runs: the job waits for it.
bool inJobAction = false;

} // namespace

void Window::duringJob(std::function<void()> action) {
    window.whenProgressShown([action = std::move(action)] {
        inJobAction = true;
        action();
        inJobAction = false;
    });
}

void waitForJobs() {
    if (inJobAction) return;
    const auto busy = [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* window = dynamic_cast<MainWindow*>(widget);
                window != nullptr && window->busy())
                return true;
        return false;
    };
    QDeadlineTimer deadline(std::chrono::minutes(2));
    while (busy() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (busy()) qFatal("a job did not end");
    // The queued lines and progress of the job that ended.
    QCoreApplication::processEvents();
}

namespace {

QList<QUrl> localFiles(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    return urls;
}

} // namespace

bool dragIsAccepted(QWidget* window, const QStringList& paths) {
    QMimeData data;
    data.setUrls(localFiles(paths));
    QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
    return event.isAccepted();
}

void dropUrls(QWidget* window, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    // A drop reaches the widget that accepted the drag as it entered.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &event);
    // A dropped disc goes on into reading its title.
    waitForJobs();
}

void drop(QWidget* window, const QStringList& paths) {
    dropUrls(window, localFiles(paths));
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace splitwick::testing
