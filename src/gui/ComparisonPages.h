#pragma once
#include <functional>
// The comparison views of the main window: the bar with the two horses picked in the entry table
// and the buttons ２頭の比較, 直接対決の比較 and クリア; the tab ２頭比較 (counter, summary labels and
// the comparison grid); the tab KT専用 (集計, the adopted table and the matrix); and the copy
// menus of the comparison grids. Every button and menu item is a command of the workbench's
// ComparisonViews.
#include <QObject>
#include <array>

#include "workbench/Workbench.h"

class QLabel;
class QLineEdit;
class QTabWidget;
class QWidget;

namespace kv::gui {

class GridView;

class ComparisonPages : public QObject {
  Q_OBJECT
 public:
  ComparisonPages(Workbench& wb, QTabWidget* tabs);

  QWidget* BuildCompareBar(QWidget* parent);
  QWidget* BuildTwoHorsePage();
  QWidget* BuildKtPage();
  // The copy menus of the entry page's comparison tables.
  void AddCompareTableMenus(GridView* compareDetail, GridView* winLoss);

  GridView* TwoHorseGrid() const { return twoHorseGrid_; }
  GridView* KtDataGrid() const { return ktDataGrid_; }
  GridView* KtMatrixGrid() const { return ktMatrixGrid_; }

  // The picked horses into the bar (after every change of the selected race or the picks).
  void SyncPicks();
  // What the bar's button 印刷 does: the window prints the comparison grid.
  void SetOnPrint(std::function<void()> print) { onPrint_ = std::move(print); }

 private:
  void OnChanged(AnalysisTab tab);
  void AddCopyMenu(GridView* grid, const QString& name, const QString& text, void (ComparisonViews::*copy)());

  Workbench& wb_;
  QTabWidget* tabs_;
  std::function<void()> onPrint_;
  QLineEdit* nameA_ = nullptr;
  QLineEdit* nameB_ = nullptr;
  QLabel* weightA_ = nullptr;
  QLabel* weightB_ = nullptr;
  QLabel* counter_ = nullptr;
  std::array<QLabel*, 4> summary_{};
  GridView* twoHorseGrid_ = nullptr;
  GridView* ktDataGrid_ = nullptr;
  GridView* ktMatrixGrid_ = nullptr;
};

}  // namespace kv::gui
