// splitwick: the window. A file named on the command line is taken as if it were dropped.
#include <QApplication>

#include <csignal>
#include <cstring>
#include <iostream>
#include <optional>
#include <string_view>

#include "ui/dialogs.h"
#include "ui/main_window.h"
#include "version.h"

namespace {

constexpr int ExitUsage = 2;

const char* const Help =
    "Usage: splitwick [OPTION]... [FILE.EVO | FILE.XPL | DISC]\n"
    "Open the window that splits an HD DVD video file (.EVO) into its elementary streams.\n"
    "A FILE given is taken as if it were dropped on the window: an EVO fills the first field,\n"
    "a playlist the second; a disc folder lists its titles and chooses the main one.\n"
    "\n"
    "Exit status:\n"
    "  0     the window was closed\n"
    "  2     usage error\n"
    "\n"
    "Options:\n"
    "  -h, --help                Display this help and exit.\n"
    "  -V, --version             Display the program's name and version and exit.\n"
    "\n"
    "The toolkit's own options, e.g. -platform offscreen or -style fusion, go to Qt.\n"
    "The same jobs run without the window in splitwick-cli.\n";

// --help and --version answer before the toolkit connects to a display, so that they work over
// ssh and in scripts. Everything after "--" is a file.
std::optional<int> answerWithoutToolkit(int argc, char** argv) {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "-h" || argument == "--help") {
            std::cout << Help;
            return 0;
        }
        if (argument == "-V" || argument == "--version") {
            std::cout << "splitwick " << splitwick::Version << '\n' << splitwick::LicenceNotice;
            return 0;
        }
    }
    return std::nullopt;
}

struct Arguments {
    QString file; // empty when none was named
    QString unknownOption;
};

// What is left once the toolkit has taken its own options: at most a file to start with.
Arguments windowArguments(const QStringList& arguments) {
    Arguments result;
    bool filesOnly = false;
    for (const QString& argument : arguments.mid(1)) {
        if (!filesOnly && argument == "--") {
            filesOnly = true;
        } else if (!filesOnly && argument.startsWith('-') && argument != "-") {
            result.unknownOption = argument.section('=', 0, 0);
            return result;
        } else if (result.file.isEmpty()) {
            result.file = argument;
        }
    }
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (const auto exitCode = answerWithoutToolkit(argc, argv)) return *exitCode;
    // A write past the file-size limit fails with "File too large", shown as every write error
    // is, instead of killing the window without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    const Arguments arguments = windowArguments(QApplication::arguments());
    if (!arguments.unknownOption.isEmpty()) {
        std::cerr << "splitwick: Unknown option '" << arguments.unknownOption.toStdString()
                  << "'\nTry 'splitwick --help' for more information.\n";
        return ExitUsage;
    }
    QApplication::setApplicationName(splitwick::ProgramTitle);
    // Lets a Wayland desktop find the menu entry, and with it the icon, for the window.
    QApplication::setDesktopFileName("splitwick");
    splitwick::ModalDialogs dialogs;
    splitwick::MainWindow fMain(dialogs);
    if (!arguments.file.isEmpty()) fMain.takeFileAtStart(arguments.file);
    fMain.show();
    // A desktop activates a new window itself; without a window manager nothing would, and the
    // start-up that the first activation runs would never come.
    fMain.activateWindow();
    return QApplication::exec();
}
