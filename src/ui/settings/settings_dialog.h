// The settings dialog frmparam: every setting of param.ini and the five VAT rates of vats.dat,
// filled from the files when it opens, written back by Kαταχωρηση. It owns only its controls;
// the main window decides what closing and saving mean for the running program.
#pragma once

#include <QWidget>
#include <array>
#include <filesystem>
#include <functional>

#include "config/param_settings.h"
#include "config/vat_table.h"
#include "ui/message_box.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace varkon {

// The two files the dialog reads and writes; the working directory's by default.
struct SettingsFiles {
    std::filesystem::path param = kParamFile;
    std::filesystem::path vats = kVatFile;
};

class SettingsDialog : public QWidget {
    Q_OBJECT

  public:
    // Every box the dialog shows goes through showMessage (texts in UTF-8).
    explicit SettingsDialog(MessageBoxFunction showMessage, SettingsFiles files = {},
                            QWidget* parent = nullptr);

    // Runs when the window's close box closes the dialog (nothing saved).
    void setClosedHandler(std::function<void()> handler) { closed_ = std::move(handler); }
    // Runs after Kαταχωρηση has written both files and the dialog has closed.
    void setSavedHandler(std::function<void()> handler) { saved_ = std::move(handler); }
    // Whether Kαταχωρηση asks for a restart: not when the program takes the new settings up
    // itself (start-up waited for them).
    void setRestartNeeded(bool needed) { restartNeeded_ = needed; }

    // Opening: reads param.ini and vats.dat and fills the controls.
    void load();
    // Eπαναφορα: back to the design values, then filled from the files again.
    void restore();
    // Kαταχωρηση: writes param.ini, collects and saves the rates, asks for a restart (see
    // setRestartNeeded), closes.
    void confirm();

    // The controls as param.ini will get them.
    SettingsForm form() const;

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void onHostFileChanged(bool ticked);

    MessageBoxFunction showMessage_;
    SettingsFiles files_;
    std::function<void()> closed_;
    std::function<void()> saved_;
    bool saving_ = false;
    bool restartNeeded_ = true;

    QComboBox* portBox_ = nullptr;
    QComboBox* baudBox_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QComboBox* registerTypeBox_ = nullptr;
    QLineEdit* converterEdit_ = nullptr;
    QLineEdit* locationEdit_ = nullptr;
    QCheckBox* numberedFiles_ = nullptr;
    QCheckBox* departments_ = nullptr;
    QCheckBox* printDescription_ = nullptr;
    QCheckBox* printArticleCode_ = nullptr;
    QCheckBox* printNumericCode_ = nullptr;
    QCheckBox* printComments_ = nullptr;
    QRadioButton* tenderKeyFromFile_ = nullptr;
    QRadioButton* settleInMainCurrency_ = nullptr;
    QRadioButton* settleInSecondCurrency_ = nullptr;
    QCheckBox* printQuantity_ = nullptr;
    QCheckBox* keyboardOff_ = nullptr;
    QCheckBox* hostFile_ = nullptr;
    QCheckBox* autoStart_ = nullptr;
    std::array<QLineEdit*, 5> vatRateEdits_{};
    QPushButton* saveButton_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
};

}  // namespace varkon
