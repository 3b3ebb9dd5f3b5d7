#include "BacktestWindow.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPen>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSplitter>
#include <QTabWidget>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>

#include "GridView.h"
#include "QtPorts.h"
#include "jvlink/DayFileStore.h"
#include "text/Cp932.h"
#include "workbench/Workbench.h"

namespace kv::gui {

namespace {

QDate DateOf(const std::string& dayName) {
  return QDate::fromString(QString::fromStdString(DateOfDayName(dayName)), QStringLiteral("yyyyMMdd"));
}

std::string DayNameOf(const QDate& d) { return DayNameFromDate(d.toString(QStringLiteral("yyyyMMdd")).toStdString()); }

// One colour per bet type, apart from each other (the chart theme repeats after five).
QColor TypeColor(BetType t) {
  static const QColor colors[kBetTypeCount] = {QColor(31, 119, 180), QColor(44, 160, 44),  QColor(140, 86, 75),
                                               QColor(214, 39, 40),  QColor(148, 103, 189), QColor(255, 127, 14),
                                               QColor(23, 190, 207), QColor(227, 119, 194)};
  return colors[Index(t)];
}

QDateTime Noon(int yyyymmdd) {
  return QDateTime(QDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100), QTime(12, 0));
}

}  // namespace

BacktestWindow::BacktestWindow(Workbench& wb, QWidget* parent)
    : QDialog(parent), wb_(wb), run_(std::make_unique<BacktestRun>()) {
  setObjectName(QStringLiteral("BacktestWindow"));
  setWindowTitle(QStringLiteral("バックテスト"));
  setSizeGripEnabled(true);
  resize(1100, 760);

  const BacktestChoices choices = BacktestDefaults(wb_.GetSettings(), wb_.DayList());
  auto* v = new QVBoxLayout(this);

  auto* row = new QHBoxLayout();
  row->addWidget(new QLabel(QStringLiteral("期間"), this));
  from_ = new QDateEdit(this);
  to_ = new QDateEdit(this);
  for (QDateEdit* e : {from_, to_}) {
    e->setCalendarPopup(true);
    e->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
  }
  from_->setObjectName(QStringLiteral("BacktestFrom"));
  to_->setObjectName(QStringLiteral("BacktestTo"));
  const QDate today = QDate::currentDate();
  from_->setDate(choices.firstDay.empty() ? today.addYears(-1) : DateOf(choices.firstDay));
  to_->setDate(choices.lastDay.empty() ? today : DateOf(choices.lastDay));
  row->addWidget(from_);
  row->addWidget(new QLabel(QStringLiteral("～"), this));
  row->addWidget(to_);

  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("買い目候補馬設定"), this));
  set_ = new QComboBox(this);
  set_->setObjectName(QStringLiteral("BacktestSet"));
  for (const std::string& name : choices.sets) set_->addItem(Q(name));
  set_->setCurrentIndex(choices.set);
  row->addWidget(set_);

  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("資金配分"), this));
  mode_ = new QComboBox(this);
  mode_->setObjectName(QStringLiteral("BacktestMode"));
  for (int m = 0; m <= 3; ++m) mode_->addItem(Q(AllocationModeCaption(static_cast<AllocationMode>(m))));
  mode_->setCurrentIndex(static_cast<int>(choices.mode));
  row->addWidget(mode_);

  row->addSpacing(12);
  row->addWidget(new QLabel(QStringLiteral("投資金"), this));
  amount_ = new QLineEdit(this);
  amount_->setObjectName(QStringLiteral("BacktestAmount"));
  amount_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), amount_));
  amount_->setPlaceholderText(QStringLiteral("各レースの金額"));
  amount_->setToolTip(QStringLiteral("1レースあたりの金額（円）。空欄のときは各レースに保存された金額"));
  amount_->setMaximumWidth(110);
  row->addWidget(amount_);
  row->addWidget(new QLabel(QStringLiteral("円"), this));
  row->addStretch(1);

  runButton_ = new QPushButton(QStringLiteral("実行"), this);
  runButton_->setObjectName(QStringLiteral("BacktestRunButton"));
  runButton_->setDefault(true);
  cancelButton_ = new QPushButton(QStringLiteral("中止"), this);
  cancelButton_->setObjectName(QStringLiteral("BacktestCancelButton"));
  cancelButton_->setEnabled(false);
  row->addWidget(runButton_);
  row->addWidget(cancelButton_);
  v->addLayout(row);

  auto* progressRow = new QHBoxLayout();
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("BacktestProgress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progressText_ = new QLabel(this);
  progressText_->setMinimumWidth(220);
  progressRow->addWidget(progress_, 1);
  progressRow->addWidget(progressText_);
  v->addLayout(progressRow);

  notes_ = new QLabel(this);
  notes_->setObjectName(QStringLiteral("BacktestNotes"));
  notes_->setWordWrap(true);
  notes_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  v->addWidget(notes_);

  auto* split = new QSplitter(Qt::Vertical, this);
  tables_ = new QTabWidget(split);
  typeGrid_ = new GridView(tables_);
  typeGrid_->setObjectName(QStringLiteral("BacktestTypeGrid"));
  monthGrid_ = new GridView(tables_);
  monthGrid_->setObjectName(QStringLiteral("BacktestMonthGrid"));
  tables_->addTab(typeGrid_, QStringLiteral("券種別"));
  tables_->addTab(monthGrid_, QStringLiteral("月別"));
  chart_ = new QChartView(new QChart(), split);
  chart_->setObjectName(QStringLiteral("BacktestChart"));
  chart_->setRenderHint(QPainter::Antialiasing);
  split->addWidget(tables_);
  split->addWidget(chart_);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 2);
  split->setSizes({260, 520});
  v->addWidget(split, 1);

  byType_ = BacktestTypeGrid(*run_);
  byMonth_ = BacktestMonthGrid(*run_);
  typeGrid_->SetGrid(&byType_, BacktestGridLayout(1));
  monthGrid_->SetGrid(&byMonth_, BacktestGridLayout(2));
  DrawChart();

  connect(runButton_, &QPushButton::clicked, this, &BacktestWindow::Run);
  connect(cancelButton_, &QPushButton::clicked, this, [this] { cancel_ = true; });
}

BacktestWindow::~BacktestWindow() = default;

void BacktestWindow::reject() {
  if (running_) {
    cancel_ = true;  // the run stops before the next day; the window stays until then
    return;
  }
  QDialog::reject();
}

void BacktestWindow::Run() {
  if (running_) return;
  BacktestOptions o;
  o.firstDay = DayNameOf(from_->date());
  o.lastDay = DayNameOf(to_->date());
  if (o.lastDay < o.firstDay) {
    wb_.Ui().Info(J("期間の終わりが始まりより前です。"));
    return;
  }
  if (set_->currentIndex() >= 0) o.setName = Cp(set_->currentText());
  o.mode = static_cast<AllocationMode>(std::clamp(mode_->currentIndex(), 0, 3));
  if (!amount_->text().isEmpty()) o.amount = amount_->text().toLongLong();

  running_ = true;
  cancel_ = false;
  runButton_->setEnabled(false);
  cancelButton_->setEnabled(true);
  progressText_->clear();
  const BacktestRun run = RunBacktest(o, wb_.GetSettings(), wb_.Ui(), [this](const BacktestProgress& p) {
    progress_->setRange(0, std::max(p.days, 1));
    progress_->setValue(p.done);
    progressText_->setText(p.dayName.empty() ? QStringLiteral("%1日 終了").arg(p.days)
                                             : QStringLiteral("%1/%2  %3").arg(p.done + 1).arg(p.days).arg(Q(p.dayName)));
    QApplication::processEvents();
    return !cancel_;
  });
  running_ = false;
  runButton_->setEnabled(true);
  cancelButton_->setEnabled(false);
  if (!run.ok) {
    wb_.Ui().Info(run.error);
    return;
  }
  *run_ = run;
  if (run.cancelled) progressText_->setText(QStringLiteral("中止しました"));
  ShowRun();
}

void BacktestWindow::ShowRun() {
  QString notes;
  for (const std::string& line : BacktestNotes(*run_)) notes += (notes.isEmpty() ? QString() : QStringLiteral("\n")) + Q(line);
  notes_->setText(notes);
  byType_ = BacktestTypeGrid(*run_);
  byMonth_ = BacktestMonthGrid(*run_);
  typeGrid_->Refresh();
  monthGrid_->Refresh();
  typeGrid_->resizeColumnsToContents();
  monthGrid_->resizeColumnsToContents();
  DrawChart();
}

void BacktestWindow::DrawChart() {
  auto* chart = new QChart();
  chart->setTitle(QStringLiteral("券種別 累積収支（回収金額－投票金額、円）"));
  chart->legend()->setAlignment(Qt::AlignRight);
  const std::vector<BacktestSeries> all = BacktestBalanceSeries(*run_);
  if (!all.empty()) {
    auto* x = new QDateTimeAxis(chart);
    x->setFormat(QStringLiteral("yyyy/MM/dd"));
    x->setTitleText(QStringLiteral("開催日"));
    auto* y = new QValueAxis(chart);
    y->setTitleText(QStringLiteral("円"));
    y->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    long long lo = 0, hi = 0;
    int first = all.front().dates.front(), last = all.front().dates.back();
    for (const BacktestSeries& s : all) {
      auto* line = new QLineSeries(chart);
      line->setName(Q(BetName(*s.type)));
      QPen pen(TypeColor(*s.type));
      pen.setWidth(2);
      line->setPen(pen);
      for (size_t i = 0; i < s.dates.size(); ++i) {
        line->append(static_cast<qreal>(Noon(s.dates[i]).toMSecsSinceEpoch()), static_cast<qreal>(s.balance[i]));
        lo = std::min(lo, s.balance[i]);
        hi = std::max(hi, s.balance[i]);
      }
      first = std::min(first, s.dates.front());
      last = std::max(last, s.dates.back());
      chart->addSeries(line);
      line->attachAxis(x);
      line->attachAxis(y);
    }
    // A tick a day over a short range, about one a month over a year.
    const int span = static_cast<int>(Noon(first).daysTo(Noon(last)));
    x->setRange(Noon(first), Noon(last).addSecs(span == 0 ? 3600 : 0));
    x->setTickCount(std::clamp(span + 1, 2, 13));
    const long long pad = std::max<long long>((hi - lo) / 20, 1000);
    y->setRange(static_cast<qreal>(lo - pad), static_cast<qreal>(hi + pad));
    y->applyNiceNumbers();
  }
  QChart* old = chart_->chart();
  chart_->setChart(chart);
  delete old;
}

}  // namespace kv::gui
