// The main window Varkon of the desktop program: the controls and menus of main_window.ui, shown
// through the Surface the engine writes to. It owns its widgets, the drawing layer, the engine
// host, the settings dialog and the about box; the engine is the caller's.
#pragma once

#include <QMainWindow>
#include <QString>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "app/surface.h"
#include "ui/engine_host.h"
#include "ui/message_box.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

QT_BEGIN_NAMESPACE
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

namespace varkon {

class Varkon;
class SettingsDialog;
class AboutBox;
class DrawingLayer;

class MainWindow : public QMainWindow, public Surface {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Wires the buttons, menus and timers to the engine. Without an engine the window only shows.
    void attach(Varkon& engine);
    // The window's load step: runs the engine's start-up.
    void start();

    // The engine has ended the program: the window is closed and the event loop told to quit.
    bool ended() const { return host_.ended(); }
    int exitCode() const { return host_.exitCode(); }

    // Tests answer the boxes themselves; the default shows a QMessageBox.
    void setMessageBoxFunction(MessageBoxFunction function);
    // Where the settings dialog reads and writes its two files (the working directory by default).
    void setSettingsFiles(std::filesystem::path paramFile, std::filesystem::path vatFile);

    SettingsDialog* settingsDialog() const;
    AboutBox* aboutBox() const;
    // The lines on the window's drawing surface.
    const std::vector<QString>& drawing() const;
    // The job timer and the watchdog, and their ticks as the QTimers deliver them; a tick is
    // dropped while the engine is busy or a message box is open.
    QTimer& jobTimer() { return host_.jobTimer(); }
    QTimer& watchdogTimer() { return host_.watchdogTimer(); }
    void onJobTimer() { host_.onJobTimer(); }
    void onWatchdogTimer() { host_.onWatchdogTimer(); }

    // The status text as shown, with its line ends as CR LF. For the tests; the engine never
    // reads the window.
    std::string statusText() const;

    // Surface
    void setStatus(const std::string& text) override;
    void setCaption(const std::string& text) override;
    void setText(Control control, const std::string& text) override;
    void setEnabled(Control control, bool enabled) override;
    void setDefault(Control control, bool isDefault) override;
    void setFocus(Control control) override;
    void setVisible(Window window, bool visible) override;
    void setProgressMax(double maximum) override;
    void setProgress(double value) override;
    void clearDrawing() override;
    void drawText(const std::string& line) override;
    int messageBox(const std::string& text, int style, const std::string& title) override;
    void repaint() override;

    using QMainWindow::setEnabled;
    using QMainWindow::setFocus;
    using QMainWindow::setVisible;

  protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // The progress bar counts in whole steps; the engine's double range is spread over these.
    static constexpr int kIndicatorSteps = 1000;

    // The widget behind one of the engine's controls.
    using ControlWidget = std::variant<QLabel*, QLineEdit*, QPushButton*, QMenu*>;
    ControlWidget widget(Control control) const;

    void nameControls();
    void connectControls();
    void connectMenus();
    std::vector<QMenu*> menus() const;
    bool reachable(const QAction* item) const;
    void onEnded(bool closeWindow);
    void updateIndicator();

    void openSettings();
    void showAbout();

    std::unique_ptr<Ui::MainWindow> ui_;
    DrawingLayer* drawingLayer_ = nullptr;
    EngineHost host_;
    std::map<const QAction*, QMenu*> holders_;  // the menu that holds each item and submenu
    std::unique_ptr<SettingsDialog> settings_;
    std::unique_ptr<AboutBox> about_;
    MessageBoxFunction messageBoxFunction_;
    std::filesystem::path paramFile_;
    std::filesystem::path vatFile_;
    double progressMin_ = 0.0001;
    double progressMax_ = 100;
    double progressValue_ = 0.0001;
};

}  // namespace varkon
