#include "service/log_surface.h"

#include <chrono>
#include <cstdio>
#include <ctime>

#include "platform/system.h"

namespace varkon {
namespace {

std::string TimeStamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    LocalTime(seconds, local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char withMillis[40];
    std::snprintf(withMillis, sizeof withMillis, "%s.%03d", text, static_cast<int>(millis));
    return withMillis;
}

}  // namespace

std::string EscapeForLog(std::string_view text, bool escapeHighBytes) {
    static const char* kHex = "0123456789abcdef";
    std::string out;
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c == 0x7f || (escapeHighBytes && c >= 0x80)) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

void LogSurface::log(std::string_view kind, std::string_view text, bool wire) {
    out_ << TimeStamp() << ' ' << kind << ": " << EscapeForLog(text, wire) << '\n';
    out_.flush();
}

void LogSurface::setStatus(const std::string& text) {
    if (text == status_) return;
    status_ = text;
    log("status", text);
}

void LogSurface::setCaption(const std::string& text) {
    if (text == caption_) return;
    caption_ = text;
    log("caption", text);
}

void LogSurface::setText(Control control, const std::string& text) {
    auto it = texts_.find(control);
    if (it != texts_.end() && it->second == text) return;
    texts_[control] = text;
    log(ControlName(control), text);
}

void LogSurface::setVisible(Window window, bool visible) {
    // The main window's visibility means nothing here; another window is worth a line.
    if (window != Window::kMain && visible) log("window", WindowName(window));
}

int LogSurface::messageBox(const std::string& text, int style, const std::string& title) {
    const bool canCancel = (style & 7) == 1;
    const int answer = canCancel && stopping() ? kAnswerCancel : kAnswerOk;
    log("message", "[" + std::to_string(style) + (title.empty() ? "" : " " + title) + "] " + text +
                       (answer == kAnswerOk ? " -> OK" : " -> Cancel"));
    return answer;
}

void LogSurface::repaint() {
    stopping();
}

bool LogSurface::stopping() {
    if (!stopRequested || !stopRequested()) return false;
    if (onStop) onStop();
    return true;
}

}  // namespace varkon
