#include "ComparisonPages.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QTabWidget>
#include <QVBoxLayout>

#include "GridView.h"
#include "GuiFonts.h"
#include "QtPorts.h"
#include "workbench/MainGrids.h"

namespace kv::gui {

namespace {

QPushButton* Button(const QString& name, const QString& text, const QString& hint, QWidget* parent) {
  auto* b = new QPushButton(text, parent);
  b->setObjectName(name);
  if (!hint.isEmpty()) {
    b->setToolTip(hint);
    b->setStatusTip(hint);
  }
  return b;
}

int TabOf(QTabWidget* tabs, const QString& objectName) {
  for (int i = 0; i < tabs->count(); ++i)
    if (tabs->widget(i)->objectName() == objectName) return i;
  return -1;
}

}  // namespace

ComparisonPages::ComparisonPages(Workbench& wb, QTabWidget* tabs) : QObject(tabs), wb_(wb), tabs_(tabs) {
  wb_.Views().SetOnChanged([this](AnalysisTab tab) { OnChanged(tab); });
}

QWidget* ComparisonPages::BuildCompareBar(QWidget* parent) {
  auto* bar = new QWidget(parent);
  bar->setObjectName(QStringLiteral("CompareBar"));
  auto* h = new QHBoxLayout(bar);
  h->setContentsMargins(0, 0, 0, 0);
  auto nameBox = [bar, h](const QString& caption, const QString& name, QLineEdit*& box, QLabel*& weight) {
    h->addWidget(new QLabel(caption, bar));
    box = new QLineEdit(bar);
    box->setObjectName(name + QStringLiteral("Edit"));
    box->setReadOnly(true);
    box->setFont(FixedFont(9));
    box->setFixedWidth(150);
    h->addWidget(box);
    weight = new QLabel(bar);
    weight->setObjectName(name + QStringLiteral("WeightLabel"));
    weight->setFont(FixedFont(9));
    weight->setMinimumWidth(36);
    h->addWidget(weight);
  };
  nameBox(QStringLiteral("馬A"), QStringLiteral("HorseA"), nameA_, weightA_);
  nameBox(QStringLiteral("馬B"), QStringLiteral("HorseB"), nameB_, weightB_);
  auto* compare = Button(QStringLiteral("TwoHorseButton"), QStringLiteral("２頭の比較"),
                         QStringLiteral("指定した２頭の比較を行います"), bar);
  auto* direct = Button(QStringLiteral("DirectButton"), QStringLiteral("直接対決の比較"),
                        QStringLiteral("指定された２頭の直接対決を比較します"), bar);
  auto* clear = Button(QStringLiteral("CompareClearButton"), QStringLiteral("クリア"), {}, bar);
  auto* print = Button(QStringLiteral("ComparePrintButton"), QStringLiteral("印刷"),
                       QStringLiteral("２頭比較の結果を印刷します"), bar);
  connect(print, &QPushButton::clicked, this, [this] {
    if (onPrint_) onPrint_();
  });
  connect(compare, &QPushButton::clicked, this, [this] { wb_.Views().CompareTwoHorses(); });
  connect(direct, &QPushButton::clicked, this, [this] { wb_.Views().CompareDirect(); });
  connect(clear, &QPushButton::clicked, this, [this] { wb_.Views().Clear(); });
  h->addWidget(compare);
  h->addWidget(direct);
  h->addWidget(clear);
  h->addWidget(print);
  h->addStretch(1);
  return bar;
}

QWidget* ComparisonPages::BuildTwoHorsePage() {
  auto* page = new QWidget(tabs_);
  page->setObjectName(QStringLiteral("TwoHorsePage"));
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(2, 2, 2, 2);
  auto* top = new QHBoxLayout;
  counter_ = new QLabel(page);
  counter_->setObjectName(QStringLiteral("TwoHorseCounterLabel"));
  top->addWidget(counter_);
  top->addSpacing(20);
  const QString captions[4] = {QStringLiteral("A Pt:"), QStringLiteral("B Pt:"), QStringLiteral("A 独Pt:"),
                               QStringLiteral("B 独Pt:")};
  for (int i = 0; i < 4; ++i) {
    top->addWidget(new QLabel(captions[i], page));
    summary_[static_cast<size_t>(i)] = new QLabel(page);
    summary_[static_cast<size_t>(i)]->setObjectName(QStringLiteral("TwoHorseSummary%1").arg(i));
    summary_[static_cast<size_t>(i)]->setFont(FixedFont(10, true));
    summary_[static_cast<size_t>(i)]->setMinimumWidth(30);
    top->addWidget(summary_[static_cast<size_t>(i)]);
  }
  top->addStretch(1);
  v->addLayout(top);
  twoHorseGrid_ = new GridView(page);
  twoHorseGrid_->setObjectName(QStringLiteral("TwoHorseGrid"));
  twoHorseGrid_->SetGrid(&wb_.Grids().twoHorse, TwoHorseLayout());
  v->addWidget(twoHorseGrid_, 1);
  AddCopyMenu(twoHorseGrid_, QStringLiteral("CopyTwoHorseAction"), QStringLiteral("比較結果をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ(&C)"),
              &ComparisonViews::CopyTwoHorse);
  return page;
}

QWidget* ComparisonPages::BuildKtPage() {
  auto* page = new QWidget(tabs_);
  page->setObjectName(QStringLiteral("KtPage"));
  auto* v = new QVBoxLayout(page);
  v->setContentsMargins(2, 2, 2, 2);
  auto* top = new QHBoxLayout;
  auto* run = Button(QStringLiteral("KtRunButton"), QStringLiteral("集計"), {}, page);
  connect(run, &QPushButton::clicked, this, [this] { wb_.Views().RunKt(); });
  top->addWidget(run);
  top->addStretch(1);
  v->addLayout(top);
  auto* split = new QSplitter(Qt::Vertical, page);
  ktDataGrid_ = new GridView(split);
  ktDataGrid_->setObjectName(QStringLiteral("KtDataGrid"));
  ktDataGrid_->SetGrid(&wb_.Grids().ktData, KtDataLayout());
  ktMatrixGrid_ = new GridView(split);
  ktMatrixGrid_->setObjectName(QStringLiteral("KtMatrixGrid"));
  ktMatrixGrid_->SetGrid(&wb_.Grids().ktMatrix, KtMatrixLayout());
  split->addWidget(ktDataGrid_);
  split->addWidget(ktMatrixGrid_);
  v->addWidget(split, 1);
  AddCopyMenu(ktDataGrid_, QStringLiteral("CopyKtDataAction"), QStringLiteral("採用データ表をコピー"),
              &ComparisonViews::CopyKtData);
  AddCopyMenu(ktMatrixGrid_, QStringLiteral("CopyKtMatrixAction"), QStringLiteral("マトリクス表をコピー"),
              &ComparisonViews::CopyKtMatrix);
  return page;
}

void ComparisonPages::AddCompareTableMenus(GridView* compareDetail, GridView* winLoss) {
  AddCopyMenu(compareDetail, QStringLiteral("CopyCompareDetailAction"), QStringLiteral("比較詳細表をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ(&C)"),
              &ComparisonViews::CopyCompareDetail);
  AddCopyMenu(winLoss, QStringLiteral("CopyWinLossAction"), QStringLiteral("比較勝敗表をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ(&C)"),
              &ComparisonViews::CopyWinLoss);
}

void ComparisonPages::AddCopyMenu(GridView* grid, const QString& name, const QString& text,
                                  void (ComparisonViews::*copy)()) {
  grid->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* menu = new QMenu(grid);
  QAction* a = menu->addAction(text);
  a->setObjectName(name);
  connect(a, &QAction::triggered, this, [this, copy] { (wb_.Views().*copy)(); });
  connect(grid, &QWidget::customContextMenuRequested, menu,
          [grid, menu](const QPoint& pos) { menu->popup(grid->viewport()->mapToGlobal(pos)); });
}

void ComparisonPages::SyncPicks() {
  if (!nameA_) return;
  const ComparePick& p = wb_.CompareHorses();
  nameA_->setText(Q(p.nameA));
  nameB_->setText(Q(p.nameB));
  weightA_->setText(Q(p.weightA));
  weightB_->setText(Q(p.weightB));
}

void ComparisonPages::OnChanged(AnalysisTab tab) {
  for (GridView* g : {twoHorseGrid_, ktDataGrid_, ktMatrixGrid_}) g->Refresh();
  const ComparisonViews& v = wb_.Views();
  counter_->setText(Q(v.Counter()));
  for (size_t i = 0; i < summary_.size(); ++i) summary_[i]->setText(Q(v.Summary()[i]));
  SyncPicks();
  const QString page = tab == AnalysisTab::TwoHorse ? QStringLiteral("TwoHorsePage")
                       : tab == AnalysisTab::Kt     ? QStringLiteral("KtPage")
                                                    : QStringLiteral("EntryPage");
  if (const int i = TabOf(tabs_, page); i >= 0) tabs_->setCurrentIndex(i);
}

}  // namespace kv::gui
