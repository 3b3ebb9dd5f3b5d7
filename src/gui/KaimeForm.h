#pragma once
// The bet window "買い目表" (stays on top): the summary panel (number of bets, total stake,
// expected and actual return per bet type), the amount field, the allocation mode, the multi
// options, the vote button and one tab per bet type with its table. Every action goes to the
// workbench's bet window commands; the window only renders their state.
#include <QWidget>
#include <array>

#include "workbench/BetWindowCommands.h"
#include "workbench/Workbench.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace kv::gui {

class GridView;

class KaimeForm : public QWidget, public BetWindowView {
  Q_OBJECT
 public:
  explicit KaimeForm(Workbench& wb, QWidget* parent = nullptr);
  ~KaimeForm() override;

  GridView* Grid(BetType t) const { return grids_[static_cast<size_t>(Index(t))]; }
  QTabWidget* Tabs() const { return tabs_; }

  // BetWindowView
  void BetsChanged() override;
  void ShowRequested() override;

 protected:
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  // The first opening without a stored place: beside the main window.
  void PlaceFirstTime();
  QWidget* BuildSummary();
  QWidget* BuildControls();
  void HideColumns(BetType t);
  void SaveGeometry();

  Workbench& wb_;
  BetWindowCommands& bets_;
  // [type][0..3]: 買い点数, 投票金額, 予想回収率, 回収金額
  std::array<std::array<QLabel*, 4>, kBetTypeCount> labels_{};
  std::array<GridView*, kBetTypeCount> grids_{};
  std::array<QCheckBox*, 4> multi_{};
  QLineEdit* amount_ = nullptr;
  QButtonGroup* modes_ = nullptr;
  QPushButton* vote_ = nullptr;
  QTabWidget* tabs_ = nullptr;
};

}  // namespace kv::gui
