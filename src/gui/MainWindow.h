#pragma once
// The main window "Korvane2": menus, the button bar, the race-list panel, the race heading, the
// analysis tabs with their grids, and the status bar. It renders the workbench's state and hands
// every menu item and button to a workbench command.
#include <QMainWindow>
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "workbench/Workbench.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QButtonGroup;
class QPrinter;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kv::gui {

class ComparisonPages;
class GridView;
class KaimeForm;
class OddsChartPage;
class QtUiPort;

class MainWindow : public QMainWindow, public WorkbenchView {
  Q_OBJECT
 public:
  // ui, when given, gets the window and its status bar for messages and the status line.
  explicit MainWindow(Workbench& wb, QtUiPort* ui = nullptr, QWidget* parent = nullptr);
  ~MainWindow() override;

  // Places the window as saved in the settings (called after Workbench::Start).
  void PlaceFromSettings();

  // The clock is simulated (korvane2 --clock): the title says so and the status bar shows its time.
  void ShowSimulatedClock(double speed);

  QAction* OptionAction(OptionCheck o) const;
  QAction* FindAction(const QString& objectName) const;

  // WorkbenchView
  void DayListChanged() override;
  void RaceListChanged() override;
  void GridsChanged() override;
  void PanelsChanged() override;
  void OptionsChanged() override;
  void RaceChanged() override;
  void WindowEnabledChanged() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildMenus();
  QWidget* BuildButtonBar();
  QWidget* BuildRaceHeader();
  QWidget* BuildSortGroup();
  void SyncComparisonControls();
  QWidget* BuildAnalysisTabs();
  QAction* AddAction(QMenu* menu, const QString& name, const QString& text, const QString& hint);
  void PickFolder(const FolderChoice& choice);
  void ShowAbout();
  // 印刷(&P)...: the analysis report in its preview window; the comparison grid's print.
  void PrintReport();
  void PrintComparisonGrid();
  QPrinter& Printer();
  // The race day: date box, race list, entry-table mouse and popup, results tab.
  void ConnectRaceDay();
  QWidget* WithMarkButtons(QWidget* grid);
  void BuildResultsPage(QWidget* page);
  // The race day live: the clock-driven timers, the count-down label and the clock's label.
  void StartLiveTimers();
  void OnLiveTick();

  Workbench& wb_;
  QButtonGroup* sortButtons_ = nullptr;
  bool shownOnce_ = false;
  std::map<OptionCheck, QAction*> optionActions_;

  QComboBox* dateCombo_ = nullptr;
  QWidget* raceListPanel_ = nullptr;
  QListWidget* raceList_ = nullptr;
  QWidget* analysisArea_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QLabel* compareStatus_ = nullptr;
  GridView* entryGrid_ = nullptr;
  GridView* detailEntryGrid_ = nullptr;
  GridView* compareDetailGrid_ = nullptr;
  GridView* winLossGrid_ = nullptr;
  GridView* twoHorseGrid_ = nullptr;
  GridView* ktDataGrid_ = nullptr;
  GridView* ktMatrixGrid_ = nullptr;
  GridView* verificationGrid_ = nullptr;
  ComparisonPages* comparisons_ = nullptr;  // ２頭比較, KT専用 and the comparison bar
  KaimeForm* kaimeForm_ = nullptr;  // the bet window 買い目表
  std::unique_ptr<LiveTimers> liveTimers_;
  QTimer* liveTimer_ = nullptr;
  QPushButton* resultsButton_ = nullptr;
  QLabel* clockLabel_ = nullptr;  // the simulated clock's time in the status bar
  OddsChartPage* oddsChart_ = nullptr;  // the tab オッズ推移
  std::unique_ptr<QPrinter> printer_;  // the printer of every print job, made at the first use
  // Results tab: per bet type, one line of three labels (result, popularity, payout) per entry.
  std::vector<std::vector<std::array<QLabel*, 3>>> resultLabels_;
};

}  // namespace kv::gui
