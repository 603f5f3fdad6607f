// DrawingLayer: lines of text drawn over the main window's controls (the farewell notice and the
// start action's error list). It lets every mouse click through and paints nothing while it holds
// no line. The main window owns it and keeps it the size of the area under the menu bar.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

namespace varkon {

class DrawingLayer : public QWidget {
  public:
    explicit DrawingLayer(QWidget* parent);

    void clear();
    void add(const QString& line);
    const std::vector<QString>& lines() const { return lines_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<QString> lines_;
};

}  // namespace varkon
