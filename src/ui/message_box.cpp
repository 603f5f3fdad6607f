#include "ui/message_box.h"

#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include "maintenance/operator_notices.h"

namespace varkon {

QString DisplayLines(const std::string& text) {
    // The program's messages break their lines with a bare CR (and sometimes CR LF), which a Qt
    // label does not treat as a line break.
    QString lines = QString::fromStdString(text);
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

int ShowMessageBox(QWidget* parent, const std::string& text, int style, const std::string& title) {
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(DisplayLines(text));
    // The icon is the style's sixteens; any other value shows none.
    switch (style & 0x70) {
        case kMsgCritical:
            box.setIcon(QMessageBox::Critical);
            break;
        case kMsgQuestion:
            box.setIcon(QMessageBox::Question);
            break;
        case kMsgExclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case kMsgInformation:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    if ((style & 0x0f) == kMsgOkCancel) {
        // Escape and the close box count as Cancel, as the operator expects.
        box.setEscapeButton(box.addButton(QString::fromUtf8("Άκυρο"), QMessageBox::RejectRole));
    } else {
        box.setEscapeButton(ok);
    }
    box.exec();
    return box.clickedButton() == ok ? kAnswerOk : kAnswerCancel;
}

}  // namespace varkon
