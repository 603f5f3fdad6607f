#include "ui/settings/settings_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "greek/cp1253.h"
#include "maintenance/operator_notices.h"

namespace varkon {

namespace {

const char* const kNoConverter = "Xωρις";
const char* const kDefactoFile = "noname.prn";
const char* const kDefactoLocation = "\\cl\\data\\";
// The register types the list offers, in the order of the settings' type names below.
const char* const kTypeEntries[] = {"MikroPos", "Pos21", "Tec  Fiscal Printer"};
const char* const kTypeNames[] = {"mikro", "pos21", "TECFP"};

QString FromFile(const std::string& cp1253) {
    return QString::fromStdString(Cp1253ToUtf8(cp1253));
}

std::string ToFile(const QString& text) {
    return Utf8ToCp1253(text.toStdString());
}

QLabel* Caption(const char* name, const char* text, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    return label;
}

template <typename Box>
Box* Named(const char* name, const char* text, QWidget* parent) {
    auto* box = new Box(QString::fromUtf8(text), parent);
    box->setObjectName(QString::fromUtf8(name));
    return box;
}

QComboBox* List(const char* name, std::initializer_list<const char*> entries, QWidget* parent) {
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromUtf8(name));
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert);
    for (const char* entry : entries) {
        list->addItem(QString::fromUtf8(entry));
    }
    return list;
}

// The limit holds for typing only: a longer text the dialog puts in itself (a name or a rate read
// from the files, see Fill) stays whole, so that confirming without touching the box keeps it;
// the limit is back as soon as the text fits it again.
QLineEdit* TextBox(const char* name, int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromUtf8(name));
    if (maxLength > 0) {
        edit->setMaxLength(maxLength);
        QObject::connect(edit, &QLineEdit::textChanged, edit,
                         [edit, maxLength](const QString& text) {
                             if (text.size() <= maxLength) {
                                 edit->setMaxLength(maxLength);
                             }
                         });
    }
    return edit;
}

// Puts a text into a box without cutting it to the box's typing limit.
void Fill(QLineEdit* box, const QString& text) {
    if (text.size() > box->maxLength()) {
        box->setMaxLength(static_cast<int>(text.size()));
    }
    box->setText(text);
}

}  // namespace

SettingsDialog::SettingsDialog(MessageBoxFunction showMessage, SettingsFiles files, QWidget* parent)
    : QWidget(parent, Qt::Window), showMessage_(std::move(showMessage)), files_(std::move(files)) {
    setObjectName(QStringLiteral("frmparam"));
    setWindowTitle(QString::fromUtf8("Παράμετροι Varkon"));
    build();
}

void SettingsDialog::build() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(14, 12, 14, 12);
    outer->setSpacing(10);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(14);
    outer->addLayout(columns);

    // Left: the connection and the print file, then the switches.
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    columns->addLayout(left, 1);
    auto* fields = new QGridLayout;
    fields->setHorizontalSpacing(8);
    fields->setVerticalSpacing(6);
    left->addLayout(fields);

    portBox_ = List("comtxt", {"Com1", "Com2", "Com3", "Com4", "Com5", "Com6"}, this);
    baudBox_ = List("baudtxt", {"9600", "4800", "2400", "1200"}, this);
    portBox_->setMinimumWidth(120);
    baudBox_->setMinimumWidth(90);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(portBox_, 3);
    portRow->addWidget(baudBox_, 2);
    fields->addWidget(Caption("lblcomtxt", "Σειριακη Πορτα", this), 0, 0);
    fields->addLayout(portRow, 0, 1);

    fileEdit_ = TextBox("filetxt", 12, this);
    fields->addWidget(Caption("lblfiletxt", "Αρχειο", this), 1, 0);
    fields->addWidget(fileEdit_, 1, 1);

    registerTypeBox_ = List("typetxt", {}, this);
    for (const char* entry : kTypeEntries) {
        registerTypeBox_->addItem(QString::fromUtf8(entry));
    }
    registerTypeBox_->setCurrentIndex(-1);
    fields->addWidget(Caption("lbltypetxt", "Ταμειακη", this), 2, 0);
    fields->addWidget(registerTypeBox_, 2, 1);

    converterEdit_ = TextBox("cnvtxt", 12, this);
    converterEdit_->setText(QString::fromUtf8(kNoConverter));
    fields->addWidget(Caption("lblcnvtxt", "Επεξεργασια μεσω:", this), 3, 0);
    fields->addWidget(converterEdit_, 3, 1);

    locationEdit_ = TextBox("location", 0, this);
    fields->addWidget(Caption("lbllocation", "Διαδρομη", this), 4, 0);
    fields->addWidget(locationEdit_, 4, 1);
    fields->setColumnStretch(1, 1);

    auto* switches = new QGroupBox(this);
    switches->setObjectName(QStringLiteral("fraOptions"));
    auto* switchLayout = new QVBoxLayout(switches);
    switchLayout->setSpacing(4);
    numberedFiles_ = Named<QCheckBox>("multi_print", "Print Manager", switches);
    departments_ = Named<QCheckBox>("dirdep", "Direct Deparment", switches);
    printDescription_ = Named<QCheckBox>("descreption", "Mε Περιγραφη", switches);
    printComments_ = Named<QCheckBox>("comments", "Mε Σχολια", switches);
    printQuantity_ = Named<QCheckBox>("quantity", "Mε Εκτυπωση Ποσοτητας", switches);
    keyboardOff_ = Named<QCheckBox>("keyb_locked", "Κλειδωμενο Πληκτρολογιο", switches);
    hostFile_ = Named<QCheckBox>("defacto", "Συνδεση Defacto ", switches);
    autoStart_ = Named<QCheckBox>("ChkAuto", "Αυτόματη Έναρξη Εκτυπώσεων", switches);
    for (QCheckBox* box : {numberedFiles_, departments_, printDescription_, printComments_,
                           printQuantity_, keyboardOff_, hostFile_, autoStart_}) {
        switchLayout->addWidget(box);
    }
    left->addWidget(switches);
    left->addStretch(1);

    // Right: item codes, settlement and the VAT categories.
    auto* right = new QVBoxLayout;
    right->setSpacing(8);
    columns->addLayout(right);

    auto* codes = Named<QGroupBox>("fraCode", "Εκτυπωση Κωδικου Ειδους", this);
    auto* codeLayout = new QVBoxLayout(codes);
    printArticleCode_ = Named<QCheckBox>("print_code_ascii", "Με Εκτυπωση Κωδικου Ascii", codes);
    printNumericCode_ =
        Named<QCheckBox>("print_code_numeric", "Mε Εκτυπωση Κωδικου Αριθμητικου", codes);
    codeLayout->addWidget(printArticleCode_);
    codeLayout->addWidget(printNumericCode_);
    right->addWidget(codes);

    auto* settlement = Named<QGroupBox>("fraTotal", "Τροπος Εξοφλησης Αποδειξης", this);
    auto* settlementLayout = new QVBoxLayout(settlement);
    tenderKeyFromFile_ = Named<QRadioButton>("total_file", "Οπως Στο Αρχειο", settlement);
    settleInMainCurrency_ = Named<QRadioButton>("total_1", "Παντα Κυριο Νομισμα", settlement);
    settleInSecondCurrency_ = Named<QRadioButton>("total_2", "Παντα Δευτερευων", settlement);
    for (QRadioButton* option :
         {tenderKeyFromFile_, settleInMainCurrency_, settleInSecondCurrency_}) {
        settlementLayout->addWidget(option);
    }
    tenderKeyFromFile_->setChecked(true);
    right->addWidget(settlement);

    auto* vat = Named<QGroupBox>("fraVat", "Κατηγορίες ΦΠΑ", this);
    auto* vatLayout = new QGridLayout(vat);
    vatLayout->setVerticalSpacing(4);
    static const char* const kVatCaptions[] = {"Κατηγορία Α'", "Κατηγορία Β'", "Κατηγορία Γ'",
                                               "Κατηγορία Δ'", "Κατηγορία Ε'"};
    for (int i = 0; i < 5; ++i) {
        std::string index = "(" + std::to_string(i) + ")";
        auto* label = Caption(("lblVatRate" + index).c_str(), kVatCaptions[i], vat);
        QLineEdit* box = TextBox(("txtVatRate" + index).c_str(), 5, vat);
        box->setAlignment(Qt::AlignRight);
        box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 20);
        box->installEventFilter(this);
        vatRateEdits_[static_cast<std::size_t>(i)] = box;
        vatLayout->addWidget(label, i, 0);
        vatLayout->addWidget(box, i, 1);
    }
    right->addWidget(vat);
    right->addStretch(1);

    auto* buttons = new QHBoxLayout;
    saveButton_ = Named<QPushButton>("OK", "Kαταχωρηση", this);
    restoreButton_ = Named<QPushButton>("restore", "Eπαναφορα", this);
    for (QPushButton* button : {saveButton_, restoreButton_}) {
        button->setMinimumWidth(130);
        button->setMinimumHeight(30);
    }
    buttons->addStretch(1);
    buttons->addWidget(saveButton_);
    buttons->addWidget(restoreButton_);
    buttons->addStretch(1);
    outer->addLayout(buttons);

    connect(saveButton_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(restoreButton_, &QPushButton::clicked, this, [this] { restore(); });
    connect(hostFile_, &QCheckBox::toggled, this, [this](bool on) { onHostFileChanged(on); });
    // The two code boxes exclude each other; unticking one changes nothing else.
    connect(printArticleCode_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            printNumericCode_->setChecked(false);
        }
    });
    connect(printNumericCode_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            printArticleCode_->setChecked(false);
        }
    });
}

void SettingsDialog::onHostFileChanged(bool ticked) {
    Fill(fileEdit_, QString::fromUtf8(kDefactoFile));
    locationEdit_->setText(ticked ? QString::fromUtf8(kDefactoLocation) : QString());
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (auto* box = qobject_cast<QLineEdit*>(watched)) {
            // After the click that brought the focus has placed the cursor: typing replaces.
            QTimer::singleShot(0, box, [box] { box->selectAll(); });
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsDialog::load() {
    ParamSettings settings;
    // A missing or unreadable file leaves the record empty: the controls keep their design values.
    ReadSettings(settings, files_.param);

    static const char* const kPorts[] = {"com1", "com2", "com3", "com4", "com5", "com6"};
    bool knownPort = false;
    for (int i = 0; i < 6; ++i) {
        if (settings.port == kPorts[i]) {
            portBox_->setCurrentIndex(i);
            knownPort = true;
        }
    }
    // Any other port (a device path) is shown as it stands, so that saving keeps it.
    if (!knownPort && !settings.port.empty()) {
        portBox_->setEditText(FromFile(settings.port));
    }
    int baud = baudBox_->findText(FromFile(settings.baud));
    if (baud >= 0 && !settings.baud.empty()) {
        baudBox_->setCurrentIndex(baud);
    } else if (!settings.baud.empty()) {
        baudBox_->setEditText(FromFile(settings.baud));
    }
    Fill(fileEdit_, FromFile(settings.file));
    for (int i = 0; i < 3; ++i) {
        if (settings.registerType == kTypeNames[i]) {
            registerTypeBox_->setCurrentIndex(i);
        }
    }
    numberedFiles_->setChecked(settings.multi == "true");
    printDescription_->setChecked(settings.printDescription == "true");
    printComments_->setChecked(settings.comment == "true");
    printQuantity_->setChecked(settings.quantity == "true");
    keyboardOff_->setChecked(settings.keyboardOff == "true");
    departments_->setChecked(settings.directDepartments == "true");
    if (settings.printCode == "true N") {
        printNumericCode_->setChecked(true);
    } else if (settings.printCode == "true A") {
        printArticleCode_->setChecked(true);
    } else if (settings.printCode.compare(0, 4, "fals") == 0) {
        printNumericCode_->setChecked(false);
        printArticleCode_->setChecked(false);
    }
    if (settings.currency == "0") {
        tenderKeyFromFile_->setChecked(true);
    } else if (settings.currency == "1") {
        settleInMainCurrency_->setChecked(true);
    } else if (settings.currency == "2") {
        settleInSecondCurrency_->setChecked(true);
    }
    Fill(converterEdit_, settings.converter.empty() ? QString::fromUtf8(kNoConverter)
                                                    : FromFile(settings.converter));
    // Ticking runs the defacto reaction (file name noname.prn); the path follows from the file.
    if (settings.hostFile == "ye") {
        hostFile_->setChecked(true);
    }
    locationEdit_->setText(FromFile(settings.location));
    if (settings.autoStart) {
        autoStart_->setChecked(true);
    }

    VatRateTexts rates = ShowVatRates(files_.vats);
    for (std::size_t i = 0; i < rates.size(); ++i) {
        Fill(vatRateEdits_[i], FromFile(rates[i]));
    }
}

void SettingsDialog::restore() {
    portBox_->setCurrentIndex(0);
    baudBox_->setCurrentIndex(0);
    registerTypeBox_->setCurrentIndex(0);
    fileEdit_->clear();
    for (QCheckBox* box : {numberedFiles_, printDescription_, printNumericCode_, printArticleCode_,
                           printComments_, printQuantity_, keyboardOff_, hostFile_, departments_}) {
        box->setChecked(false);
    }
    tenderKeyFromFile_->setChecked(true);
    converterEdit_->setText(QString::fromUtf8(kNoConverter));
    load();
}

SettingsForm SettingsDialog::form() const {
    SettingsForm form;
    form.port = ToFile(portBox_->currentText());
    form.baud = ToFile(baudBox_->currentText());
    form.file = ToFile(fileEdit_->text());
    form.type = ToFile(registerTypeBox_->currentText());
    form.multi = numberedFiles_->isChecked();
    form.printDescription = printDescription_->isChecked();
    form.codeAscii = printArticleCode_->isChecked();
    form.codeNumeric = printNumericCode_->isChecked();
    form.comments = printComments_->isChecked();
    form.currency = settleInMainCurrency_->isChecked()     ? 1
                    : settleInSecondCurrency_->isChecked() ? 2
                                                           : 0;
    form.converter = ToFile(converterEdit_->text());
    form.keyboardOff = keyboardOff_->isChecked();
    form.directDepartments = departments_->isChecked();
    form.quantity = printQuantity_->isChecked();
    form.autoStart = autoStart_->isChecked();
    form.hostFile = hostFile_->isChecked();
    form.location = ToFile(locationEdit_->text());
    return form;
}

void SettingsDialog::confirm() {
    if (WriteSettings(form(), TodayForSettings(), files_.param) != 0) {
        // The old file is still in place; the operator may try again.
        showMessage_("Αδύνατη η εγγραφή του αρχείου param.ini!", kMsgExclamation, "");
        return;
    }
    VatRateTexts boxes;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        boxes[i] = ToFile(vatRateEdits_[i]->text());
    }
    VatRates rates{};
    int collected = CollectVatRates(boxes, rates);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        Fill(vatRateEdits_[i], FromFile(boxes[i]));
    }
    if (collected != 0) {
        showMessage_("Λάθος στίς κατηγορίες ΦΠΑ!", kMsgExclamation, "");
        return;
    }
    if (SaveVatRates(rates, files_.vats) != 0) {
        showMessage_("Λάθος κατά την αποθήκευση τών κατηγορίών ΦΠΑ!", kMsgExclamation, "");
    }
    if (restartNeeded_) {
        showMessage_("Πρεπει να επανεκκινησετε το Varkon για ενεργοποιηση των μεταβολων ",
                     kMsgCritical, "Varkon-Προσοχη");
    }
    saving_ = true;
    hide();
    if (saved_) {
        saved_();
    }
}

void SettingsDialog::closeEvent(QCloseEvent* event) {
    event->accept();
    if (!saving_ && closed_) {
        closed_();
    }
}

}  // namespace varkon
