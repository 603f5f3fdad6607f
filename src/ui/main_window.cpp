#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/varkon.h"
#include "ui/about_box.h"
#include "ui/folder_notifier.h"
#include "ui/settings/settings_dialog.h"

namespace varkon {

namespace {

// The progress bar counts in whole steps; the engine's double range is spread over these.
constexpr int kIndicatorSteps = 1000;

QString ToQString(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace

// Lines of text drawn over the window's controls: the farewell notice and the start action's
// error list. It lets every mouse click through and paints nothing while it holds no line.
class DrawingLayer : public QWidget {
  public:
    explicit DrawingLayer(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        font.setPointSize(10);
        setFont(font);
        setObjectName(QStringLiteral("drawing"));
    }

    void clear() {
        lines_.clear();
        update();
    }
    void add(const QString& line) {
        lines_.push_back(line);
        update();
    }
    const std::vector<QString>& lines() const { return lines_; }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (lines_.empty()) {
            return;
        }
        QPainter painter(this);
        QFontMetrics metrics(font());
        int width = 0;
        for (const QString& line : lines_) {
            width = std::max(width, metrics.horizontalAdvance(line));
        }
        const int margin = 8;
        QRect area(margin, margin, width + 2 * margin,
                   metrics.lineSpacing() * static_cast<int>(lines_.size()) + 2 * margin);
        painter.fillRect(area, palette().color(QPalette::Base));
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(area.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Text));
        int y = area.top() + margin + metrics.ascent();
        for (const QString& line : lines_) {
            painter.drawText(area.left() + margin, y, line);
            y += metrics.lineSpacing();
        }
    }

  private:
    std::vector<QString> lines_;
};

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), paramFile_(kParamFile), vatFile_(kVatFile) {
    setObjectName(QStringLiteral("Varkon"));
    setWindowTitle(QStringLiteral("Varkon"));
    buildControls();
    buildMenus();
    jobTimer_.setObjectName(QStringLiteral("Timer1"));
    watchdogTimer_.setObjectName(QStringLiteral("Timer2"));
    connect(&jobTimer_, &QTimer::timeout, this, [this] { onJobTimer(); });
    connect(&watchdogTimer_, &QTimer::timeout, this, [this] { onWatchdogTimer(); });
    messageBoxFunction_ = [this](const std::string& text, int style, const std::string& title) {
        QWidget* parent = QApplication::activeWindow();
        return ShowMessageBox(parent != nullptr ? parent : this, text, style, title);
    };
}

MainWindow::~MainWindow() = default;

void MainWindow::buildControls() {
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("surface"));
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(10);

    comstattxt_ = new QPlainTextEdit(central);
    comstattxt_->setObjectName(QStringLiteral("comstattxt"));
    comstattxt_->setReadOnly(true);
    comstattxt_->setFocusPolicy(Qt::NoFocus);
    comstattxt_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont statusFont = comstattxt_->font();
    statusFont.setPointSize(statusFont.pointSize() + 3);
    statusFont.setBold(true);
    comstattxt_->setFont(statusFont);
    comstattxt_->setFixedHeight(QFontMetrics(statusFont).lineSpacing() * 2 + 18);
    layout->addWidget(comstattxt_);
    controls_[comstattxt_->objectName()] = comstattxt_;

    auto* middle = new QHBoxLayout;
    middle->setSpacing(14);
    layout->addLayout(middle);

    // The option panel: the settings the window started with, caption beside value.
    auto* panel = new QFrame(central);
    panel->setObjectName(QStringLiteral("options"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(panel);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    struct Pair {
        const char* caption;
        const char* captionText;
        const char* value;
    };
    static const Pair kPairs[] = {
        {"seriallbl", "Σειριακή Πόρτα :", "serialtxt"},
        {"baudlbl", "Ταχύτητα         :", "baudtxt"},
        {"filelbl", "Αρχείο              :", "filetxt"},
        {"ecrlbl", "Ταμειακή          :", "ecrtxt"},
        {"desclbl", "Περιγραφή       :", "desctxt"},
        {"commentslbl", "Σχόλια              :", "commentstxt"},
        {"currlbl", "Εξόφληση         :", "currtxt"},
    };
    int row = 0;
    for (const Pair& pair : kPairs) {
        auto* caption = new QLabel(QString::fromUtf8(pair.captionText), panel);
        caption->setObjectName(QString::fromUtf8(pair.caption));
        auto* value = new QLabel(panel);
        value->setObjectName(QString::fromUtf8(pair.value));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont valueFont = value->font();
        valueFont.setBold(true);
        value->setFont(valueFont);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
        controls_[caption->objectName()] = caption;
        controls_[value->objectName()] = value;
        ++row;
    }
    grid->setColumnStretch(1, 1);
    middle->addWidget(panel, 1);

    // The receipt counter.
    auto* counter = new QVBoxLayout;
    counter->setSpacing(4);
    auto* label1 = new QLabel(QString::fromUtf8(" Αριθμός Αποδείξεων"), central);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->setAlignment(Qt::AlignHCenter);
    auto* receipt = new QLineEdit(QStringLiteral("0"), central);
    receipt->setObjectName(QStringLiteral("receipt"));
    receipt->setAlignment(Qt::AlignCenter);
    QFont counterFont = receipt->font();
    counterFont.setPointSize(counterFont.pointSize() + 8);
    counterFont.setBold(true);
    receipt->setFont(counterFont);
    receipt->setFixedWidth(QFontMetrics(label1->font()).horizontalAdvance(label1->text()) + 24);
    counter->addStretch(1);
    counter->addWidget(label1, 0, Qt::AlignHCenter);
    counter->addWidget(receipt, 0, Qt::AlignHCenter);
    counter->addStretch(1);
    middle->addLayout(counter);
    label1->setBuddy(receipt);
    // Once the start button is switched off the focus rests here; see eventFilter.
    receipt->installEventFilter(this);
    // The operator may type a new count; the engine counts on from it.
    connect(receipt, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (engine_ != nullptr) engine_->receiptCounterEdited(text.toStdString());
    });
    controls_[label1->objectName()] = label1;
    controls_[receipt->objectName()] = receipt;

    indicator_ = new QProgressBar(central);
    indicator_->setObjectName(QStringLiteral("Indicator"));
    indicator_->setRange(0, kIndicatorSteps);
    indicator_->setValue(0);
    indicator_->setTextVisible(false);
    indicator_->setFixedHeight(14);
    layout->addWidget(indicator_);
    controls_[indicator_->objectName()] = indicator_;

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    auto* command1 = new QPushButton(QString::fromUtf8("Έναρξη Εκτύπωσης"), central);
    command1->setObjectName(QStringLiteral("Command1"));
    auto* command2 = new QPushButton(QString::fromUtf8("Διακοπή Εκτύπωσης"), central);
    command2->setObjectName(QStringLiteral("Command2"));
    for (QPushButton* button : {command1, command2}) {
        button->setAutoDefault(false);
        button->setMinimumHeight(34);
        button->setMinimumWidth(170);
        controls_[button->objectName()] = button;
    }
    buttons->addStretch(1);
    buttons->addWidget(command1);
    buttons->addWidget(command2);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(command1, &QPushButton::clicked, this,
            [this] { callEngine([](Varkon& engine) { engine.startPrinting(); }); });
    connect(command2, &QPushButton::clicked, this,
            [this] { callEngine([](Varkon& engine) { engine.stopPrinting(); }); });

    drawingLayer_ = new DrawingLayer(central);
    drawingLayer_->setGeometry(central->rect());
    drawingLayer_->raise();

    resize(620, 400);
    setMinimumSize(560, 360);
}

QAction* MainWindow::addItem(QMenu* menu, const char* name, const char* caption,
                             const QKeySequence& keys, std::function<void()> onClick) {
    auto* action = new QAction(QString::fromUtf8(caption), this);
    action->setObjectName(QString::fromUtf8(name));
    action->setShortcut(keys);
    menu->addAction(action);
    owners_[action] = menu;
    connect(action, &QAction::triggered, this, [this, action, onClick = std::move(onClick)] {
        // A shortcut reaches an item even when its menu is switched off; the menu decides.
        if (reachable(action)) {
            onClick();
        }
    });
    controls_[action->objectName()] = action;
    return action;
}

void MainWindow::buildMenus() {
    auto engineCall = [this](void (Varkon::*handler)()) {
        return [this, handler] { callEngine([handler](Varkon& engine) { (engine.*handler)(); }); };
    };
    auto report = [this](Report which) {
        return [this, which] { callEngine([which](Varkon& engine) { engine.runReport(which); }); };
    };
    auto addMenu = [this](QWidget* parent, const char* name, const char* caption) {
        auto* menu = new QMenu(QString::fromUtf8(caption), parent);
        menu->setObjectName(QString::fromUtf8(name));
        menu->menuAction()->setObjectName(QString::fromUtf8(name));
        if (auto* bar = qobject_cast<QMenuBar*>(parent)) {
            bar->addMenu(menu);
        } else {
            auto* owner = qobject_cast<QMenu*>(parent);
            owner->addMenu(menu);
            owners_[menu->menuAction()] = owner;
        }
        controls_[menu->objectName()] = menu;
        return menu;
    };
    QMenuBar* bar = menuBar();

    QMenu* settings = addMenu(bar, "Settings", "Επιλογές");
    addItem(settings, "param", "Παράμετροι", QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
        callEngine([](Varkon& engine) { engine.openSettings(); });
        if (!ended_) {
            openSettings();
        }
    });
    QMenu* help = addMenu(settings, "help", "Bοήθεια");
    addItem(help, "help_text", "Ρυθμίσεις", QKeySequence(Qt::CTRL | Qt::Key_B),
            engineCall(&Varkon::showHelp));
    addItem(help, "basic_programming", "Βασικός Προγρ. Ταμειακής", QKeySequence(),
            engineCall(&Varkon::runBasicProgramming));

    QMenu* exit = addMenu(bar, "exit", "Έξοδος");
    addItem(exit, "end", "Τερματισμός Varkon", QKeySequence(Qt::CTRL | Qt::Key_E),
            engineCall(&Varkon::endProgram));
    addItem(exit, "about", "Περί Varkon", QKeySequence(Qt::CTRL | Qt::Key_A),
            [this] { showAbout(); });

    QMenu* reports = addMenu(bar, "reports", "Ισοζύγια");
    QMenu* xreports = addMenu(reports, "xreports", "Ισοζύγια 'X'");
    addItem(xreports, "xrep0", "Iσοζ. Χ (Οικονομικό)", QKeySequence(), report(Report::kXFinancial));
    addItem(xreports, "xrep5", "Iσοζ. Χ (Περιόδου)", QKeySequence(), report(Report::kXPeriod));
    QMenu* zreports = addMenu(reports, "zreports", "Ισοζύγια 'Z'");
    addItem(zreports, "zrep021", "Iσοζ. Z (Οικονομικό-Hμερήσιο)", QKeySequence(),
            report(Report::kZDaily));
    addItem(zreports, "zrep521", "Iσοζ. Z (Περιόδου)", QKeySequence(), report(Report::kZPeriod));
    reports->menuAction()->setEnabled(false);
}

bool MainWindow::reachable(const QAction* action) const {
    // The item and every menu that holds it must be switched on.
    for (const QAction* item = action; item != nullptr;) {
        if (!item->isEnabled()) {
            return false;
        }
        auto owner = owners_.find(item);
        item = owner == owners_.end() ? nullptr : owner->second->menuAction();
    }
    return true;
}

void MainWindow::attach(Varkon& engine) {
    engine_ = &engine;
    new FolderNotifier(
        engine.folderWaitHandle(), [this] { onFolderChanged(); }, this);
}

void MainWindow::onFolderChanged() {
    if (engine_ == nullptr || ended_) return;
    // While the engine is busy the change is only noted: the job loop looks again when the tick
    // in progress ends.
    if (engineDepth_ > 0 || modalDepth_ > 0) {
        engine_->noteFolderChanged();
        return;
    }
    callEngine([](Varkon& engine) { engine.onFolderChanged(); });
}

void MainWindow::start() {
    callEngine([](Varkon& engine) { engine.load(); });
}

void MainWindow::setMessageBoxFunction(MessageBoxFunction function) {
    messageBoxFunction_ = std::move(function);
}

void MainWindow::setSettingsFiles(std::filesystem::path paramFile, std::filesystem::path vatFile) {
    paramFile_ = std::move(paramFile);
    vatFile_ = std::move(vatFile);
}

SettingsDialog* MainWindow::settingsDialog() const {
    return settings_.get();
}

AboutBox* MainWindow::aboutBox() const {
    return about_.get();
}

const std::vector<QString>& MainWindow::drawing() const {
    return drawingLayer_->lines();
}

QObject* MainWindow::control(std::string_view name) const {
    auto found = controls_.find(ToQString(name));
    return found == controls_.end() ? nullptr : found->second;
}

// --- calls into the engine -------------------------------------------------------------------

void MainWindow::callEngine(const std::function<void(Varkon&)>& call) {
    if (engine_ == nullptr || ended_) {
        return;
    }
    ++engineDepth_;
    call(*engine_);
    --engineDepth_;
    if (engineDepth_ == 0 && closePending_ && !engine_->finished()) {
        engine_->close();  // the close box pressed while the engine was busy
    }
    syncTimers();
    finishIfEnded();
}

void MainWindow::onJobTimer() {
    onTick(&Varkon::onJobTick);
}

void MainWindow::onWatchdogTimer() {
    onTick(&Varkon::onWatchdogTick);
}

void MainWindow::onTick(void (Varkon::*tick)()) {
    // A tick that falls due while the engine is still busy (an exchange waiting, a message box
    // open) is dropped; the timer brings the next one.
    if (engineDepth_ > 0 || modalDepth_ > 0) {
        return;
    }
    callEngine([tick](Varkon& engine) { (engine.*tick)(); });
}

void MainWindow::syncTimer(QTimer& timer, const TimerState& state) {
    // An interval of 0 keeps a timer silent, as the window's timers have always behaved.
    if (!state.enabled || state.interval <= 0) {
        timer.stop();
    } else if (!timer.isActive() || timer.interval() != state.interval) {
        timer.start(state.interval);
    }
}

void MainWindow::syncTimers() {
    if (engine_ == nullptr || ended_) {
        return;
    }
    syncTimer(jobTimer_, engine_->jobTimer());
    syncTimer(watchdogTimer_, engine_->watchdogTimer());
}

void MainWindow::finishIfEnded() {
    if (engine_ != nullptr && !ended_ && engineDepth_ == 0 && engine_->finished()) {
        endProgram();
    }
}

void MainWindow::endProgram() {
    ended_ = true;
    exitCode_ = engine_->exitCode();
    jobTimer_.stop();
    watchdogTimer_.stop();
    if (settings_) {
        settings_->hide();
    }
    if (about_) {
        about_->hide();
    }
    if (!closing_) {
        closing_ = true;
        close();
    }
    QCoreApplication::exit(exitCode_);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!ended_ && engine_ != nullptr && engineDepth_ > 0) {
        // A paint pass inside an exchange lets the window system's close through. The command
        // on the line and the job around it finish first; the engine stops at its next safe
        // point and the window closes when the engine is done.
        closePending_ = true;
        engine_->requestClose();
        event->ignore();
        return;
    }
    if (!ended_ && engine_ != nullptr) {
        closing_ = true;
        callEngine([](Varkon& engine) { engine.close(); });
        if (!ended_) {
            endProgram();  // the close box always ends the program
        }
    }
    event->accept();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter presses the default button, as in a dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        for (Control which : {Control::kStartButton, Control::kStopButton}) {
            auto* button = qobject_cast<QPushButton*>(control(which));
            if (button != nullptr && button->isDefault() && button->isEnabled()) {
                button->click();
                return;
            }
        }
    }
    QMainWindow::keyPressEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The receipt counter would take the menu's keys as its own (Ctrl+A selects all, Ctrl+E moves
    // to the end) and the menu item would never hear them. Left unaccepted, they reach the menu
    // in every state, as a click on the item does.
    if (event->type() == QEvent::ShortcutOverride) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const auto& [item, menu] : owners_) {
            if (!item->shortcut().isEmpty() && item->shortcut() == pressed) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    drawingLayer_->setGeometry(centralWidget()->rect());
}

// --- windows -------------------------------------------------------------------------------

void MainWindow::openSettings() {
    if (settings_ && settings_->isVisible()) {
        settings_->raise();
        settings_->activateWindow();
        return;
    }
    // A fresh dialog each time, as it was when it was last opened: filled from the files. The
    // old one may be the caller (its saved handler asks for the dialog again when the settings
    // it wrote still name no port), so it goes once its handler has returned.
    if (settings_) {
        settings_.release()->deleteLater();
    }
    settings_ = std::make_unique<SettingsDialog>(
        [this](const std::string& text, int style, const std::string& title) {
            if (engine_ != nullptr) {
                return engine_->showMessage(text, style, title);
            }
            return messageBox(text, style, title);
        },
        SettingsFiles{paramFile_, vatFile_});
    settings_->setClosedHandler(
        [this] { callEngine([](Varkon& engine) { engine.settingsClosed(); }); });
    settings_->setSavedHandler(
        [this] { callEngine([](Varkon& engine) { engine.settingsSaved(); }); });
    settings_->setRestartNeeded(engine_ == nullptr || !engine_->waitsForSettings());
    settings_->load();
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void MainWindow::showAbout() {
    if (!about_) {
        about_ = std::make_unique<AboutBox>(this);
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

// --- Surface -------------------------------------------------------------------------------

void MainWindow::setStatus(const std::string& text) {
    // The status lines end in CR LF; the text box wants bare line feeds.
    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    comstattxt_->setPlainText(shown);
}

void MainWindow::setCaption(const std::string& text) {
    setWindowTitle(ToQString(text));
}

void MainWindow::setText(Control which, const std::string& text) {
    QObject* object = control(which);
    if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(ToQString(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        edit->setText(ToQString(text));
    } else if (auto* button = qobject_cast<QPushButton*>(object)) {
        button->setText(ToQString(text));
    } else if (auto* menu = qobject_cast<QMenu*>(object)) {
        menu->setTitle(ToQString(text));
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(ToQString(text));
    }
}

std::string MainWindow::text(std::string_view name) const {
    QObject* object = control(name);
    QString value;
    if (object == comstattxt_) {
        value = comstattxt_->toPlainText().replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        value = label->text();
    } else if (auto* edit = qobject_cast<QLineEdit*>(object)) {
        value = edit->text();
    } else if (auto* button = qobject_cast<QPushButton*>(object)) {
        value = button->text();
    } else if (auto* menu = qobject_cast<QMenu*>(object)) {
        value = menu->title();
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        value = action->text();
    } else if (name == "Varkon") {
        value = windowTitle();
    }
    return value.toStdString();
}

void MainWindow::setEnabled(Control which, bool enabled) {
    QObject* object = control(which);
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        menu->menuAction()->setEnabled(enabled);
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        action->setEnabled(enabled);
    } else if (auto* widget = qobject_cast<QWidget*>(object)) {
        widget->setEnabled(enabled);
    }
}

void MainWindow::setDefault(Control which, bool isDefault) {
    if (auto* button = qobject_cast<QPushButton*>(control(which))) {
        button->setDefault(isDefault);
    }
}

void MainWindow::setFocus(Control which) {
    if (auto* widget = qobject_cast<QWidget*>(control(which))) {
        widget->setFocus(Qt::OtherFocusReason);
    }
}

void MainWindow::setVisible(Window window, bool visible) {
    switch (window) {
        case Window::kMain:
            QMainWindow::setVisible(visible);
            break;
        case Window::kSettings:
            if (visible) {
                openSettings();
            } else if (settings_) {
                settings_->hide();
            }
            break;
        case Window::kAbout:
            if (visible) {
                showAbout();
            } else if (about_) {
                about_->hide();
            }
            break;
    }
}

void MainWindow::setProgressMax(double maximum) {
    progressMax_ = maximum;
    updateIndicator();
}

void MainWindow::setProgress(double value) {
    progressValue_ = value;
    updateIndicator();
}

void MainWindow::updateIndicator() {
    double span = progressMax_ - progressMin_;
    double share = span > 0 ? (progressValue_ - progressMin_) / span : 0;
    share = std::clamp(share, 0.0, 1.0);
    indicator_->setValue(static_cast<int>(std::lround(share * kIndicatorSteps)));
}

void MainWindow::clearDrawing() {
    drawingLayer_->clear();
}

void MainWindow::drawText(const std::string& line) {
    drawingLayer_->add(ToQString(line));
}

int MainWindow::messageBox(const std::string& text, int style, const std::string& title) {
    ++modalDepth_;
    int answer = messageBoxFunction_(text, style, title);
    --modalDepth_;
    return answer;
}

void MainWindow::repaint() {
    // Let the window system's own events in (a window shown moments ago is exposed only now;
    // a window uncovered needs painting), then paint at once. Keyboard and mouse wait until the
    // engine is done; a timer that falls due meanwhile is dropped by onTick.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (isVisible()) {
        QMainWindow::repaint();
    }
}

}  // namespace varkon
