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

}  // namespace varkon
