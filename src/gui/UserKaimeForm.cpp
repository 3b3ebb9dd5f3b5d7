#include "UserKaimeForm.h"

#include <QComboBox>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "GuiFonts.h"
#include "QtPorts.h"
#include "text/Cp932.h"
#include "ScreenFit.h"

namespace kv::gui {

namespace {

const char* const kRoleCaptions[kRoles] = {"軸馬１設定", "軸馬２設定", "ヒモ馬設定"};
const char* const kOddsCaptions[kBetTypeCount] = {"単勝オッズ範囲", "複勝オッズ範囲", "枠連オッズ範囲",
                                                  "馬連オッズ範囲", "ワイドオッズ範囲", "馬単オッズ範囲",
                                                  "３連複オッズ範囲", "３連単オッズ範囲"};

QLabel* Text(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setWordWrap(true);
  return l;
}

}  // namespace

UserKaimeForm::UserKaimeForm(Workbench& wb, QWidget* parent)
    : QDialog(parent), wb_(wb), cs_((wb.Bets().OpenCandidateSettings(), wb.Bets().Candidates())) {
  setObjectName(QStringLiteral("UserKaimeForm"));
  setWindowTitle(QStringLiteral("(軸・ヒモ馬ユーザー設定)"));
  setFont(ProportionalFont(9));
  setModal(true);

  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(8, 8, 8, 8);
  v->addWidget(Text(QStringLiteral("軸１、軸２、紐馬およびオッズフィルターを指定します"), this));
  v->addWidget(Text(QStringLiteral("選択された馬はそれぞれ「軸馬１＝◎」「軸馬２＝○」「ヒモ馬＝▲」で出馬表の「ν」が入ります。"), this));
  v->addWidget(Text(QStringLiteral("買い目構築は「単複が◎」、「枠連、馬連、ワイド、馬単が◎－▲の流し」、「３連複、３連単が◎-○－▲のフォーメーション」で構成されます。"), this));

  auto* roles = new QHBoxLayout;
  for (int g = 0; g < kRoles; ++g) roles->addWidget(BuildRoleGroup(g));
  v->addLayout(roles);
  v->addWidget(BuildOddsGroup());

  auto* bottom = new QHBoxLayout;
  selector_ = new QComboBox(this);
  selector_->setObjectName(QStringLiteral("SetCombo"));
  selector_->setFont(FixedFont(10));
  selector_->setMinimumWidth(180);
  selector_->setEditable(false);
  connect(selector_, &QComboBox::currentIndexChanged, this, [this](int index) {
    if (filling_ || index < 0) return;
    if (const FileResult r = cs_.SelectSet(index); !r) wb_.Ui().Warning(ToCp932(r.error));
    ShowState();
  });
  name_ = new QLineEdit(Q(cs_.NameEdit), this);
  name_->setObjectName(QStringLiteral("SetNameEdit"));
  name_->setFont(FixedFont(10));
  name_->setMinimumWidth(160);
  connect(name_, &QLineEdit::textChanged, this, [this](const QString& t) { cs_.NameEdit = Cp(t); });
  add_ = new QPushButton(QStringLiteral("追加"), this);
  add_->setObjectName(QStringLiteral("AddButton"));
  add_->setToolTip(QStringLiteral("左の設定名で現在の画面の設定内容を保存します。"));
  connect(add_, &QPushButton::clicked, this, [this] {
    if (cs_.AddSet(wb_.Ui())) ShowSelector();
  });
  delete_ = new QPushButton(QStringLiteral("削除"), this);
  delete_->setObjectName(QStringLiteral("DeleteButton"));
  delete_->setToolTip(QStringLiteral("左に選択されている設定を削除します。"));
  connect(delete_, &QPushButton::clicked, this, [this] {
    if (cs_.DeleteSet(wb_.Ui())) ShowSelector();
  });
  auto* close = new QPushButton(QStringLiteral("閉じる"), this);
  close->setObjectName(QStringLiteral("CloseButton"));
  close->setToolTip(QStringLiteral("この画面を閉じます。"));
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  bottom->addWidget(new QLabel(QStringLiteral("設定名"), this));
  bottom->addWidget(selector_);
  bottom->addWidget(delete_);
  bottom->addSpacing(16);
  bottom->addWidget(name_);
  bottom->addWidget(add_);
  bottom->addStretch(1);
  bottom->addWidget(close);
  v->addLayout(bottom);

  ShowSelector();
  ShowState();
}

QWidget* UserKaimeForm::BuildRoleGroup(int role) {
  auto* box = new QGroupBox(QString::fromUtf8(kRoleCaptions[role]), this);
  box->setObjectName(QStringLiteral("RoleGroup%1").arg(role + 1));
  auto* g = new QGridLayout(box);
  g->setContentsMargins(4, 4, 4, 4);
  g->setHorizontalSpacing(2);
  for (int n = 0; n < kCriteria; ++n) {
    auto* caption = new QLabel(Q(CriterionCaption(n)), box);
    caption->setAlignment(Qt::AlignCenter);
    g->addWidget(caption, 0, n);
    auto* list = new QListWidget(box);
    list->setObjectName(QStringLiteral("CheckList_%1_%2").arg(role + 1).arg(n + 1));
    list->setFont(FixedFont(9));
    for (int r = 1; r <= kRankItems; ++r) {
      auto* item = new QListWidgetItem(Q(RankItemCaption(r)), list);
      item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
      item->setCheckState(Qt::Unchecked);
    }
    list->setFixedWidth(60);
    list->setMinimumHeight(list->sizeHintForRow(0) * kRankItems + 4);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->viewport()->installEventFilter(this);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QListWidget::itemChanged, this, [this, role, n, list](QListWidgetItem* item) {
      if (filling_) return;
      cs_.SetCheck(role, n, list->row(item) + 1, item->checkState() == Qt::Checked);
    });
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) {
      QMenu menu(this);
      QAction* all = menu.addAction(QStringLiteral("全選択"));
      QAction* none = menu.addAction(QStringLiteral("全クリア"));
      QAction* chosen = menu.exec(list->viewport()->mapToGlobal(at));
      if (chosen == all) cs_.SelectAllOnLastPressed();
      else if (chosen == none) cs_.ClearAllOnLastPressed();
      else return;
      ShowState();
    });
    lists_[static_cast<size_t>(role)][static_cast<size_t>(n)] = list;
    g->addWidget(list, 1, n);
  }
  return box;
}

QWidget* UserKaimeForm::BuildOddsGroup() {
  auto* box = new QGroupBox(QStringLiteral("オッズフィルター"), this);
  box->setObjectName(QStringLiteral("OddsFilterGroup"));
  auto* g = new QGridLayout(box);
  g->setContentsMargins(6, 4, 6, 4);
  const auto& fields = OddsBoundFields();
  for (int t = 0; t < kBetTypeCount; ++t) {
    const int row = t % 4, col = (t / 4) * 6;  // column 5 stays empty between the two blocks
    g->addWidget(new QLabel(QString::fromUtf8(kOddsCaptions[t]), box), row, col);
    for (int k = 0; k < 2; ++k) {
      const int field = 2 * t + k;
      auto* spin = new QSpinBox(box);
      spin->setObjectName(QString::fromLatin1(fields[static_cast<size_t>(field)].name));
      spin->setRange(fields[static_cast<size_t>(field)].min, fields[static_cast<size_t>(field)].max);
      spin->setAlignment(Qt::AlignRight);
      spin->setFixedWidth(90);
      connect(spin, &QSpinBox::valueChanged, this, [this, field](int value) {
        if (!filling_) cs_.SetBound(field, value);
      });
      bounds_[static_cast<size_t>(field)] = spin;
      g->addWidget(spin, row, col + 1 + 2 * k);
      g->addWidget(new QLabel(k == 0 ? QStringLiteral("倍～") : QStringLiteral("倍"), box), row, col + 2 + 2 * k);
    }
  }
  g->setColumnMinimumWidth(5, 24);
  g->setColumnStretch(11, 1);
  return box;
}

void UserKaimeForm::ShowState() {
  filling_ = true;
  for (int g = 0; g < kRoles; ++g)
    for (int n = 0; n < kCriteria; ++n) {
      QListWidget* list = CheckList(g, n);
      for (int r = 1; r <= kRankItems; ++r)
        list->item(r - 1)->setCheckState(cs_.Check(g, n, r) ? Qt::Checked : Qt::Unchecked);
    }
  for (int i = 0; i < kOddsBounds; ++i) bounds_[static_cast<size_t>(i)]->setValue(cs_.Bound(i));
  filling_ = false;
}

void UserKaimeForm::ShowSelector() {
  filling_ = true;
  selector_->clear();
  for (const std::string& name : cs_.SelectorItems()) selector_->addItem(Q(name));
  selector_->setCurrentIndex(cs_.SelectedIndex());
  filling_ = false;
}

bool UserKaimeForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    for (int g = 0; g < kRoles; ++g)
      for (int n = 0; n < kCriteria; ++n)
        if (watched == CheckList(g, n)->viewport()) cs_.PressCheckList(g, n);
  }
  return QDialog::eventFilter(watched, event);
}

void UserKaimeForm::SavePosition() {
  const QPoint p = pos();
  wb_.Bets().SaveCandidateDialogPosition({p.y(), p.x()});
}

void UserKaimeForm::showEvent(QShowEvent* event) {
  const CandidateSettings::Position p = wb_.Bets().CandidateDialogPosition();
  move(p.left, p.top);
  FitOnScreen(this);  // the stored place may hang over the screen's edge
  QDialog::showEvent(event);
}

void UserKaimeForm::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) SavePosition();
}

void UserKaimeForm::done(int result) {
  SavePosition();
  QDialog::done(result);
}

}  // namespace kv::gui
