// The about box frmAbout: the program's name, its version and a one-line notice.
// The main window owns it and shows it from the menu entry "Περί Varkon".
#pragma once

#include <QDialog>

namespace varkon {

class AboutBox : public QDialog {
    Q_OBJECT

  public:
    explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace varkon
