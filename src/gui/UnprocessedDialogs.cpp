#include "UnprocessedDialogs.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "QtPorts.h"
#include "compare/UnprocessedDays.h"
#include "workbench/Workbench.h"

namespace kv::gui {

UnprocessedYearDialog::UnprocessedYearDialog(int year, int lastYear, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("UnprocessedYearDialog"));
  setWindowTitle(QStringLiteral("未読込データ処理"));
  auto* v = new QVBoxLayout(this);
  auto* text = new QLabel(Q(UnprocessedYearExplanation()), this);
  text->setWordWrap(true);
  text->setMinimumWidth(360);
  v->addWidget(text);
  auto* h = new QHBoxLayout;
  year_ = new QSpinBox(this);
  year_->setObjectName(QStringLiteral("YearSpin"));
  year_->setRange(kFirstUnprocessedYear, std::max(kFirstUnprocessedYear, lastYear));
  year_->setValue(year);
  h->addWidget(year_);
  h->addWidget(new QLabel(Q(UnprocessedYearLabel()), this));
  h->addStretch(1);
  v->addLayout(h);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  v->addWidget(buttons);
}

int UnprocessedYearDialog::Year() const { return year_->value(); }

UnprocessedListDialog::UnprocessedListDialog(Workbench& wb, const std::string& heading, const std::string& text,
                                             const std::vector<std::string>& days, QWidget* parent)
    : QDialog(parent), wb_(wb), days_(days) {
  setObjectName(QStringLiteral("UnprocessedListDialog"));
  setWindowTitle(QStringLiteral("未処理データリスト"));
  auto* v = new QVBoxLayout(this);
  v->addWidget(new QLabel(Q(heading), this));
  v->addWidget(new QLabel(Q(text), this));
  auto* list = new QListWidget(this);
  list->setObjectName(QStringLiteral("UnprocessedList"));
  for (const std::string& d : days_) list->addItem(Q(d));
  v->addWidget(list);
  auto* h = new QHBoxLayout;
  h->addStretch(1);
  start_ = new QPushButton(QStringLiteral("Start"), this);
  start_->setObjectName(QStringLiteral("StartButton"));
  connect(start_, &QPushButton::clicked, this, &UnprocessedListDialog::Start);
  h->addWidget(start_);
  auto* close = new QPushButton(QStringLiteral("閉じる"), this);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  h->addWidget(close);
  v->addLayout(h);
}

void UnprocessedListDialog::Start() {
  start_->setEnabled(false);
  wb_.ProcessUnprocessed(days_);
  start_->setEnabled(true);
}

void RunUnprocessedDays(Workbench& wb, QWidget* parent) {
  int year = 0;
  if (!wb.OpenUnprocessedDays(year)) return;
  UnprocessedYearDialog yearDialog(year, year, parent);
  if (yearDialog.exec() != QDialog::Accepted) return;
  const UnprocessedDaysQuery q = wb.QueryUnprocessed(yearDialog.Year());
  if (q.days.empty()) return;  // the message was shown
  UnprocessedListDialog list(wb, q.heading, q.text, q.days, parent);
  list.exec();
}

}  // namespace kv::gui
