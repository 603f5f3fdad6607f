// The controls and windows the engine shows through the Surface, by what they are for, the parts
// only the desktop window has, and the one table that maps them all to the window's own control
// names (the names the desktop program's widgets carry and varkond's log shows).
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

// The desktop window's own parts, which the engine never addresses; the window names them from
// the same table.
enum class WindowPart {
    kControlArea,           // "surface": everything under the menu bar
    kStatusText,            // "comstattxt"
    kOptionPanel,           // "options"
    kPortCaption,           // "seriallbl": the option panel's captions ...
    kBaudCaption,           // "baudlbl"
    kFileCaption,           // "filelbl"
    kRegisterCaption,       // "ecrlbl"
    kDescriptionCaption,    // "desclbl"
    kCommentsCaption,       // "commentslbl"
    kCurrencyCaption,       // "currlbl"
    kReceiptCaption,        // "Label1"
    kProgressBar,           // "Indicator"
    kDrawing,               // "drawing": the lines drawn over the controls
    kJobTimer,              // "Timer1"
    kWatchdogTimer,         // "Timer2"
    kHelpMenu,              // "help": the menus the engine leaves alone ...
    kExitMenu,              // "exit"
    kXReportsMenu,          // "xreports"
    kZReportsMenu,          // "zreports"
    kEditSettingsItem,      // "param": the menu items ...
    kShowHelpItem,          // "help_text"
    kBasicProgrammingItem,  // "basic_programming"
    kEndProgramItem,        // "end"
    kShowAboutItem,         // "about"
    kXFinancialItem,        // "xrep0"
    kXPeriodItem,           // "xrep5"
    kZDailyItem,            // "zrep021"
    kZPeriodItem,           // "zrep521"
};

std::string_view ControlName(Control control);
std::string_view WindowName(Window window);
std::string_view PartName(WindowPart part);

}  // namespace varkon
