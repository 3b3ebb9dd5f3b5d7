#include "VerificationPage.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "GridView.h"
#include "verify/VerificationTable.h"
#include "workbench/VerificationCommands.h"
#include "workbench/Workbench.h"

namespace kv::gui {

VerificationPage::VerificationPage(Workbench& wb, QWidget* parent) : QWidget(parent), wb_(wb) {
  setObjectName(QStringLiteral("VerificationPage"));
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(2, 2, 2, 2);
  auto* bar = new QHBoxLayout;
  tallyButton_ = new QPushButton(QStringLiteral("集計"), this);
  tallyButton_->setObjectName(QStringLiteral("VerificationTallyButton"));
  auto* copy = new QPushButton(QStringLiteral("ｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ"), this);
  copy->setObjectName(QStringLiteral("VerificationCopyButton"));
  auto* csv = new QPushButton(QStringLiteral("CSVファイル"), this);
  csv->setObjectName(QStringLiteral("VerificationCsvButton"));
  bar->addWidget(tallyButton_);
  bar->addWidget(copy);
  bar->addWidget(csv);
  bar->addStretch(1);
  v->addLayout(bar);

  grid_ = new GridView(this);
  grid_->setObjectName(QStringLiteral("VerificationGrid"));
  grid_->SetGrid(&wb_.Grids().verification, VerificationLayout());
  v->addWidget(grid_, 1);

  askSavePath = [this](const QString& proposal) {
    return QFileDialog::getSaveFileName(this, QStringLiteral("CSVファイル"), proposal,
                                        QStringLiteral("CSVファイル (*.csv)"));
  };
  connect(tallyButton_, &QPushButton::clicked, this, &VerificationPage::Tally);
  connect(copy, &QPushButton::clicked, this, &VerificationPage::Copy);
  connect(csv, &QPushButton::clicked, this, &VerificationPage::ExportCsv);
}

void VerificationPage::Tally() {
  // Selecting each race lets pending window messages run: the button stays off meanwhile.
  tallyButton_->setEnabled(false);
  TallyVerificationTable(wb_);
  tallyButton_->setEnabled(true);
  grid_->Refresh();
}

void VerificationPage::Copy() { CopyVerificationTable(wb_); }

void VerificationPage::ExportCsv() {
  const std::string proposal = ProposeVerificationCsvPath(wb_);
  if (proposal.empty()) return;  // no day chosen
  QString path = askSavePath(QString::fromStdString(proposal));
  if (path.isEmpty()) return;  // cancelled: nothing is written
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".csv");
  ExportVerificationCsv(wb_, path.toStdString());
}

}  // namespace kv::gui
