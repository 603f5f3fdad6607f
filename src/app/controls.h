// The controls and windows the engine shows through the Surface, by what they are for, and the
// one table that maps them to the window's own control names (the names the desktop program's
// widgets carry and varkond's log shows).
#pragma once

#include <string_view>

namespace varkon {

enum class Control {
    kReceiptCounter,    // "receipt": the number of receipts printed
    kPortValue,         // "serialtxt": the option panel's values ...
    kBaudValue,         // "baudtxt"
    kFileValue,         // "filetxt"
    kRegisterValue,     // "ecrtxt"
    kDescriptionValue,  // "desctxt"
    kCommentsValue,     // "commentstxt"
    kCurrencyValue,     // "currtxt"
    kStartButton,       // "Command1"
    kStopButton,        // "Command2"
    kSettingsMenu,      // "Settings"
    kReportsMenu,       // "reports"
};

enum class Window {
    kMain,      // "Varkon"
    kSettings,  // "frmparam"
    kAbout,     // "frmAbout"
};

std::string_view ControlName(Control control);
std::string_view WindowName(Window window);

}  // namespace varkon
