#pragma once
// "ＪＶデータ取込": the accumulated-data import dialog. A thin view of AccumulatedImport: it shows
// the form, the three bars and the status lines, drives the 10 ms status-poll timer and passes
// the buttons on; every rule is the controller's.
#include <QDialog>
#include <functional>

#include "workbench/AccumulatedImport.h"

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kv {
class Workbench;
}

namespace kv::gui {

class ImportDialog : public QDialog, private ImportView {
  Q_OBJECT
 public:
  // onClosed runs just before the dialog goes away (the main window rebuilds its day list).
  ImportDialog(Settings& settings, UiPort& ui, const Clock& clock, JVLink& jv, std::function<void()> onClosed,
               QWidget* parent = nullptr);
  ~ImportDialog() override;

  AccumulatedImport& Controller() { return import_; }
  QPushButton* StartButton() const { return startBtn_; }
  QPushButton* CancelButton() const { return cancelBtn_; }

  // Closing is refused while an import runs (the user cancels it first).
  void done(int result) override;

 private:
  // ImportView
  void StatusLine(const std::string& text) override;
  void MadeDataLine(const std::string& text) override;
  void Bar(ImportBar bar, int position, int maximum) override;
  void PollTimer(bool running) override;
  void FormChanged() override;
  void BuildDoneLine(const std::string& text) override;

  void ShowForm();
  void UpdateEnabled();
  void OnStart();

  AccumulatedImport import_;
  std::function<void()> onClosed_;
  bool closing_ = false;
  bool showing_ = false;  // the form is being filled from the controller

  QRadioButton* normalBtn_;
  QRadioButton* setupBtn_;
  QDateTimeEdit* fromEdit_;
  QLabel* fromText_;  // hidden: the from-date as "yyyy/mm/dd hh:nn:ss"
  QCheckBox* oddsBox_;
  QPushButton* startBtn_;
  QPushButton* cancelBtn_;
  QPushButton* settingsBtn_;
  QProgressBar* bars_[3];
  QLabel* status_;
  QLabel* madeData_;
  QLabel* buildDone_;  // hidden: the past-run build's completion text
  QTimer* timer_;
};

// Shows the dialog modally over the workbench's main window; onClosed as above.
void RunImportDialog(Workbench& wb, QWidget* parent, std::function<void()> onClosed);

}  // namespace kv::gui
