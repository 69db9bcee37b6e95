#include "plot_view.h"

#include <QApplication>
#include <QPainter>

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

}  // namespace tavrix
