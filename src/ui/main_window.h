// The main window Varkon of the desktop program: the controls, the option panel and the menus,
// shown through the Surface the engine writes to, and the two QTimers that tick the engine (the
// job timer "Timer1" and the watchdog "Timer2", as the window has always named them).
// The window owns its widgets, the settings dialog and the about box; the engine is the caller's.
#pragma once

#include <QMainWindow>
#include <QString>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/surface.h"
#include "ui/message_box.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace varkon {

class Varkon;
class SettingsDialog;
class AboutBox;
class DrawingLayer;
struct TimerState;

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
    bool ended() const { return ended_; }
    int exitCode() const { return exitCode_; }

    // Tests answer the boxes themselves; the default shows a QMessageBox.
    void setMessageBoxFunction(MessageBoxFunction function);
    // Where the settings dialog reads and writes its two files (the working directory by default).
    void setSettingsFiles(std::filesystem::path paramFile, std::filesystem::path vatFile);

    SettingsDialog* settingsDialog() const;
    AboutBox* aboutBox() const;
    // The lines on the window's drawing surface.
    const std::vector<QString>& drawing() const;
    QTimer& jobTimer() { return jobTimer_; }
    QTimer& watchdogTimer() { return watchdogTimer_; }
    // A tick of a timer, as the QTimers deliver it; dropped while the engine is busy or a
    // message box is open.
    void onJobTimer();
    void onWatchdogTimer();
    // The print-file folder changed (the engine's folder watch fired).
    void onFolderChanged();

    // What a control of the window shows now, by its name ("comstattxt", "receipt", ...), with
    // the status text's line ends as CR LF. For the tests; the engine never reads the window.
    std::string text(std::string_view name) const;

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
    void buildControls();
    void buildMenus();
    QAction* addItem(QMenu* menu, const char* name, const char* caption, const QKeySequence& keys,
                     std::function<void()> onClick);
    QObject* control(std::string_view name) const;
    QObject* control(Control control) const { return this->control(ControlName(control)); }
    bool reachable(const QAction* action) const;

    // Every call into the engine goes through here: the QTimers follow the engine's timer state
    // afterwards, and an engine that has ended the program closes the window.
    void callEngine(const std::function<void(Varkon&)>& call);
    void onTick(void (Varkon::*tick)());
    void syncTimers();
    static void syncTimer(QTimer& timer, const TimerState& state);
    void finishIfEnded();
    void endProgram();
    void updateIndicator();

    void openSettings();
    void showAbout();

    Varkon* engine_ = nullptr;
    std::map<QString, QObject*> controls_;
    std::map<const QAction*, QMenu*> owners_;  // the menu that holds each item and submenu
    QPlainTextEdit* comstattxt_ = nullptr;
    QProgressBar* indicator_ = nullptr;
    DrawingLayer* drawingLayer_ = nullptr;
    QTimer jobTimer_;
    QTimer watchdogTimer_;
    std::unique_ptr<SettingsDialog> settings_;
    std::unique_ptr<AboutBox> about_;
    MessageBoxFunction messageBoxFunction_;
    std::filesystem::path paramFile_;
    std::filesystem::path vatFile_;
    double progressMin_ = 0.0001;
    double progressMax_ = 100;
    double progressValue_ = 0.0001;
    int engineDepth_ = 0;  // calls into the engine now running (ticks are never nested)
    int modalDepth_ = 0;   // message boxes now open (their event loop must not tick the engine)
    bool closing_ = false;
    bool closePending_ = false;  // closed while the engine was busy: close when it is done
    bool ended_ = false;
    int exitCode_ = 0;
};

}  // namespace varkon
