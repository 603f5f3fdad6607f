// Surface: everything the main window shows and asks, as the engine sees it. The Qt window, the
// service's log and the tests' recorder implement it; the engine never touches a widget.
// Controls and menus are addressed by their names (comstattxt, receipt, Command1, reports, ...).
// All texts are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace varkon {

// Message box styles: buttons plus icon, added together.
inline constexpr int kMsgOk = 0;
inline constexpr int kMsgOkCancel = 1;
inline constexpr int kMsgCritical = 16;
inline constexpr int kMsgQuestion = 32;
inline constexpr int kMsgExclamation = 48;
inline constexpr int kMsgInformation = 64;
// Answers.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

class Surface {
  public:
    virtual ~Surface() = default;

    // The multi-line status text comstattxt and the window caption.
    virtual void setStatus(const std::string& text) = 0;
    virtual void setCaption(const std::string& text) = 0;

    // Text of a named control: the receipt counter "receipt", the option panel's value labels
    // (serialtxt, baudtxt, filetxt, ecrtxt, desctxt, commentstxt, currtxt), buttons, menus.
    virtual void setText(std::string_view control, const std::string& text) = 0;
    virtual std::string text(std::string_view control) const = 0;

    // Buttons and menus by name (Command1, Command2, Settings, reports, ...).
    virtual void setEnabled(std::string_view control, bool enabled) = 0;
    virtual void setDefault(std::string_view control, bool isDefault) = 0;
    virtual void setFocus(std::string_view control) = 0;

    // The main window itself ("Varkon") and the other windows ("frmparam", "frmAbout").
    virtual void setVisible(std::string_view window, bool visible) = 0;

    // The progress bar Indicator.
    virtual void setProgressMax(double maximum) = 0;
    virtual void setProgress(double value) = 0;
    virtual double progress() const = 0;

    // Lines of text drawn on the window's surface (the farewell notice, error lists).
    virtual void clearDrawing() = 0;
    virtual void drawText(const std::string& line) = 0;

    // A modal message box; returns kAnswerOk or kAnswerCancel.
    virtual int messageBox(const std::string& text, int style, const std::string& title) = 0;

    // Let the window paint while a long operation blocks (paint events only, never user input).
    virtual void repaint() = 0;
};

}  // namespace varkon
