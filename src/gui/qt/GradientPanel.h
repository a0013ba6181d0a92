#pragma once
// A panel painted top to bottom with a gradient through three colours.

#include <QColor>
#include <QWidget>

namespace velmaro {

// The three colours of a gradient panel: at the top, in the middle and at the bottom.
struct GradientColors {
    QColor start;
    QColor middle;
    QColor end;
};

class GradientPanel : public QWidget {
public:
    GradientPanel(const GradientColors& colors, QWidget* parent);

    const GradientColors& Colors() const { return colors_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    GradientColors colors_;
};

}  // namespace velmaro
