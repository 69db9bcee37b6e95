#include "table_window.h"

#include <QClipboard>
#include <QFileDialog>
#include <QtCharts/QChartView>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>

#include "pk_chart.h"
#include "tavrix/model/pk_table.h"

namespace tavrix {
namespace {

// Courier New 9 pt, or the system's fixed-width font where it is missing.
QFont TableFont() {
  QFont font("Courier New", 9);
  if (!QFontInfo(font).fixedPitch()) {
    font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
  }
  return font;
}

}  // namespace

TableWindow::TableWindow(const ScreenMeasures& measures, QWidget* parent)
    : QDialog(parent), measures_(measures) {
  setWindowTitle("Table");
  setFont(TableFont());
  const QFontMetrics metrics(font());
  charW_ = metrics.horizontalAdvance(' ');
  lineH_ = metrics.height();
  for (int i = 0; i < kLabels; ++i) {
    auto* label = new QLabel(this);
    label->setGeometry(0, i * lineH_, 100, lineH_);
    label->setTextFormat(Qt::PlainText);
    label->hide();
    rows_[static_cast<std::size_t>(i)] = label;
  }
  menu_ = new QMenu("Table", this);
  connect(menu_->addAction("Copy for Excel  (Ctrl+Ins)"), &QAction::triggered, this, [this] { CopyData(true); });
  connect(menu_->addAction("Copy for Word  (Ctrl+C)"), &QAction::triggered, this, [this] { CopyData(false); });
}

int TableWindow::Properties(const std::string& title, int rows, int columns) {
  nRows_ = rows;
  const int width = TableWidth(title, columns);
  // The width of so many characters as the font lays them out (advances
  // need not be whole pixels).
  const int pixels = std::max(charW_ * width, QFontMetrics(font()).horizontalAdvance(QString(width, ' ')) + 1);
  for (int i = 0; i <= rows + 4 && i < kLabels; ++i) {
    rows_[static_cast<std::size_t>(i)]->setGeometry(5, 4 + i * lineH_, pixels, lineH_);
    rows_[static_cast<std::size_t>(i)]->show();
  }
  setFixedSize(pixels + 10, (rows + 4) * lineH_ + 8 + lineH_);
  return width;
}

void TableWindow::SetPlot(const PlotData& plot) {
  constexpr int kPlotHeight = 420;
  if (!chart_) {
    chart_ = new QChartView(this);
    chart_->setRenderHint(QPainter::Antialiasing);
    connect(menu_->addAction("Save plot as..."), &QAction::triggered, this, [this] {
      const QString file = QFileDialog::getSaveFileName(this, "Save plot", QString(), "PNG (*.png);;SVG (*.svg)");
      if (!file.isEmpty() && !SavePlot(file.toStdString())) {
        QMessageBox box(QMessageBox::Critical, kProgramName, "Could not save the plot", QMessageBox::Ok, this);
        box.exec();
      }
    });
  }
  chart_->setChart(MakePkChart(plot, title_));
  const int tableHeight = height();
  const int width = std::max(this->width(), 640);
  setFixedSize(width, tableHeight + kPlotHeight);
  chart_->setGeometry(0, tableHeight, width, kPlotHeight);
}

bool TableWindow::SavePlot(const std::string& path) {
  return chart_ && SaveChart(chart_->chart(), path);
}

void TableWindow::Fill(const std::string& title, const std::vector<std::string>& lines) {
  title_ = title;
  Properties(title, kTableRows, kTableColumns);
  setWindowTitle(QString::fromStdString(title));
  for (std::size_t i = 0; i < lines.size() && i < kLabels; ++i) {
    rows_[i]->setText(QString::fromStdString(lines[i]));
  }
}

std::string TableWindow::TableText(bool forExcel) const {
  std::vector<std::string> lines;
  for (int i = 0; i <= nRows_ + 4 && i < kLabels; ++i) {
    lines.push_back(rows_[static_cast<std::size_t>(i)]->text().toStdString());
  }
  return tavrix::TableText(lines, forExcel);
}

int TableWindow::SetClipboardText(const std::string& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!clipboard) return 1;
  clipboard->clear();
  if (!clipboard->text().isEmpty()) return 2;
  const QString wanted = QString::fromStdString(text);
  clipboard->setText(wanted);
  if (clipboard->text() != wanted) return 3;
  return 0;
}

void TableWindow::CopyData(bool forExcel) {
  const int code = SetClipboardText(TableText(forExcel));
  if (code != 0) {
    QMessageBox box(QMessageBox::Critical, kProgramName,
                    "Could not Copy the table. Error code " + QString::number(code), QMessageBox::Ok, this);
    box.exec();
  }
}

void TableWindow::keyPressEvent(QKeyEvent* event) {
  const auto modifiers = event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
  if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier) {
    close();
  } else if (event->key() == Qt::Key_Insert && modifiers == Qt::ControlModifier) {
    CopyData(true);
  } else if (event->key() == Qt::Key_C && modifiers == Qt::ControlModifier) {
    CopyData(false);
  } else {
    QDialog::keyPressEvent(event);
  }
}

void TableWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (event->modifiers() == Qt::NoModifier) menu_->popup(event->globalPos());
}

}  // namespace tavrix
