// Surface: everything the main window shows, as the engine sees it. The Qt window, the service's
// log and the tests' recorder implement it; the engine never touches a widget and never reads
// anything back: the status, the receipt counter and the progress are the engine's own state,
// and the Surface only shows them. All texts are UTF-8.
#pragma once

#include <string>

#include "app/controls.h"
#include "maintenance/operator_notices.h"

namespace varkon {

class Surface {
  public:
    virtual ~Surface() = default;

    // The multi-line status text comstattxt and the window caption.
    virtual void setStatus(const std::string& text) = 0;
    virtual void setCaption(const std::string& text) = 0;

    // The receipt counter, the option panel's values.
    virtual void setText(Control control, const std::string& text) = 0;

    // Buttons and menus.
    virtual void setEnabled(Control control, bool enabled) = 0;
    virtual void setDefault(Control control, bool isDefault) = 0;
    virtual void setFocus(Control control) = 0;

    // The main window itself and the other windows.
    virtual void setVisible(Window window, bool visible) = 0;

    // The progress bar Indicator.
    virtual void setProgressMax(double maximum) = 0;
    virtual void setProgress(double value) = 0;

    // Lines of text drawn on the window's surface (the farewell notice, error lists).
    virtual void clearDrawing() = 0;
    virtual void drawText(const std::string& line) = 0;

    // A modal message box (styles and answers in maintenance/operator_notices.h); returns kAnswerOk
    // or kAnswerCancel.
    virtual int messageBox(const std::string& text, int style, const std::string& title) = 0;

    // Let the window paint while a long operation blocks (paint events only, never user input).
    virtual void repaint() = 0;
};

}  // namespace varkon
