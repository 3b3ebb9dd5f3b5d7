#include "ImportDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include "QtPorts.h"
#include "workbench/Workbench.h"

namespace kv::gui {

namespace {

QDateTime ToQt(const DateTime& t) {
  return QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
}

DateTime FromQt(const QDateTime& q) {
  const QDate d = q.date();
  const QTime t = q.time();
  return DateTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(), 0};
}

}  // namespace

ImportDialog::ImportDialog(Settings& settings, UiPort& ui, const Clock& clock, JVLink& jv,
                           std::function<void()> onClosed, QWidget* parent)
    : QDialog(parent), import_(settings, ui, clock, jv), onClosed_(std::move(onClosed)) {
  setObjectName(QStringLiteral("TGetDataForm"));
  setWindowTitle(QStringLiteral("ＪＶデータ取込"));

  auto* v = new QVBoxLayout(this);

  auto* choice = new QGroupBox(QStringLiteral("取得データ"), this);
  auto* ch = new QHBoxLayout(choice);
  normalBtn_ = new QRadioButton(QStringLiteral("通常データ"), choice);
  normalBtn_->setObjectName(QStringLiteral("NormalDataRadio"));
  setupBtn_ = new QRadioButton(QStringLiteral("セットアップデータ"), choice);
  setupBtn_->setObjectName(QStringLiteral("SetupDataRadio"));
  ch->addWidget(normalBtn_);
  ch->addWidget(setupBtn_);
  v->addWidget(choice);

  auto* dateBox = new QGroupBox(QStringLiteral("データ提供日FROM"), this);
  auto* dh = new QHBoxLayout(dateBox);
  dh->addWidget(new QLabel(QStringLiteral("取得開始日付"), dateBox));
  fromEdit_ = new QDateTimeEdit(dateBox);
  fromEdit_->setObjectName(QStringLiteral("FromDateEdit"));
  fromEdit_->setDisplayFormat(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
  fromEdit_->setCalendarPopup(true);
  dh->addWidget(fromEdit_, 1);
  fromText_ = new QLabel(dateBox);
  fromText_->setObjectName(QStringLiteral("FromDateText"));
  fromText_->hide();
  dh->addWidget(fromText_);
  v->addWidget(dateBox);

  oddsBox_ = new QCheckBox(QStringLiteral("確定オッズも合わせて取得する"), this);
  oddsBox_->setObjectName(QStringLiteral("FinalOddsCheck"));
  v->addWidget(oddsBox_);
  auto* note = new QLabel(QStringLiteral("↑ここをチェックすると取得期間に取得済みのオッズがある場合は確定オッズに上書き"
                                         "されますので、ご注意ください。"),
                          this);
  note->setWordWrap(true);
  v->addWidget(note);

  auto* buttons = new QHBoxLayout;
  startBtn_ = new QPushButton(QStringLiteral("データ取込"), this);
  startBtn_->setObjectName(QStringLiteral("StartButton"));
  cancelBtn_ = new QPushButton(QStringLiteral("データ取込中止"), this);
  cancelBtn_->setObjectName(QStringLiteral("CancelButton"));
  settingsBtn_ = new QPushButton(QStringLiteral("JV-Link設定"), this);
  settingsBtn_->setObjectName(QStringLiteral("JVLinkSettingsButton"));
  for (QPushButton* b : {startBtn_, cancelBtn_, settingsBtn_}) {
    b->setAutoDefault(false);
    buttons->addWidget(b);
  }
  v->addLayout(buttons);

  auto* grid = new QGridLayout;
  const QString captions[3] = {QStringLiteral("ダウンロード"), QStringLiteral("読込み"), QStringLiteral("過去データ構築")};
  const QString names[3] = {QStringLiteral("DownloadBar"), QStringLiteral("ReadingBar"), QStringLiteral("PastRunBar")};
  for (int i = 0; i < 3; ++i) {
    grid->addWidget(new QLabel(captions[i], this), i, 0);
    bars_[i] = new QProgressBar(this);
    bars_[i]->setObjectName(names[i]);
    bars_[i]->setRange(0, 100);
    bars_[i]->setValue(0);
    grid->addWidget(bars_[i], i, 1);
  }
  v->addLayout(grid);

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("StatusLine"));
  v->addWidget(status_);
  auto* made = new QHBoxLayout;
  made->addWidget(new QLabel(QStringLiteral("作成データ"), this));
  madeData_ = new QLabel(this);
  madeData_->setObjectName(QStringLiteral("MadeDataLine"));
  made->addWidget(madeData_, 1);
  v->addLayout(made);
  buildDone_ = new QLabel(this);
  buildDone_->setObjectName(QStringLiteral("BuildDoneLabel"));
  buildDone_->hide();
  v->addWidget(buildDone_);

  timer_ = new QTimer(this);
  timer_->setInterval(kImportPollIntervalMs);
  connect(timer_, &QTimer::timeout, this, [this] {
    import_.PollStatus();
    UpdateEnabled();
  });

  connect(normalBtn_, &QRadioButton::toggled, this, [this](bool on) {
    if (!showing_) import_.SetSetupData(!on);
  });
  connect(fromEdit_, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& t) {
    if (!showing_) import_.SetFromDate(FromQt(t));
  });
  connect(oddsBox_, &QCheckBox::clicked, this, [this](bool on) { import_.SetFinalOdds(on); });
  connect(startBtn_, &QPushButton::clicked, this, &ImportDialog::OnStart);
  connect(cancelBtn_, &QPushButton::clicked, this, [this] {
    import_.Cancel();
    UpdateEnabled();
  });
  connect(settingsBtn_, &QPushButton::clicked, this, [this] { import_.JVLinkSettings(); });

  import_.SetView(this);
  import_.Open();
  UpdateEnabled();
}

ImportDialog::~ImportDialog() { import_.SetView(nullptr); }

void ImportDialog::OnStart() {
  startBtn_->setEnabled(false);  // no second start while the first one reads
  import_.Start();
  UpdateEnabled();
}

void ImportDialog::done(int result) {
  if (import_.Busy()) {
    QApplication::beep();
    return;
  }
  if (!closing_) {
    closing_ = true;
    if (onClosed_) onClosed_();
  }
  QDialog::done(result);
}

void ImportDialog::ShowForm() {
  showing_ = true;
  (import_.SetupData() ? setupBtn_ : normalBtn_)->setChecked(true);
  fromEdit_->setDateTime(ToQt(import_.FromDate()));
  fromText_->setText(Q(import_.FromDateText()));
  oddsBox_->setChecked(import_.FinalOdds());
  showing_ = false;
}

void ImportDialog::UpdateEnabled() {
  const bool idle = !import_.Busy();
  startBtn_->setEnabled(idle);
  settingsBtn_->setEnabled(idle);
  normalBtn_->setEnabled(idle);
  setupBtn_->setEnabled(idle);
  fromEdit_->setEnabled(idle);
  oddsBox_->setEnabled(idle);
}

void ImportDialog::StatusLine(const std::string& text) {
  status_->setText(Q(text));
  status_->repaint();
}

void ImportDialog::MadeDataLine(const std::string& text) { madeData_->setText(Q(text)); }

void ImportDialog::Bar(ImportBar bar, int position, int maximum) {
  QProgressBar* b = bars_[static_cast<int>(bar)];
  b->setRange(0, std::max(maximum, 1));
  b->setValue(position);
}

void ImportDialog::PollTimer(bool running) {
  if (running)
    timer_->start();
  else
    timer_->stop();
}

void ImportDialog::FormChanged() { ShowForm(); }

void ImportDialog::BuildDoneLine(const std::string& text) { buildDone_->setText(Q(text)); }

void RunImportDialog(Workbench& wb, QWidget* parent, std::function<void()> onClosed) {
  ImportDialog dlg(wb.GetSettings(), wb.Ui(), wb.GetClock(), wb.JV(), std::move(onClosed), parent);
  dlg.exec();
}

}  // namespace kv::gui
