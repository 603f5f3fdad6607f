#include "support/recording_surface.h"

namespace varkon::test {

void RecordingSurface::setStatus(const std::string& text) {
    status = text;
    statusHistory.push_back(text);
}

void RecordingSurface::setCaption(const std::string& text) {
    caption = text;
    captionHistory.push_back(text);
}

void RecordingSurface::setText(Control control, const std::string& text) {
    texts_[control] = text;
}

std::string RecordingSurface::text(Control control) const {
    auto it = texts_.find(control);
    return it == texts_.end() ? std::string() : it->second;
}

void RecordingSurface::setEnabled(Control control, bool enabled) {
    if (enabled) {
        disabled_.erase(control);
    } else {
        disabled_.insert(control);
    }
}

void RecordingSurface::setDefault(Control control, bool isDefault) {
    if (isDefault) {
        defaults_.insert(control);
    } else {
        defaults_.erase(control);
    }
}

void RecordingSurface::setFocus(Control control) {
    focus = std::string(ControlName(control));
}

void RecordingSurface::setVisible(Window window, bool visible) {
    if (visible) {
        visible_.insert(window);
    } else {
        visible_.erase(window);
    }
}

void RecordingSurface::setProgressMax(double maximum) {
    progressMax = maximum;
}
void RecordingSurface::setProgress(double value) {
    progress = value;
}
void RecordingSurface::clearDrawing() {
    drawing.clear();
}
void RecordingSurface::drawText(const std::string& line) {
    drawing.push_back(line);
}

int RecordingSurface::messageBox(const std::string& text, int style, const std::string& title) {
    boxes.push_back({text, style, title});
    if (answers.empty()) return kAnswerOk;
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

bool RecordingSurface::enabled(Control control) const {
    return disabled_.count(control) == 0;
}
bool RecordingSurface::visible(Window window) const {
    return visible_.count(window) != 0;
}
bool RecordingSurface::isDefault(Control control) const {
    return defaults_.count(control) != 0;
}

}  // namespace varkon::test
