#pragma once
// The dialogs of the menu item 未処理データの読込(&R): the year dialog "未読込データ処理" and the
// list dialog "未処理データリスト" whose "Start" loads and analyses every listed day.
#include <QDialog>

class QPushButton;
class QSpinBox;

namespace kv {
class Workbench;
}

namespace kv::gui {

// The whole flow: the menu's checks, the year dialog, the list dialog.
void RunUnprocessedDays(Workbench& wb, QWidget* parent);

class UnprocessedYearDialog : public QDialog {
 public:
  UnprocessedYearDialog(int year, int lastYear, QWidget* parent);
  int Year() const;

 private:
  QSpinBox* year_;
};

class UnprocessedListDialog : public QDialog {
 public:
  UnprocessedListDialog(Workbench& wb, const std::string& heading, const std::string& text,
                        const std::vector<std::string>& days, QWidget* parent);

 private:
  void Start();
  Workbench& wb_;
  std::vector<std::string> days_;
  QPushButton* start_;
};

}  // namespace kv::gui
