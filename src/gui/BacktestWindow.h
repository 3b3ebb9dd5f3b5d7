#pragma once
// The window "バックテスト": how a candidate set would have done over a range of stored days. The
// user picks the range, the set, the 資金配分 and the amount per race and presses 実行; the
// backtest (core) runs day by day with a progress bar and 中止, then the window shows the notes on
// what was run, the tables by bet type and by month, and a chart of the running balance of each
// bet type over the days. Everything shown comes from the core; the window only draws it.
#include <QDialog>
#include <memory>

#include "backtest/Backtest.h"

class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace kv {
class Workbench;
}

namespace kv::gui {

class GridView;

class BacktestWindow : public QDialog {
  Q_OBJECT
 public:
  explicit BacktestWindow(Workbench& wb, QWidget* parent = nullptr);
  ~BacktestWindow() override;

  // 実行: runs the backtest with the choices on screen (tests and screenshots call it directly).
  void Run();
  bool Running() const { return running_; }
  const BacktestRun& LastRun() const { return *run_; }
  QChartView* ChartView() const { return chart_; }

 protected:
  void reject() override;  // Esc and the close button: while running, they stop the run first

 private:
  void ShowRun();
  void DrawChart();

  Workbench& wb_;
  std::unique_ptr<BacktestRun> run_;
  TextGrid byType_, byMonth_;
  bool running_ = false;
  bool cancel_ = false;

  QDateEdit* from_ = nullptr;
  QDateEdit* to_ = nullptr;
  QComboBox* set_ = nullptr;
  QComboBox* mode_ = nullptr;
  QLineEdit* amount_ = nullptr;
  QPushButton* runButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* progressText_ = nullptr;
  QLabel* notes_ = nullptr;
  QTabWidget* tables_ = nullptr;
  GridView* typeGrid_ = nullptr;
  GridView* monthGrid_ = nullptr;
  QChartView* chart_ = nullptr;
};

}  // namespace kv::gui
