#pragma once
// The candidate-settings dialog "(軸・ヒモ馬ユーザー設定)": three role groups of six rank check
// lists, the sixteen odds bounds, the set selector with its name edit and the 追加 / 削除 / close
// buttons. The state it shows and edits is the workbench's CandidateSettings; every user action is
// forwarded to it, and the widgets are refilled from it.
#include <QDialog>
#include <array>

#include "bets/CandidateSets.h"
#include "workbench/Workbench.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace kv::gui {

class UserKaimeForm : public QDialog {
  Q_OBJECT
 public:
  // Opening starts again from the candidate-set file and the stored set index.
  explicit UserKaimeForm(Workbench& wb, QWidget* parent = nullptr);

  QListWidget* CheckList(int role, int criterion) const {
    return lists_[static_cast<size_t>(role)][static_cast<size_t>(criterion)];
  }
  QSpinBox* BoundEdit(int field) const { return bounds_[static_cast<size_t>(field)]; }
  QComboBox* Selector() const { return selector_; }
  QLineEdit* NameEdit() const { return name_; }
  QPushButton* AddButton() const { return add_; }
  QPushButton* DeleteButton() const { return delete_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void done(int result) override;

 private:
  QWidget* BuildRoleGroup(int role);
  QWidget* BuildOddsGroup();
  // Widgets from the state: check items and bounds / the selector's entries and index.
  void ShowState();
  void ShowSelector();
  void SavePosition();

  Workbench& wb_;
  CandidateSettings& cs_;
  bool filling_ = false;
  std::array<std::array<QListWidget*, kCriteria>, kRoles> lists_{};
  std::array<QSpinBox*, kOddsBounds> bounds_{};
  QComboBox* selector_ = nullptr;
  QLineEdit* name_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* delete_ = nullptr;
};

}  // namespace kv::gui
