#pragma once
// The tab "オッズ推移": the win odds of every runner of the selected race over the race day as a
// chart, one line per runner in the order of the current popularity, the post time marked.
// The figures come from the workbench (Workbench::SelectedOddsMovement); the page only draws.
#include <QWidget>

namespace kv {
class Workbench;
}

class QChartView;
class QLabel;

namespace kv::gui {

class OddsChartPage : public QWidget {
  Q_OBJECT
 public:
  OddsChartPage(Workbench& wb, QWidget* parent = nullptr);
  // Draws the selected race again (only while the page is visible; it redraws when shown).
  void Refresh();
  // Draws the selected race whether shown or not (screenshots, tests).
  void Redraw();
  QChartView* ChartView() const { return view_; }

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  Workbench& wb_;
  QLabel* note_ = nullptr;
  QChartView* view_ = nullptr;
};

}  // namespace kv::gui
