#include "plot_view.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

#include "tavrix/plot/plot_picture.h"

namespace tavrix {

PlotView::PlotView(QWidget* parent) : QWidget(parent) {
  setFont(QApplication::font());
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlotView::SetPlot(const PlotData& plot) {
  plot_ = plot;
  update();
}

void PlotView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setFont(font());
  PaintPlot(painter, plot_, QRectF(rect()));
}

bool PlotView::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const std::string tip = PlotTipAt(plot_, font(), QRectF(rect()), help->pos());
  if (tip.empty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(help->globalPos(), QString::fromStdString(tip), this);
  }
  return true;
}

}  // namespace tavrix
