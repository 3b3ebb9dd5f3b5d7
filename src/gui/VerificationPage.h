#pragma once
// The tab "検証資料": the buttons "集計", "ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ" and "CSVファイル" over the day
// verification table. Each button runs a workbench command; the CSV button first asks for the file
// with a save dialog.
#include <QWidget>
#include <functional>

namespace kv {
class Workbench;
}

class QPushButton;

namespace kv::gui {

class GridView;

class VerificationPage : public QWidget {
  Q_OBJECT
 public:
  VerificationPage(Workbench& wb, QWidget* parent = nullptr);
  GridView* Grid() const { return grid_; }

  // The save dialog of the CSV button: returns the chosen path, or an empty text when cancelled.
  // Replaceable for tests.
  std::function<QString(const QString& proposal)> askSavePath;

 private:
  void Tally();
  void Copy();
  void ExportCsv();

  Workbench& wb_;
  QPushButton* tallyButton_ = nullptr;
  GridView* grid_ = nullptr;
};

}  // namespace kv::gui
