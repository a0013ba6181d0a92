#include "gui/qt/GradientPanel.h"

#include <QLinearGradient>
#include <QPainter>

namespace velmaro {

GradientPanel::GradientPanel(const GradientColors& colors, QWidget* parent)
    : QWidget(parent), colors_(colors) {}

void GradientPanel::paintEvent(QPaintEvent*) {
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0.0, colors_.start);
    gradient.setColorAt(0.5, colors_.middle);
    gradient.setColorAt(1.0, colors_.end);
    QPainter painter(this);
    painter.fillRect(rect(), gradient);
}

}  // namespace velmaro
