// varkon, the desktop program: the main window over the engine. The program's arguments, joined
// with blanks, are the host application's argument string; without any it reads param.ini.
#include <QApplication>
#include <QStringList>

#include "app/launcher.h"
#include "app/varkon.h"
#include "greek/cp1253.h"
#include "link/serial_port.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varkon"));
    QApplication::setApplicationVersion(QStringLiteral(VARKON_VERSION));
    // The window may be hidden while the settings dialog is open (the register search failed);
    // the program ends only when the engine says so.
    QApplication::setQuitOnLastWindowClosed(false);

    QStringList arguments = QCoreApplication::arguments();
    if (!arguments.isEmpty()) {
        arguments.removeFirst();
    }
    varkon::EngineOptions options;
    options.arguments = varkon::Utf8ToCp1253(arguments.join(QLatin1Char(' ')).toStdString());

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
