#pragma once

#include <QWidget>

#include "tavrix/plot/plot_data.h"

namespace tavrix {

// The plot of a fit on screen: drawn afresh at the widget's size whenever
// it is painted, as a file gets it; a flagged point's tip says why.
class PlotView : public QWidget {
 public:
  explicit PlotView(QWidget* parent);
  void SetPlot(const PlotData& plot);
  const PlotData& plot() const { return plot_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;

 private:
  PlotData plot_;
};

}  // namespace tavrix
