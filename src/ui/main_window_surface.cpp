// MainWindow's Surface: what the engine shows, on the typed controls of main_window.ui.
#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <cmath>

#include "ui/about_box.h"
#include "ui/drawing_layer.h"
#include "ui/main_window.h"
#include "ui/qt_text.h"
#include "ui/settings/settings_dialog.h"
#include "ui/ui_main_window.h"

namespace varkon {

namespace {

template <typename... Calls>
struct Overloaded : Calls... {
    using Calls::operator()...;
};

}  // namespace

MainWindow::ControlWidget MainWindow::widget(Control control) const {
    switch (control) {
        case Control::kReceiptCounter:
            return ui_->receiptCounter;
        case Control::kPortValue:
            return ui_->portValue;
        case Control::kBaudValue:
            return ui_->baudValue;
        case Control::kFileValue:
            return ui_->fileValue;
        case Control::kRegisterValue:
            return ui_->registerValue;
        case Control::kDescriptionValue:
            return ui_->descriptionValue;
        case Control::kCommentsValue:
            return ui_->commentsValue;
        case Control::kCurrencyValue:
            return ui_->currencyValue;
        case Control::kStartButton:
            return ui_->startPrinting;
        case Control::kStopButton:
            return ui_->stopPrinting;
        case Control::kSettingsMenu:
            return ui_->settingsMenu;
        case Control::kReportsMenu:
            return ui_->reportsMenu;
    }
    Q_UNREACHABLE();
    return {};
}

void MainWindow::setStatus(const std::string& text) {
    // The status lines end in CR LF; the text box wants bare line feeds.
    QString shown = ToQString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    ui_->statusText->setPlainText(shown);
}

std::string MainWindow::statusText() const {
    return ui_->statusText->toPlainText()
        .replace(QStringLiteral("\n"), QStringLiteral("\r\n"))
        .toStdString();
}

void MainWindow::setCaption(const std::string& text) {
    setWindowTitle(ToQString(text));
}

void MainWindow::setText(Control control, const std::string& text) {
    const QString shown = ToQString(text);
    std::visit(Overloaded{[&](QMenu* menu) { menu->setTitle(shown); },
                          [&](auto* target) { target->setText(shown); }},
               widget(control));
}

void MainWindow::setEnabled(Control control, bool enabled) {
    std::visit(Overloaded{[&](QMenu* menu) { menu->menuAction()->setEnabled(enabled); },
                          [&](auto* target) { target->setEnabled(enabled); }},
               widget(control));
}

void MainWindow::setDefault(Control control, bool isDefault) {
    const ControlWidget target = widget(control);
    if (auto* button = std::get_if<QPushButton*>(&target)) {
        (*button)->setDefault(isDefault);
    }
}

void MainWindow::setFocus(Control control) {
    std::visit([](QWidget* target) { target->setFocus(Qt::OtherFocusReason); }, widget(control));
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
    ui_->progressBar->setValue(static_cast<int>(std::lround(share * kIndicatorSteps)));
}

void MainWindow::clearDrawing() {
    drawingLayer_->clear();
}

void MainWindow::drawText(const std::string& line) {
    drawingLayer_->add(ToQString(line));
}

int MainWindow::messageBox(const std::string& text, int style, const std::string& title) {
    return host_.runModal([&] { return messageBoxFunction_(text, style, title); });
}

void MainWindow::repaint() {
    // Let the window system's own events in (a window shown moments ago is exposed only now;
    // a window uncovered needs painting), then paint at once. Keyboard and mouse wait until the
    // engine is done; a timer that falls due meanwhile is dropped by the engine host.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (isVisible()) {
        QMainWindow::repaint();
    }
}

}  // namespace varkon
