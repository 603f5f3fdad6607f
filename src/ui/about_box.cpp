#include "ui/about_box.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace varkon {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QString::fromUtf8("Περί Varkon"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(8);

    auto* name = new QLabel(QStringLiteral("Varkon"), this);
    name->setObjectName(QStringLiteral("lblTitle"));
    QFont nameFont = name->font();
    nameFont.setPointSize(nameFont.pointSize() + 10);
    nameFont.setBold(true);
    name->setFont(nameFont);
    layout->addWidget(name, 0, Qt::AlignHCenter);

    auto* version = new QLabel(QString::fromUtf8("Έκδοση ") + QStringLiteral(VARKON_VERSION), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(version, 0, Qt::AlignHCenter);

    auto* notice = new QLabel(QString::fromUtf8("Εκτυπώνει τις αποδείξεις της εφαρμογής σας στην "
                                                "ταμειακή μηχανή, μέσω σειριακής θύρας."),
                              this);
    notice->setObjectName(QStringLiteral("lblDescription"));
    layout->addWidget(notice, 0, Qt::AlignHCenter);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    ok->setMinimumWidth(90);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addSpacing(8);
    layout->addWidget(ok, 0, Qt::AlignHCenter);

    setFixedSize(sizeHint());
}

}  // namespace varkon
