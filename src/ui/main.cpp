// varkon, the desktop program: the main window over the engine. The program's arguments, joined
// with blanks, are the host application's argument string; without any it reads param.ini.
#include <QApplication>
#include <QMessageBox>
#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/launcher.h"
#include "app/varkon.h"
#include "greek/cp1253.h"
#include "link/serial_port.h"
#include "platform/system.h"
#include "ui/main_window.h"

namespace {

const char* const kHelp =
    "Usage: varkon [ARGUMENT STRING]\n"
    "       varkon --help | --version\n"
    "\n"
    "The desktop program: prints the host application's receipts on the cash register and\n"
    "runs its reports, with a window. Without arguments it reads param.ini in the working\n"
    "folder and waits for print files; with the host application's argument string\n"
    "(PORT,BAUD,FILE,DELAY,REGISTER,OPTIONS) it prints that one file and ends.\n"
    "varkond is the same without a window.\n";

}  // namespace

int main(int argc, char** argv) {
    // UTF-8, from the UTF-16 command line on Windows: argv there is in the system's code page.
    const std::vector<std::string> commandLine = varkon::ProgramArguments(argc, argv);
    // A host's argument string never begins with "--": these two are asked by a person, and
    // answered before anything needs a display.
    if (commandLine.size() == 2 && (commandLine[1] == "--help" || commandLine[1] == "--version")) {
        const std::string text = commandLine[1] == "--help"
                                     ? std::string(kHelp)
                                     : std::string("varkon (Varkon) ") + VARKON_VERSION + "\n";
        std::fputs(text.c_str(), stdout);
#ifdef Q_OS_WIN
        // A program with a window has no console to print to on Windows.
        QApplication app(argc, argv);
        QMessageBox::information(nullptr, QStringLiteral("Varkon"), QString::fromStdString(text));
#endif
        return 0;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varkon"));
    QApplication::setApplicationVersion(QStringLiteral(VARKON_VERSION));
    // The window may be hidden while the settings dialog is open (the register search failed);
    // the program ends only when the engine says so.
    QApplication::setQuitOnLastWindowClosed(false);

    // Qt's own reading (from the UTF-16 command line on Windows), less the options Qt took.
    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) {
        arguments.removeFirst();
    }
    varkon::EngineOptions options;
    options.arguments = varkon::Utf8ToCp1253(arguments.join(QLatin1Char(' ')).toStdString());
    options.programDir =
        varkon::ProgramDirectory(commandLine.empty() ? std::string() : commandLine.front());

    varkon::MainWindow window;
    std::unique_ptr<varkon::Launcher> launcher = varkon::MakeLauncher();
    varkon::Varkon engine(window, *launcher, varkon::MakeSerialPort(options.timings), options);
    window.attach(engine);
    window.start();
    if (window.ended()) {
        return window.exitCode();
    }
    return QApplication::exec();
}
