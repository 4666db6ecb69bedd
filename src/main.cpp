// splitwick: the window. A file named on the command line is taken as if it were dropped.
#include <QApplication>

#include "ui/dialogs.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(splitwick::ProgramTitle);
    splitwick::ModalDialogs dialogs;
    splitwick::TfMain fMain(dialogs);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1) fMain.takeFileAtStart(arguments.at(1));
    fMain.show();
    // A desktop activates a new window itself; without a window manager nothing would, and the
    // start-up that the first activation runs would never come.
    fMain.activateWindow();
    return QApplication::exec();
}
