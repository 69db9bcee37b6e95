#pragma once

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QScrollArea>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "plot_view.h"
#include "qt_main_window.h"

namespace tavrix {

// The pK table: lines of monospaced text, copied to the clipboard for a
// spreadsheet (tabs) or a word processor (blank-padded), each cell with a
// tip of its pK and u(pK); below it the plot of the fit, which takes the
// room the screen leaves and follows the window's size. Its menu also
// copies the fit as a ThermoFun record, a PHREEQC block and a logK grid,
// saves the fit's report and shows the models compared.
class TableWindow : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kLabels = 26;

  TableWindow(const ScreenMeasures& measures, HandlerGuard& guard, QWidget* parent);

  // Sizes the table for the title and a table of rows x columns; returns
  // its width in characters.
  int Properties(const std::string& title, int rows, int columns);
  // Properties for the pK table, then the lines and the caption.
  void Fill(const std::string& title, const std::vector<std::string>& lines);
  // The plot of the fit below the table; the window then fits the screen.
  void SetPlot(const PlotData& plot);
  // The tips of the table's cells, row by row; "" for none.
  void SetCellTips(std::vector<std::string> tips);
  // The exports the menu copies.
  void SetExports(ExportResult thermoFun, ExportResult phreeqc, ExportResult grid);
  // All of a fit's view: table, tips, exports and plot.
  void Show(const PkTableView& view);
  // The tip of the cell at a point of the table's area ("" for none).
  std::string CellTipAt(const QPoint& position) const;
  bool SavePlot(const std::string& path);
  // Sizes the window for the table and the plot within the screen's area
  // available to windows (its frame included).
  void FitInto(const QRect& available);

  std::string TableText(bool forExcel) const;
  // Puts an export on the clipboard, or says why it cannot.
  void CopyExport(const ExportResult& result);
  // Puts the text on the clipboard: 0 done, 2 it could not be emptied, 3 the
  // text could not be placed (it is not there afterwards).
  static int SetClipboardText(const std::string& text);
  void CopyData(bool forExcel);

  QLabel* row(int i) { return rows_[static_cast<std::size_t>(i)]; }
  PlotView* plotView() { return chart_; }
  QScrollArea* tableArea() { return area_; }
  QWidget* table() { return table_; }
  QMenu* menu() { return menu_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The file the user chooses for the plot ("" when cancelled), with the
  // extension of the chosen type.
  virtual std::string AskPlotFile();
  // The file the user chooses for the report, `suggested` at first ("" when
  // cancelled).
  virtual std::string AskReportFile(const std::string& suggested);
  // A message box over the window.
  virtual void ShowBox(QMessageBox::Icon icon, const QString& text);
  // The models compared, in a window of their own that copies them as the
  // table is copied.
  virtual void ShowComparison(const TextTable& table);

 private:
  void SavePlotAs();
  void SaveReport();
  void Arrange();

  const ScreenMeasures& measures_;
  HandlerGuard& guard_;
  QScrollArea* area_ = nullptr;
  QWidget* table_ = nullptr;
  std::array<QLabel*, kLabels> rows_{};
  QMenu* menu_ = nullptr;
  PlotView* chart_ = nullptr;
  std::string title_;
  std::vector<std::string> tips_;
  ExportResult thermoFun_;
  ExportResult phreeqc_;
  ExportResult grid_;
  std::function<ExportResult()> report_;
  std::string reportName_;
  std::function<TextTable()> comparison_;
  QAction* copyThermoFun_ = nullptr;  // the menu's copies, once there are exports
  int nRows_ = 0;
  int charW_ = 0;
  int lineH_ = 0;
};

}  // namespace tavrix
