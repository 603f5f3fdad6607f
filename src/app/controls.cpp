#include "app/controls.h"

#include <utility>

namespace varkon {
namespace {

constexpr std::pair<Control, std::string_view> kControlNames[] = {
    {Control::kReceiptCounter, "receipt"},    {Control::kPortValue, "serialtxt"},
    {Control::kBaudValue, "baudtxt"},         {Control::kFileValue, "filetxt"},
    {Control::kRegisterValue, "ecrtxt"},      {Control::kDescriptionValue, "desctxt"},
    {Control::kCommentsValue, "commentstxt"}, {Control::kCurrencyValue, "currtxt"},
    {Control::kStartButton, "Command1"},      {Control::kStopButton, "Command2"},
    {Control::kSettingsMenu, "Settings"},     {Control::kReportsMenu, "reports"},
};

constexpr std::pair<Window, std::string_view> kWindowNames[] = {
    {Window::kMain, "Varkon"},
    {Window::kSettings, "frmparam"},
    {Window::kAbout, "frmAbout"},
};

constexpr std::pair<WindowPart, std::string_view> kPartNames[] = {
    {WindowPart::kControlArea, "surface"},
    {WindowPart::kStatusText, "comstattxt"},
    {WindowPart::kOptionPanel, "options"},
    {WindowPart::kPortCaption, "seriallbl"},
    {WindowPart::kBaudCaption, "baudlbl"},
    {WindowPart::kFileCaption, "filelbl"},
    {WindowPart::kRegisterCaption, "ecrlbl"},
    {WindowPart::kDescriptionCaption, "desclbl"},
    {WindowPart::kCommentsCaption, "commentslbl"},
    {WindowPart::kCurrencyCaption, "currlbl"},
    {WindowPart::kReceiptCaption, "Label1"},
    {WindowPart::kProgressBar, "Indicator"},
    {WindowPart::kDrawing, "drawing"},
    {WindowPart::kJobTimer, "Timer1"},
    {WindowPart::kWatchdogTimer, "Timer2"},
    {WindowPart::kHelpMenu, "help"},
    {WindowPart::kExitMenu, "exit"},
    {WindowPart::kXReportsMenu, "xreports"},
    {WindowPart::kZReportsMenu, "zreports"},
    {WindowPart::kEditSettingsItem, "param"},
    {WindowPart::kShowHelpItem, "help_text"},
    {WindowPart::kBasicProgrammingItem, "basic_programming"},
    {WindowPart::kEndProgramItem, "end"},
    {WindowPart::kShowAboutItem, "about"},
    {WindowPart::kXFinancialItem, "xrep0"},
    {WindowPart::kXPeriodItem, "xrep5"},
    {WindowPart::kZDailyItem, "zrep021"},
    {WindowPart::kZPeriodItem, "zrep521"},
};

}  // namespace

std::string_view ControlName(Control control) {
    for (const auto& [c, name] : kControlNames) {
        if (c == control) return name;
    }
    return {};
}

std::string_view WindowName(Window window) {
    for (const auto& [w, name] : kWindowNames) {
        if (w == window) return name;
    }
    return {};
}

std::string_view PartName(WindowPart part) {
    for (const auto& [p, name] : kPartNames) {
        if (p == part) return name;
    }
    return {};
}

}  // namespace varkon
