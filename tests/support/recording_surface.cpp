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

void RecordingSurface::setText(std::string_view control, const std::string& text) {
    texts_[std::string(control)] = text;
}

std::string RecordingSurface::text(std::string_view control) const {
    auto it = texts_.find(control);
    return it == texts_.end() ? std::string() : it->second;
}

void RecordingSurface::setEnabled(std::string_view control, bool enabled) {
    if (enabled) {
        if (auto it = disabled_.find(control); it != disabled_.end()) disabled_.erase(it);
    } else {
        disabled_.emplace(control);
    }
}

void RecordingSurface::setDefault(std::string_view control, bool isDefault) {
    if (isDefault) {
        defaults_.emplace(control);
    } else if (auto it = defaults_.find(control); it != defaults_.end()) {
        defaults_.erase(it);
    }
}

void RecordingSurface::setFocus(std::string_view control) {
    focus = std::string(control);
}

void RecordingSurface::setVisible(std::string_view window, bool visible) {
    if (visible) {
        visible_.emplace(window);
    } else if (auto it = visible_.find(window); it != visible_.end()) {
        visible_.erase(it);
    }
}

void RecordingSurface::setProgressMax(double maximum) {
    progressMax = maximum;
}
void RecordingSurface::setProgress(double value) {
    progress_ = value;
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

bool RecordingSurface::enabled(std::string_view control) const {
    return disabled_.find(control) == disabled_.end();
}
bool RecordingSurface::visible(std::string_view window) const {
    return visible_.find(window) != visible_.end();
}
bool RecordingSurface::isDefault(std::string_view control) const {
    return defaults_.find(control) != defaults_.end();
}

}  // namespace varkon::test
