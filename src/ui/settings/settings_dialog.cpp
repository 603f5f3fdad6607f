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

    comtxt_ = List("comtxt", {"Com1", "Com2", "Com3", "Com4", "Com5", "Com6"}, this);
    baudtxt_ = List("baudtxt", {"9600", "4800", "2400", "1200"}, this);
    comtxt_->setMinimumWidth(120);
    baudtxt_->setMinimumWidth(90);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(comtxt_, 3);
    portRow->addWidget(baudtxt_, 2);
    fields->addWidget(Caption("lblcomtxt", "Σειριακη Πορτα", this), 0, 0);
    fields->addLayout(portRow, 0, 1);

    filetxt_ = TextBox("filetxt", 12, this);
    fields->addWidget(Caption("lblfiletxt", "Αρχειο", this), 1, 0);
    fields->addWidget(filetxt_, 1, 1);

    typetxt_ = List("typetxt", {}, this);
    for (const char* entry : kTypeEntries) {
        typetxt_->addItem(QString::fromUtf8(entry));
    }
    typetxt_->setCurrentIndex(-1);
    fields->addWidget(Caption("lbltypetxt", "Ταμειακη", this), 2, 0);
    fields->addWidget(typetxt_, 2, 1);

    cnvtxt_ = TextBox("cnvtxt", 12, this);
    cnvtxt_->setText(QString::fromUtf8(kNoConverter));
    fields->addWidget(Caption("lblcnvtxt", "Επεξεργασια μεσω:", this), 3, 0);
    fields->addWidget(cnvtxt_, 3, 1);

    location_ = TextBox("location", 0, this);
    fields->addWidget(Caption("lbllocation", "Διαδρομη", this), 4, 0);
    fields->addWidget(location_, 4, 1);
    fields->setColumnStretch(1, 1);

    auto* switches = new QGroupBox(this);
    switches->setObjectName(QStringLiteral("fraOptions"));
    auto* switchLayout = new QVBoxLayout(switches);
    switchLayout->setSpacing(4);
    multi_print_ = Named<QCheckBox>("multi_print", "Print Manager", switches);
    dirdep_ = Named<QCheckBox>("dirdep", "Direct Deparment", switches);
    descreption_ = Named<QCheckBox>("descreption", "Mε Περιγραφη", switches);
    comments_ = Named<QCheckBox>("comments", "Mε Σχολια", switches);
    quantity_ = Named<QCheckBox>("quantity", "Mε Εκτυπωση Ποσοτητας", switches);
    keyb_locked_ = Named<QCheckBox>("keyb_locked", "Κλειδωμενο Πληκτρολογιο", switches);
    defacto_ = Named<QCheckBox>("defacto", "Συνδεση Defacto ", switches);
    ChkAuto_ = Named<QCheckBox>("ChkAuto", "Αυτόματη Έναρξη Εκτυπώσεων", switches);
    for (QCheckBox* box : {multi_print_, dirdep_, descreption_, comments_, quantity_, keyb_locked_,
                           defacto_, ChkAuto_}) {
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
    print_code_ascii_ = Named<QCheckBox>("print_code_ascii", "Με Εκτυπωση Κωδικου Ascii", codes);
    print_code_numeric_ =
        Named<QCheckBox>("print_code_numeric", "Mε Εκτυπωση Κωδικου Αριθμητικου", codes);
    codeLayout->addWidget(print_code_ascii_);
    codeLayout->addWidget(print_code_numeric_);
    right->addWidget(codes);

    auto* settlement = Named<QGroupBox>("fraTotal", "Τροπος Εξοφλησης Αποδειξης", this);
    auto* settlementLayout = new QVBoxLayout(settlement);
    total_file_ = Named<QRadioButton>("total_file", "Οπως Στο Αρχειο", settlement);
    total_1_ = Named<QRadioButton>("total_1", "Παντα Κυριο Νομισμα", settlement);
    total_2_ = Named<QRadioButton>("total_2", "Παντα Δευτερευων", settlement);
    for (QRadioButton* option : {total_file_, total_1_, total_2_}) {
        settlementLayout->addWidget(option);
    }
    total_file_->setChecked(true);
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
        txtVatRate_[static_cast<std::size_t>(i)] = box;
        vatLayout->addWidget(label, i, 0);
        vatLayout->addWidget(box, i, 1);
    }
    right->addWidget(vat);
    right->addStretch(1);

    auto* buttons = new QHBoxLayout;
    OK_ = Named<QPushButton>("OK", "Kαταχωρηση", this);
    restore_ = Named<QPushButton>("restore", "Eπαναφορα", this);
    for (QPushButton* button : {OK_, restore_}) {
        button->setMinimumWidth(130);
        button->setMinimumHeight(30);
    }
    buttons->addStretch(1);
    buttons->addWidget(OK_);
    buttons->addWidget(restore_);
    buttons->addStretch(1);
    outer->addLayout(buttons);

    connect(OK_, &QPushButton::clicked, this, [this] { confirm(); });
    connect(restore_, &QPushButton::clicked, this, [this] { restore(); });
    connect(defacto_, &QCheckBox::toggled, this, [this](bool on) { onDefactoChanged(on); });
    // The two code boxes exclude each other; unticking one changes nothing else.
    connect(print_code_ascii_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            print_code_numeric_->setChecked(false);
        }
    });
    connect(print_code_numeric_, &QCheckBox::toggled, this, [this](bool on) {
        if (on) {
            print_code_ascii_->setChecked(false);
        }
    });
}

void SettingsDialog::onDefactoChanged(bool ticked) {
    Fill(filetxt_, QString::fromUtf8(kDefactoFile));
    location_->setText(ticked ? QString::fromUtf8(kDefactoLocation) : QString());
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
            comtxt_->setCurrentIndex(i);
            knownPort = true;
        }
    }
    // Any other port (a device path) is shown as it stands, so that saving keeps it.
    if (!knownPort && !settings.port.empty()) {
        comtxt_->setEditText(FromFile(settings.port));
    }
    int baud = baudtxt_->findText(FromFile(settings.baud));
    if (baud >= 0 && !settings.baud.empty()) {
        baudtxt_->setCurrentIndex(baud);
    } else if (!settings.baud.empty()) {
        baudtxt_->setEditText(FromFile(settings.baud));
    }
    Fill(filetxt_, FromFile(settings.file));
    for (int i = 0; i < 3; ++i) {
        if (settings.registerType == kTypeNames[i]) {
            typetxt_->setCurrentIndex(i);
        }
    }
    multi_print_->setChecked(settings.multi == "true");
    descreption_->setChecked(settings.printDescription == "true");
    comments_->setChecked(settings.comment == "true");
    quantity_->setChecked(settings.quantity == "true");
    keyb_locked_->setChecked(settings.keyboardOff == "true");
    dirdep_->setChecked(settings.directDepartments == "true");
    if (settings.printCode == "true N") {
        print_code_numeric_->setChecked(true);
    } else if (settings.printCode == "true A") {
        print_code_ascii_->setChecked(true);
    } else if (settings.printCode.compare(0, 4, "fals") == 0) {
        print_code_numeric_->setChecked(false);
        print_code_ascii_->setChecked(false);
    }
    if (settings.currency == "0") {
        total_file_->setChecked(true);
    } else if (settings.currency == "1") {
        total_1_->setChecked(true);
    } else if (settings.currency == "2") {
        total_2_->setChecked(true);
    }
    Fill(cnvtxt_, settings.converter.empty() ? QString::fromUtf8(kNoConverter)
                                             : FromFile(settings.converter));
    // Ticking runs the defacto reaction (file name noname.prn); the path follows from the file.
    if (settings.hostFile == "ye") {
        defacto_->setChecked(true);
    }
    location_->setText(FromFile(settings.location));
    if (settings.autoStart) {
        ChkAuto_->setChecked(true);
    }

    VatRateTexts rates = ShowVatRates(files_.vats);
    for (std::size_t i = 0; i < rates.size(); ++i) {
        Fill(txtVatRate_[i], FromFile(rates[i]));
    }
}

void SettingsDialog::restore() {
    comtxt_->setCurrentIndex(0);
    baudtxt_->setCurrentIndex(0);
    typetxt_->setCurrentIndex(0);
    filetxt_->clear();
    for (QCheckBox* box : {multi_print_, descreption_, print_code_numeric_, print_code_ascii_,
                           comments_, quantity_, keyb_locked_, defacto_, dirdep_}) {
        box->setChecked(false);
    }
    total_file_->setChecked(true);
    cnvtxt_->setText(QString::fromUtf8(kNoConverter));
    load();
}

SettingsForm SettingsDialog::form() const {
    SettingsForm form;
    form.port = ToFile(comtxt_->currentText());
    form.baud = ToFile(baudtxt_->currentText());
    form.file = ToFile(filetxt_->text());
    form.type = ToFile(typetxt_->currentText());
    form.multi = multi_print_->isChecked();
    form.printDescription = descreption_->isChecked();
    form.codeAscii = print_code_ascii_->isChecked();
    form.codeNumeric = print_code_numeric_->isChecked();
    form.comments = comments_->isChecked();
    form.currency = total_1_->isChecked() ? 1 : total_2_->isChecked() ? 2 : 0;
    form.converter = ToFile(cnvtxt_->text());
    form.keyboardOff = keyb_locked_->isChecked();
    form.directDepartments = dirdep_->isChecked();
    form.quantity = quantity_->isChecked();
    form.autoStart = ChkAuto_->isChecked();
    form.hostFile = defacto_->isChecked();
    form.location = ToFile(location_->text());
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
        boxes[i] = ToFile(txtVatRate_[i]->text());
    }
    VatRates rates{};
    int collected = CollectVatRates(boxes, rates);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        Fill(txtVatRate_[i], FromFile(boxes[i]));
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
