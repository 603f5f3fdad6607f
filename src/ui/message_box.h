// The modal message box of the desktop program: a style number (buttons plus icon, the values of
// maintenance/operator_notices.h) turned into a QMessageBox, and the answer turned back into 1
// or 2. The caller owns the parent window; the box lives only while it is shown.
#pragma once

#include <functional>
#include <string>

class QString;
class QWidget;

namespace varkon {

// A message's text as the window shows it: each CR or CR LF becomes a line break.
QString DisplayLines(const std::string& text);

// Shows the box and waits for the operator. Texts are UTF-8; returns kAnswerOk or kAnswerCancel.
int ShowMessageBox(QWidget* parent, const std::string& text, int style, const std::string& title);

// How the windows show a box; tests put their own in place so that nothing ever blocks.
using MessageBoxFunction =
    std::function<int(const std::string& text, int style, const std::string& title)>;

}  // namespace varkon
