#pragma once
// The dialogs of the ﾕｰｻﾞｰ指定 menu. Each shows the workbench's preset value and hands the
// entered value to the workbench on OK; ranges, clamping and messages are the workbench's.
#include <QDialog>

class QLineEdit;
class QSpinBox;

namespace kv {
class Workbench;
}

namespace kv::gui {

// 過去走データ利用範囲指定: DataSpan/period.
class DataSpanDialog : public QDialog {
  Q_OBJECT
 public:
  DataSpanDialog(Workbench& wb, QWidget* parent = nullptr);
  QSpinBox* Field() const { return field_; }
  void accept() override;

 private:
  Workbench& wb_;
  QSpinBox* field_;
};

// データ自動取得時刻設定: the keys of section Time.
class TimingDialog : public QDialog {
  Q_OBJECT
 public:
  TimingDialog(Workbench& wb, QWidget* parent = nullptr);
  void accept() override;

 private:
  Workbench& wb_;
  QSpinBox* oddsMinutes_;
  QSpinBox* oddsSeconds_;
  QSpinBox* resultMinutes_;
  int voteInterval_;  // kept as read: its field is not shown
};

// 投資金額設定: KaimeSet/DefaultAmount.
class StakeDialog : public QDialog {
  Q_OBJECT
 public:
  StakeDialog(Workbench& wb, QWidget* parent = nullptr);
  QSpinBox* Field() const { return field_; }
  void accept() override;

 private:
  Workbench& wb_;
  QSpinBox* field_;
};

// オッズシキイ値設定: OddsSpan/ceil. OK shows the outcome and leaves the dialog open.
class OddsCeilingDialog : public QDialog {
  Q_OBJECT
 public:
  OddsCeilingDialog(Workbench& wb, QWidget* parent = nullptr);
  QLineEdit* Field() const { return field_; }
  void ApplyField();

 private:
  Workbench& wb_;
  QLineEdit* field_;
};

}  // namespace kv::gui
