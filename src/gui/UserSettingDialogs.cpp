#include "UserSettingDialogs.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>

#include "GuiFonts.h"
#include "QtPorts.h"
#include "workbench/Workbench.h"

namespace kv::gui {

namespace {

QLabel* Note(const QString& text, QWidget* parent) {
  auto* l = new QLabel(text, parent);
  l->setWordWrap(true);
  l->setMinimumWidth(320);
  return l;
}

QSpinBox* Spin(const IntRange& range, int value, QWidget* parent) {
  auto* s = new QSpinBox(parent);
  s->setRange(range.min, range.max);
  s->setValue(range.Clamp(value));
  s->setAlignment(Qt::AlignRight);
  return s;
}

QDialogButtonBox* OkCancel(QDialog* d) {
  auto* b = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, d);
  QObject::connect(b, &QDialogButtonBox::accepted, d, &QDialog::accept);
  QObject::connect(b, &QDialogButtonBox::rejected, d, &QDialog::reject);
  return b;
}

}  // namespace

DataSpanDialog::DataSpanDialog(Workbench& wb, QWidget* parent) : QDialog(parent), wb_(wb) {
  setObjectName(QStringLiteral("DataSpanDialog"));
  setWindowTitle(QStringLiteral("過去走データ利用範囲指定"));
  setFont(ProportionalFont(10));
  auto* v = new QVBoxLayout(this);
  v->addWidget(Note(QStringLiteral("馬同士の能力比較に利用するデータの範囲を日単位で指定してください。なお、365日（1年分）未満には指定できません。"), this));
  auto* h = new QHBoxLayout;
  field_ = Spin(kDataSpanRange, wb.DataSpanPreset(), this);
  h->addWidget(field_);
  h->addWidget(new QLabel(QStringLiteral("日"), this));
  h->addStretch();
  v->addLayout(h);
  v->addWidget(OkCancel(this));
}

void DataSpanDialog::accept() {
  wb_.ApplyDataSpan(field_->value());
  QDialog::accept();
}

TimingDialog::TimingDialog(Workbench& wb, QWidget* parent) : QDialog(parent), wb_(wb) {
  setObjectName(QStringLiteral("TimingDialog"));
  setWindowTitle(QStringLiteral("データﾞ自動取得時刻指定"));
  setFont(ProportionalFont(10));
  const TimingSettings t = wb.TimingPreset();
  voteInterval_ = t.voteInterval;
  auto* v = new QVBoxLayout(this);

  auto* odds = new QGroupBox(QStringLiteral("オッズ自動取得"), this);
  auto* og = new QGridLayout(odds);
  og->addWidget(Note(QStringLiteral("ｵｯｽﾞを自動取得する際に各ﾚｰｽ発走何分前に取得機能を起動するかを指定します。"), odds), 0, 0, 1, 4);
  oddsMinutes_ = Spin(kOddsMinutesRange, t.oddsMinutes, odds);
  oddsSeconds_ = Spin(kOddsSecondsRange, t.oddsSeconds, odds);
  og->addWidget(oddsMinutes_, 1, 0);
  og->addWidget(new QLabel(QStringLiteral("分"), odds), 1, 1);
  og->addWidget(oddsSeconds_, 1, 2);
  og->addWidget(new QLabel(QStringLiteral("秒前"), odds), 1, 3);
  v->addWidget(odds);

  auto* results = new QGroupBox(QStringLiteral("レース結果自動取得"), this);
  auto* rg = new QGridLayout(results);
  rg->addWidget(Note(QStringLiteral("随時更新されるﾚｰｽ結果情報を何分おきに自動取得するか指定します。"), results), 0, 0, 1, 2);
  resultMinutes_ = Spin(kResultMinutesRange, t.resultMinutes, results);
  rg->addWidget(resultMinutes_, 1, 0);
  rg->addWidget(new QLabel(QStringLiteral("分"), results), 1, 1);
  v->addWidget(results);
  v->addWidget(OkCancel(this));
}

void TimingDialog::accept() {
  TimingSettings t;
  t.oddsMinutes = oddsMinutes_->value();
  t.oddsSeconds = oddsSeconds_->value();
  t.voteInterval = voteInterval_;
  t.resultMinutes = resultMinutes_->value();
  wb_.ApplyTiming(t);
  QDialog::accept();
}

StakeDialog::StakeDialog(Workbench& wb, QWidget* parent) : QDialog(parent), wb_(wb) {
  setObjectName(QStringLiteral("StakeDialog"));
  setWindowTitle(QStringLiteral("投資金設定"));
  setFont(ProportionalFont(10));
  auto* v = new QVBoxLayout(this);
  auto* box = new QGroupBox(QStringLiteral("投資金額初期設定"), this);
  auto* bv = new QVBoxLayout(box);
  bv->addWidget(Note(QStringLiteral("買い目を作成するための1レースあたりの投資金額を設定します。"), box));
  auto* h = new QHBoxLayout;
  field_ = new QSpinBox(box);
  field_->setRange(0, kStakeFieldMax);  // six digits, no sign; the minimum is applied on OK
  field_->setValue(wb.StakePreset());
  field_->setAlignment(Qt::AlignRight);
  h->addWidget(field_);
  h->addWidget(new QLabel(QStringLiteral("円"), box));
  h->addStretch();
  bv->addLayout(h);
  v->addWidget(box);
  v->addWidget(OkCancel(this));
}

void StakeDialog::accept() {
  wb_.ApplyStake(field_->value());
  QDialog::accept();
}

OddsCeilingDialog::OddsCeilingDialog(Workbench& wb, QWidget* parent) : QDialog(parent), wb_(wb) {
  setObjectName(QStringLiteral("OddsCeilingDialog"));
  setWindowTitle(QStringLiteral("ｵｯｽﾞｼｷｲ値設定"));
  setFont(ProportionalFont(10));
  auto* v = new QVBoxLayout(this);
  v->addWidget(Note(QStringLiteral("ﾃﾞｰﾀ量が少ないのに強い馬もいます。これを考慮するためにｵｯｽﾞで人気化している馬を勝数または勝ﾎﾟｲﾝﾄを逆順で並べ替えた順位を利用するのも有効となります。ここではそのｵｯｽﾞの上限値を指定します。"), this));
  auto* h = new QHBoxLayout;
  h->addWidget(new QLabel(QStringLiteral("ｵｯｽﾞの上限値："), this));
  field_ = new QLineEdit(Q(wb.OddsCeilingPreset()).trimmed(), this);
  // One decimal, at most two integer digits.
  field_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral(R"(\d{0,2}(\.\d?)?)")), field_));
  field_->setAlignment(Qt::AlignRight);
  field_->setMaximumWidth(80);
  h->addWidget(field_);
  h->addStretch();
  v->addLayout(h);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QDialogButtonBox::Ok);
  QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
  connect(ok, &QPushButton::clicked, this, &OddsCeilingDialog::ApplyField);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  v->addWidget(buttons);
}

void OddsCeilingDialog::ApplyField() { wb_.ApplyOddsCeiling(Cp(field_->text())); }

}  // namespace kv::gui
