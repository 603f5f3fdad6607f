#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "app/varkon.h"
#include "ui/about_box.h"
#include "ui/drawing_layer.h"
#include "ui/folder_notifier.h"
#include "ui/qt_text.h"
#include "ui/settings/settings_dialog.h"
#include "ui/ui_main_window.h"

namespace varkon {

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent),
      ui_(std::make_unique<Ui::MainWindow>()),
      paramFile_(kParamFile),
      vatFile_(kVatFile) {
    setObjectName(ToQString(WindowName(Window::kMain)));
    ui_->setupUi(this);

    // What the .ui file cannot say: sizes relative to the default font and the lines they hold.
    QFont statusFont = ui_->statusText->font();
    statusFont.setPointSize(statusFont.pointSize() + 3);
    statusFont.setBold(true);
    ui_->statusText->setFont(statusFont);
    ui_->statusText->setFixedHeight(QFontMetrics(statusFont).lineSpacing() * 2 + 18);
    QFont counterFont = ui_->receiptCounter->font();
    counterFont.setPointSize(counterFont.pointSize() + 8);
    counterFont.setBold(true);
    ui_->receiptCounter->setFont(counterFont);
    ui_->receiptCounter->setFixedWidth(
        QFontMetrics(ui_->receiptCaption->font()).horizontalAdvance(ui_->receiptCaption->text()) +
        24);
    ui_->progressBar->setRange(0, kIndicatorSteps);

    // Drawn over the controls, outside the layout.
    drawingLayer_ = new DrawingLayer(ui_->controlArea);
    drawingLayer_->setGeometry(ui_->controlArea->rect());
    drawingLayer_->raise();

    ui_->reportsMenu->menuAction()->setEnabled(false);
    for (QMenu* menu : menus()) {
        for (const QAction* item : menu->actions()) {
            holders_[item] = menu;
        }
    }
    nameControls();
    connectControls();
    connectMenus();
    host_.setEndedHandler([this](bool closeWindow) { onEnded(closeWindow); });
    messageBoxFunction_ = [this](const std::string& text, int style, const std::string& title) {
        QWidget* parent = QApplication::activeWindow();
        return ShowMessageBox(parent != nullptr ? parent : this, text, style, title);
    };
}

MainWindow::~MainWindow() = default;

void MainWindow::nameControls() {
    // The names the window has always shown, from the control table; a menu and the entry that
    // opens it carry the same name.
    const std::pair<QObject*, Control> controls[] = {
        {ui_->receiptCounter, Control::kReceiptCounter},
        {ui_->portValue, Control::kPortValue},
        {ui_->baudValue, Control::kBaudValue},
        {ui_->fileValue, Control::kFileValue},
        {ui_->registerValue, Control::kRegisterValue},
        {ui_->descriptionValue, Control::kDescriptionValue},
        {ui_->commentsValue, Control::kCommentsValue},
        {ui_->currencyValue, Control::kCurrencyValue},
        {ui_->startPrinting, Control::kStartButton},
        {ui_->stopPrinting, Control::kStopButton},
        {ui_->settingsMenu, Control::kSettingsMenu},
        {ui_->reportsMenu, Control::kReportsMenu},
    };
    for (const auto& [object, control] : controls) {
        object->setObjectName(ToQString(ControlName(control)));
    }
    const std::pair<QObject*, WindowPart> parts[] = {
        {ui_->controlArea, WindowPart::kControlArea},
        {ui_->statusText, WindowPart::kStatusText},
        {ui_->optionPanel, WindowPart::kOptionPanel},
        {ui_->portCaption, WindowPart::kPortCaption},
        {ui_->baudCaption, WindowPart::kBaudCaption},
        {ui_->fileCaption, WindowPart::kFileCaption},
        {ui_->registerCaption, WindowPart::kRegisterCaption},
        {ui_->descriptionCaption, WindowPart::kDescriptionCaption},
        {ui_->commentsCaption, WindowPart::kCommentsCaption},
        {ui_->currencyCaption, WindowPart::kCurrencyCaption},
        {ui_->receiptCaption, WindowPart::kReceiptCaption},
        {ui_->progressBar, WindowPart::kProgressBar},
        {drawingLayer_, WindowPart::kDrawing},
        {ui_->helpMenu, WindowPart::kHelpMenu},
        {ui_->exitMenu, WindowPart::kExitMenu},
        {ui_->xReportsMenu, WindowPart::kXReportsMenu},
        {ui_->zReportsMenu, WindowPart::kZReportsMenu},
        {ui_->editSettings, WindowPart::kEditSettingsItem},
        {ui_->showHelp, WindowPart::kShowHelpItem},
        {ui_->runBasicProgramming, WindowPart::kBasicProgrammingItem},
        {ui_->endProgram, WindowPart::kEndProgramItem},
        {ui_->showAbout, WindowPart::kShowAboutItem},
        {ui_->runXFinancial, WindowPart::kXFinancialItem},
        {ui_->runXPeriod, WindowPart::kXPeriodItem},
        {ui_->runZDaily, WindowPart::kZDailyItem},
        {ui_->runZPeriod, WindowPart::kZPeriodItem},
    };
    for (const auto& [object, part] : parts) {
        object->setObjectName(ToQString(PartName(part)));
    }
    for (QMenu* menu : menus()) {
        menu->menuAction()->setObjectName(menu->objectName());
    }
}

std::vector<QMenu*> MainWindow::menus() const {
    return {ui_->settingsMenu, ui_->helpMenu,     ui_->exitMenu,
            ui_->reportsMenu,  ui_->xReportsMenu, ui_->zReportsMenu};
}

void MainWindow::connectControls() {
    // Once the start button is switched off the focus rests on the receipt counter; see
    // eventFilter.
    ui_->receiptCounter->installEventFilter(this);
    // The operator may type a new count; the engine counts on from it.
    connect(ui_->receiptCounter, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (host_.engine() != nullptr) host_.engine()->receiptCounterEdited(text.toStdString());
    });
    connect(ui_->startPrinting, &QPushButton::clicked, this,
            [this] { host_.call([](Varkon& engine) { engine.startPrinting(); }); });
    connect(ui_->stopPrinting, &QPushButton::clicked, this,
            [this] { host_.call([](Varkon& engine) { engine.stopPrinting(); }); });
}

void MainWindow::connectMenus() {
    auto onItem = [this](QAction* item, std::function<void()> onClick) {
        connect(item, &QAction::triggered, this, [this, item, onClick = std::move(onClick)] {
            // A shortcut reaches an item even when its menu is switched off; the menu decides.
            if (reachable(item)) {
                onClick();
            }
        });
    };
    auto engineCall = [this](void (Varkon::*handler)()) {
        return [this, handler] { host_.call([handler](Varkon& engine) { (engine.*handler)(); }); };
    };
    auto report = [this](Report which) {
        return [this, which] { host_.call([which](Varkon& engine) { engine.runReport(which); }); };
    };
    onItem(ui_->editSettings, [this] {
        host_.call([](Varkon& engine) { engine.openSettings(); });
        if (!host_.ended()) {
            openSettings();
        }
    });
    onItem(ui_->showHelp, engineCall(&Varkon::showHelp));
    onItem(ui_->runBasicProgramming, engineCall(&Varkon::runBasicProgramming));
    onItem(ui_->endProgram, engineCall(&Varkon::endProgram));
    onItem(ui_->showAbout, [this] { showAbout(); });
    onItem(ui_->runXFinancial, report(Report::kXFinancial));
    onItem(ui_->runXPeriod, report(Report::kXPeriod));
    onItem(ui_->runZDaily, report(Report::kZDaily));
    onItem(ui_->runZPeriod, report(Report::kZPeriod));
}

bool MainWindow::reachable(const QAction* item) const {
    // The item and every menu that holds it must be switched on.
    for (const QAction* at = item; at != nullptr;) {
        if (!at->isEnabled()) {
            return false;
        }
        auto holder = holders_.find(at);
        at = holder == holders_.end() ? nullptr : holder->second->menuAction();
    }
    return true;
}

void MainWindow::attach(Varkon& engine) {
    host_.attach(engine);
    new FolderNotifier(
        engine.folderWaitHandle(), [this] { host_.onFolderChanged(); }, this);
}

void MainWindow::start() {
    host_.call([](Varkon& engine) { engine.load(); });
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

void MainWindow::onEnded(bool closeWindow) {
    if (settings_) {
        settings_->hide();
    }
    if (about_) {
        about_->hide();
    }
    if (closeWindow) {
        close();
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (host_.closeRequested()) {
        event->accept();
    } else {
        event->ignore();
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Enter presses the default button, as in a dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        for (QPushButton* button : {ui_->startPrinting, ui_->stopPrinting}) {
            if (button->isDefault() && button->isEnabled()) {
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
        for (const auto& [item, menu] : holders_) {
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
            if (host_.engine() != nullptr) {
                return host_.engine()->showMessage(text, style, title);
            }
            return messageBox(text, style, title);
        },
        SettingsFiles{paramFile_, vatFile_});
    settings_->setClosedHandler(
        [this] { host_.call([](Varkon& engine) { engine.settingsClosed(); }); });
    settings_->setSavedHandler(
        [this] { host_.call([](Varkon& engine) { engine.settingsSaved(); }); });
    settings_->setRestartNeeded(host_.engine() == nullptr || !host_.engine()->waitsForSettings());
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

}  // namespace varkon
