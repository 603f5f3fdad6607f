#include "ui/drawing_layer.h"

#include <QFontDatabase>
#include <QPainter>
#include <algorithm>

namespace varkon {

DrawingLayer::DrawingLayer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    setFont(font);
}

void DrawingLayer::clear() {
    lines_.clear();
    update();
}

void DrawingLayer::add(const QString& line) {
    lines_.push_back(line);
    update();
}

void DrawingLayer::paintEvent(QPaintEvent*) {
    if (lines_.empty()) {
        return;
    }
    QPainter painter(this);
    QFontMetrics metrics(font());
    int width = 0;
    for (const QString& line : lines_) {
        width = std::max(width, metrics.horizontalAdvance(line));
    }
    const int margin = 8;
    QRect area(margin, margin, width + 2 * margin,
               metrics.lineSpacing() * static_cast<int>(lines_.size()) + 2 * margin);
    painter.fillRect(area, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(area.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Text));
    int y = area.top() + margin + metrics.ascent();
    for (const QString& line : lines_) {
        painter.drawText(area.left() + margin, y, line);
        y += metrics.lineSpacing();
    }
}

}  // namespace varkon
