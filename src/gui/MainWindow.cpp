#include "MainWindow.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QButtonGroup>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <tuple>

#include "BacktestWindow.h"
#include "ComparisonPages.h"
#include "DrawnCellDelegate.h"
#include "FrozenColumnView.h"
#include "GridView.h"
#include "GuiFonts.h"
#include "ImportDialog.h"
#include "KaimeForm.h"
#include "OddsChartPage.h"
#include "PagePainter.h"
#include "PrintPreview.h"
#include "QtPorts.h"
#include "UserKaimeForm.h"
#include "UnprocessedDialogs.h"
#include "UserSettingDialogs.h"
#include "VerificationPage.h"
#include "bets/Marking.h"
#include "compare/CompareTables.h"
#include "compare/EntryTableSort.h"
#include "text/Cp932.h"
#include "workbench/DetailEntryTable.h"
#include "workbench/PrintCommands.h"
#include "workbench/VerificationCommands.h"

namespace kv::gui {

namespace {

QString U(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

QLabel* HeaderLabel(const QString& name, QWidget* parent, int pointSize = 11, bool bold = false) {
  auto* l = new QLabel(parent);
  l->setObjectName(name);
  l->setFont(FixedFont(pointSize, bold));
  l->setStyleSheet(QStringLiteral("color: white;"));
  return l;
}

}  // namespace

MainWindow::MainWindow(Workbench& wb, QtUiPort* ui, QWidget* parent) : QMainWindow(parent), wb_(wb) {
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QString::fromLatin1(kProgramTitle));
  setFont(ProportionalFont(9));
  BuildMenus();

  auto* central = new QWidget(this);
  auto* v = new QVBoxLayout(central);
  v->setContentsMargins(4, 4, 4, 4);
  v->setSpacing(4);
  v->addWidget(BuildButtonBar());

  auto* split = new QSplitter(Qt::Horizontal, central);
  split->setObjectName(QStringLiteral("MainSplitter"));
  raceListPanel_ = new QWidget(split);
  raceListPanel_->setObjectName(QStringLiteral("RaceListPanel"));
  auto* rl = new QVBoxLayout(raceListPanel_);
  rl->setContentsMargins(0, 0, 0, 0);
  raceList_ = new QListWidget(raceListPanel_);
  raceList_->setObjectName(QStringLiteral("RaceList"));
  raceList_->setFont(FixedFont(11));
  rl->addWidget(raceList_);
  raceListPanel_->setMinimumWidth(110);
  raceListPanel_->setMaximumWidth(200);

  analysisArea_ = new QWidget(split);
  analysisArea_->setObjectName(QStringLiteral("AnalysisArea"));
  auto* av = new QVBoxLayout(analysisArea_);
  av->setContentsMargins(0, 0, 0, 0);
  av->setSpacing(4);
  av->addWidget(BuildRaceHeader());
  auto* statusRow = new QHBoxLayout;
  compareStatus_ = new QLabel(analysisArea_);
  compareStatus_->setObjectName(QStringLiteral("CompareStatusLabel"));
  statusRow->addWidget(compareStatus_, 1);
  // The hit report of the loaded day: every hit (的中) or the long shots only (穴的中).
  for (const auto& [name, caption, kind] : {std::tuple{"HitButton", "的中", HitKind::All},
                                            std::tuple{"LongShotHitButton", "穴的中", HitKind::LongShot}}) {
    auto* b = new QPushButton(QString::fromUtf8(caption), analysisArea_);
    b->setObjectName(QString::fromLatin1(name));
    connect(b, &QPushButton::clicked, this, [this, kind] { ReportHits(wb_, kind); });
    statusRow->addWidget(b);
  }
  av->addLayout(statusRow);
  av->addWidget(BuildSortGroup());
  QWidget* analysisTabs = BuildAnalysisTabs();
  av->addWidget(comparisons_->BuildCompareBar(analysisArea_));
  av->addWidget(analysisTabs, 1);
  split->addWidget(raceListPanel_);
  split->addWidget(analysisArea_);
  split->setStretchFactor(0, 0);
  split->setStretchFactor(1, 1);
  v->addWidget(split, 1);
  setCentralWidget(central);

  statusBar()->setObjectName(QStringLiteral("StatusBar"));
  if (ui) ui->Attach(this, statusBar());

  ConnectRaceDay();
  StartLiveTimers();
  // The bet window lives from start to exit, hidden until 買い目画面.
  kaimeForm_ = new KaimeForm(wb_, this);
  wb_.SetView(this);
  DayListChanged();
  GridsChanged();
  PanelsChanged();
  OptionsChanged();
}

MainWindow::~MainWindow() { wb_.SetView(nullptr); }

void MainWindow::StartLiveTimers() {
  liveTimers_ = std::make_unique<LiveTimers>(wb_, wb_.GetClock());
  liveTimer_ = new QTimer(this);
  liveTimer_->setObjectName(QStringLiteral("LiveTimer"));
  // A few ticks per clock second: the timers themselves count clock seconds and minutes.
  liveTimer_->setInterval(250);
  connect(liveTimer_, &QTimer::timeout, this, &MainWindow::OnLiveTick);
  liveTimer_->start();
}

void MainWindow::ShowSimulatedClock(double speed) {
  const QString factor = speed == static_cast<int>(speed) ? QString::number(static_cast<int>(speed)) : QString::number(speed);
  setWindowTitle(QString::fromLatin1(kProgramTitle) + QStringLiteral("  [模擬時計 ×") + factor + QStringLiteral("]"));
  if (!clockLabel_) {
    clockLabel_ = new QLabel(this);
    clockLabel_->setObjectName(QStringLiteral("SimulatedClockLabel"));
    statusBar()->addPermanentWidget(clockLabel_);
  }
  // Faster clocks need more ticks per real second to meet every clock second.
  liveTimer_->setInterval(std::clamp(static_cast<int>(250 / speed), 10, 250));
  OnLiveTick();
}

void MainWindow::OnLiveTick() {
  liveTimers_->Tick();
  if (auto* remain = findChild<QLabel*>(QStringLiteral("RemainTimeLabel")); remain && wb_.RemainTimeLabelVisible()) {
    const QString text = Q(wb_.Live().RemainTimeText());
    if (remain->text() != text) remain->setText(text);
  }
  if (resultsButton_) resultsButton_->setEnabled(wb_.Live().ResultsButtonEnabled());
  if (clockLabel_) {
    const DateTime t = wb_.GetClock().Now();
    clockLabel_->setText(QStringLiteral("模擬時計 %1/%2/%3 %4:%5:%6")
                             .arg(t.year)
                             .arg(t.month, 2, 10, QLatin1Char('0'))
                             .arg(t.day, 2, 10, QLatin1Char('0'))
                             .arg(t.hour, 2, 10, QLatin1Char('0'))
                             .arg(t.minute, 2, 10, QLatin1Char('0'))
                             .arg(t.second, 2, 10, QLatin1Char('0')));
  }
}

QAction* MainWindow::AddAction(QMenu* menu, const QString& name, const QString& text, const QString& hint) {
  QAction* a = menu->addAction(text);
  a->setObjectName(name);
  if (!hint.isEmpty()) a->setStatusTip(hint);
  return a;
}

QPrinter& MainWindow::Printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  return *printer_;
}

void MainWindow::PrintReport() {
  std::optional<PrintDocument> doc = ReportPrint(wb_);
  if (!doc) return;
  PrintPreview preview(wb_, Printer(), std::move(*doc), this);
  preview.exec();
}

void MainWindow::PrintComparisonGrid() {
  QPrinter& printer = Printer();
  // The grid is laid out on the landscape page when the printer allows it.
  const QPageLayout::Orientation before = printer.pageLayout().orientation();
  printer.setPageOrientation(QPageLayout::Landscape);
  const PageArea area = paint::AreaOf(printer.pageLayout());
  printer.setPageOrientation(before);
  if (std::optional<PrintDocument> doc = ComparisonGridPrint(wb_, area))
    PrintPages(printer, *doc, 0, static_cast<int>(doc->pages.size()) - 1, this);
}

void MainWindow::BuildMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
  QMenu* csv = file->addMenu(QStringLiteral("CSVファイル"));
  csv->setObjectName(QStringLiteral("CsvMenu"));
  connect(AddAction(csv, QStringLiteral("PointRateCsvAction"), QStringLiteral("Pt勝率＋Pt勝率順位"), {}),
          &QAction::triggered, this, [this] { ExportPointRateFile(wb_, PointRateCsv::RateAndRank); });
  connect(AddAction(csv, QStringLiteral("PointRankCsvAction"), QStringLiteral("Pt勝率順位"), {}),
          &QAction::triggered, this, [this] { ExportPointRateFile(wb_, PointRateCsv::RankOnly); });
  connect(AddAction(file, QStringLiteral("PayoutImportAction"), QStringLiteral("払戻取込"),
                    QStringLiteral("日別データに届いた払戻を読み込みます")),
          &QAction::triggered, this, [this] { wb_.ImportPayouts(); });
  connect(AddAction(file, QStringLiteral("TimeSeriesOddsAction"), QStringLiteral("時系列オッズより取得(&T)"),
                    QStringLiteral("時系列オッズフォルダから当日の全レースのオッズを取り込みます")),
          &QAction::triggered, this, [this] { wb_.ImportTimeSeriesOdds(); });
  connect(AddAction(file, QStringLiteral("DayOddsAction"), QStringLiteral("1日分の全オッズを一括取得(&O)"),
                    QStringLiteral("当日の全レースの速報オッズを順に取得します")),
          &QAction::triggered, this, [this] { wb_.FetchAllRaceOdds(); });
  connect(AddAction(file, QStringLiteral("StoreCheckAction"), QStringLiteral("保存ﾌｧｲﾙの検査・修復"),
                    QStringLiteral("保存ファイルの壊れを調べ、壊れたファイルを退避して作り直します")),
          &QAction::triggered, this, [this] { wb_.CheckStoredFiles(); });
  connect(AddAction(file, QStringLiteral("UnprocessedAction"), QStringLiteral("未処理データの読込(&R)"), {}),
          &QAction::triggered, this, [this] { RunUnprocessedDays(wb_, this); });
  connect(AddAction(file, QStringLiteral("BacktestAction"), QStringLiteral("バックテスト(&B)..."),
                    QStringLiteral("保存された開催日で買い目候補馬設定の成績を検証します")),
          &QAction::triggered, this, [this] {
            BacktestWindow w(wb_, this);
            w.exec();
          });
  file->addSeparator();
  connect(AddAction(file, QStringLiteral("PrintAction"), QStringLiteral("印刷(&P)..."),
                    QStringLiteral("全レースの分析結果を印刷します")),
          &QAction::triggered, this, &MainWindow::PrintReport);
  connect(AddAction(file, QStringLiteral("PrinterSetupAction"), QStringLiteral("ﾌﾟﾘﾝﾀの設定(&R)..."), {}),
          &QAction::triggered, this, [this] { PrinterSetup(Printer(), this); });
  file->addSeparator();
  connect(AddAction(file, QStringLiteral("ExitAction"), QStringLiteral("終了(&X)"), QStringLiteral("プログラムを終了します")),
          &QAction::triggered, this, &QWidget::close);

  QMenu* user = menuBar()->addMenu(QStringLiteral("ﾕｰｻﾞｰ指定(&U)"));
  QAction* candidates = AddAction(user, QStringLiteral("CandidateSetAction"), QStringLiteral("買い目候補馬設定(&K)"), {});
  candidates->setStatusTip(QStringLiteral("買い目を構築するための軸馬・ヒモ馬を設定します"));
  connect(candidates, &QAction::triggered, this, [this] {
    UserKaimeForm d(wb_, this);
    d.exec();
  });
  connect(AddAction(user, QStringLiteral("OddsCeilingAction"), QStringLiteral("オッズシキイ値設定(&O)"), {}),
          &QAction::triggered, this, [this] {
            OddsCeilingDialog d(wb_, this);
            d.exec();
          });
  connect(AddAction(user, QStringLiteral("DataSpanAction"), QStringLiteral("過去走データ利用範囲指定(&S)"), {}),
          &QAction::triggered, this, [this] {
            DataSpanDialog d(wb_, this);
            d.exec();
          });
  connect(AddAction(user, QStringLiteral("TimingAction"), QStringLiteral("データ自動取得時刻設定(&T)"), {}),
          &QAction::triggered, this, [this] {
            TimingDialog d(wb_, this);
            d.exec();
          });
  connect(AddAction(user, QStringLiteral("StakeAction"), QStringLiteral("投資金額設定"), {}), &QAction::triggered, this,
          [this] {
            StakeDialog d(wb_, this);
            d.exec();
          });

  QMenu* options = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
  for (const OptionInfo& info : OptionInfos()) {
    QAction* a = AddAction(options, U(info.key) + QStringLiteral("Option"), U(info.menuText), {});
    a->setCheckable(true);
    const OptionCheck o = info.option;
    // The workbench toggles and writes; the check mark is then re-read from the settings.
    connect(a, &QAction::triggered, this, [this, o] { wb_.ToggleOption(o); });
    optionActions_[o] = a;
  }

  QMenu* folders = menuBar()->addMenu(QStringLiteral("ﾌｫﾙﾀﾞ指定(&D)"));
  for (const FolderChoice& choice : FolderChoices()) {
    connect(AddAction(folders, U(choice.key) + QStringLiteral("FolderAction"), U(choice.menuText), {}),
            &QAction::triggered, this, [this, &choice] { PickFolder(choice); });
  }

  QMenu* help = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
  connect(AddAction(help, QStringLiteral("ManualAction"), QStringLiteral("使用解説書"), QStringLiteral("使用解説書を開きます")),
          &QAction::triggered, this, [this] { wb_.OpenManual(); });
  connect(AddAction(help, QStringLiteral("AboutAction"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)..."), {}), &QAction::triggered,
          this, &MainWindow::ShowAbout);
}

QWidget* MainWindow::BuildButtonBar() {
  auto* bar = new QWidget(this);
  bar->setObjectName(QStringLiteral("ButtonBar"));
  auto* h = new QHBoxLayout(bar);
  h->setContentsMargins(0, 0, 0, 0);
  auto* f = new QPushButton(QStringLiteral("F"), bar);
  f->setObjectName(QStringLiteral("FButton"));
  f->setFixedWidth(28);
  f->setStatusTip(QStringLiteral("レース一覧の表示を切り替えます"));
  connect(f, &QPushButton::clicked, this, [this] { wb_.ToggleRaceListPanel(); });
  h->addWidget(f);
  dateCombo_ = new QComboBox(bar);
  dateCombo_->setObjectName(QStringLiteral("DateCombo"));
  dateCombo_->setFont(FixedFont(11));
  dateCombo_->setMinimumWidth(170);
  dateCombo_->setStatusTip(QStringLiteral("開催日を選択します"));
  h->addWidget(dateCombo_);
  auto* jvImport = new QPushButton(QStringLiteral("JVデータ取得"), bar);
  jvImport->setObjectName(QStringLiteral("JVImportButton"));
  jvImport->setStatusTip(QStringLiteral("JV-Linkから蓄積データを取り込みます"));
  // The dialog may have stored new days: the day list is rebuilt (date box and race list emptied).
  connect(jvImport, &QPushButton::clicked, this, [this] { RunImportDialog(wb_, this, [this] { wb_.BuildDayList(); }); });
  h->addWidget(jvImport);
  // The race day live: the selected race's current odds, the day's results, the next race.
  auto* odds = new QPushButton(QStringLiteral("速報ｵｯｽﾞ"), bar);
  odds->setObjectName(QStringLiteral("OddsFetchButton"));
  odds->setToolTip(QStringLiteral("速報オッズを取得します"));
  odds->setStatusTip(QStringLiteral("速報オッズを取得します"));
  connect(odds, &QPushButton::clicked, this, [this] { wb_.Live().FetchSelectedRaceOdds(); });
  h->addWidget(odds);
  resultsButton_ = new QPushButton(QStringLiteral("結果情報"), bar);
  resultsButton_->setObjectName(QStringLiteral("ResultsFetchButton"));
  resultsButton_->setToolTip(QStringLiteral("レース結果データを取得します"));
  resultsButton_->setStatusTip(QStringLiteral("レース結果データを取得します"));
  connect(resultsButton_, &QPushButton::clicked, this, [this] {
    resultsButton_->setEnabled(false);
    wb_.Live().FetchResults();
    resultsButton_->setEnabled(wb_.Live().ResultsButtonEnabled());
  });
  h->addWidget(resultsButton_);
  auto* next = new QPushButton(QStringLiteral("直前ﾚｰｽ"), bar);
  next->setObjectName(QStringLiteral("NextRaceButton"));
  next->setStatusTip(QStringLiteral("次に発走するレースを選択します"));
  connect(next, &QPushButton::clicked, this, [this] { wb_.Live().SelectNextRace(); });
  h->addWidget(next);
  h->addStretch(1);
  auto* allRaces = new QPushButton(QStringLiteral("全ﾚｰｽ比較"), bar);
  allRaces->setObjectName(QStringLiteral("AllRaceButton"));
  allRaces->setToolTip(QStringLiteral("全レースにわたって比較します"));
  allRaces->setStatusTip(QStringLiteral("全レースにわたって比較します"));
  connect(allRaces, &QPushButton::clicked, this, [this] { wb_.RunAllRaces(); });
  h->addWidget(allRaces);
  auto* bets = new QPushButton(QStringLiteral("買い目画面"), bar);
  bets->setObjectName(QStringLiteral("KaimeFormButton"));
  connect(bets, &QPushButton::clicked, this, [this] { wb_.Bets().Show(); });
  h->addWidget(bets);
  auto* help = new QPushButton(QStringLiteral("ﾍﾙﾌﾟ"), bar);
  help->setObjectName(QStringLiteral("HelpButton"));
  connect(help, &QPushButton::clicked, this, [this] { wb_.OpenManual(); });
  auto* about = new QPushButton(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), bar);
  about->setObjectName(QStringLiteral("AboutButton"));
  connect(about, &QPushButton::clicked, this, &MainWindow::ShowAbout);
  auto* exit = new QPushButton(QStringLiteral("終了"), bar);
  exit->setObjectName(QStringLiteral("ExitButton"));
  connect(exit, &QPushButton::clicked, this, &QWidget::close);
  h->addWidget(help);
  h->addWidget(about);
  h->addWidget(exit);
  return bar;
}

QWidget* MainWindow::BuildRaceHeader() {
  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("RaceHeaderPanel"));
  panel->setAutoFillBackground(true);
  QPalette p = panel->palette();
  p.setColor(QPalette::Window, QColor(0, 128, 0));
  panel->setPalette(p);
  auto* g = new QGridLayout(panel);
  g->setContentsMargins(6, 4, 6, 4);
  g->setVerticalSpacing(2);
  auto* venue = HeaderLabel(QStringLiteral("VenueLabel"), panel, 16, true);
  auto* race = HeaderLabel(QStringLiteral("RaceNoLabel"), panel, 16, true);
  g->addWidget(venue, 0, 0, 2, 1);
  g->addWidget(race, 2, 0, 2, 1);
  g->addWidget(HeaderLabel(QStringLiteral("RaceLabel1"), panel), 0, 1);
  g->addWidget(HeaderLabel(QStringLiteral("RaceLabel2"), panel, 12, true), 1, 1);
  g->addWidget(HeaderLabel(QStringLiteral("RaceLabel3"), panel), 2, 1);
  g->addWidget(HeaderLabel(QStringLiteral("RaceLabel4"), panel), 3, 1);
  g->addWidget(HeaderLabel(QStringLiteral("OddsTimeLabel"), panel), 0, 2);
  g->addWidget(HeaderLabel(QStringLiteral("RemainTimeLabel"), panel), 1, 2);
  g->setColumnStretch(1, 1);
  panel->setMinimumHeight(80);
  return panel;
}

QWidget* MainWindow::BuildSortGroup() {
  auto* group = new QGroupBox(QStringLiteral("並べ替え"), this);
  group->setObjectName(QStringLiteral("SortGroup"));
  auto* h = new QHBoxLayout(group);
  h->setContentsMargins(4, 2, 4, 2);
  // One radio group: the button that is down is the entry table's order.
  sortButtons_ = new QButtonGroup(group);
  sortButtons_->setExclusive(true);
  int i = 0;
  for (const EntrySortButton& sb : EntrySortButtons()) {
    auto* b = new QPushButton(U(sb.caption), group);
    b->setObjectName(QStringLiteral("SortButton%1").arg(i));
    b->setCheckable(true);
    b->setChecked(sb.sort == wb_.EntrySortDown());
    sortButtons_->addButton(b, i++);
    const EntrySort sort = sb.sort;
    connect(b, &QPushButton::clicked, this, [this, sort] { wb_.SortEntry(sort); });
    h->addWidget(b);
  }
  h->addStretch(1);
  return group;
}

QWidget* MainWindow::BuildAnalysisTabs() {
  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("AnalysisTabs"));

  // 出馬表: the entry table over the two comparison tables.
  auto* entryPage = new QSplitter(Qt::Vertical, tabs_);
  entryPage->setObjectName(QStringLiteral("EntryPage"));
  // 枠, 馬 and 馬名 stay in sight when the table scrolls to the marks and odds.
  entryGrid_ = new FrozenColumnView(kDetailFrozenCols, entryPage);
  entryGrid_->setObjectName(QStringLiteral("EntryGrid"));
  auto* lower = new QSplitter(Qt::Horizontal, entryPage);
  auto* detailBox = new QGroupBox(QStringLiteral("比較詳細表"), lower);
  auto* dv = new QVBoxLayout(detailBox);
  dv->setContentsMargins(2, 2, 2, 2);
  compareDetailGrid_ = new GridView(detailBox);
  compareDetailGrid_->setObjectName(QStringLiteral("CompareDetailGrid"));
  dv->addWidget(compareDetailGrid_);
  auto* winLossBox = new QGroupBox(QStringLiteral("比較勝敗表"), lower);
  auto* wv = new QVBoxLayout(winLossBox);
  wv->setContentsMargins(2, 2, 2, 2);
  winLossGrid_ = new GridView(winLossBox);
  winLossGrid_->setObjectName(QStringLiteral("WinLossGrid"));
  wv->addWidget(winLossGrid_);
  lower->addWidget(detailBox);
  lower->addWidget(winLossBox);
  lower->setStretchFactor(0, 3);
  lower->setStretchFactor(1, 2);
  entryPage->addWidget(WithMarkButtons(entryGrid_));
  entryPage->addWidget(lower);
  entryPage->setStretchFactor(0, 3);
  entryPage->setStretchFactor(1, 2);
  tabs_->addTab(entryPage, QStringLiteral("出馬表"));

  auto* detailEntry = new FrozenColumnView(kDetailFrozenCols, tabs_);
  detailEntryGrid_ = detailEntry;
  detailEntryGrid_->setObjectName(QStringLiteral("DetailEntryGrid"));
  // Every runner cell is drawn from the race-day model of the selected race.
  detailEntry->SetDelegate(new DrawnCellDelegate(
      detailEntry->GridModel(),
      [this](int row, int col) {
        const RaceDayModel* day = wb_.Day();
        return day ? DetailEntryCell(*day, day->SelectedRace, row, col) : DrawnCell{};
      },
      detailEntry));
  tabs_->addTab(detailEntryGrid_, QStringLiteral("出馬表(詳細)"));

  comparisons_ = new ComparisonPages(wb_, tabs_);
  comparisons_->SetOnPrint([this] { PrintComparisonGrid(); });
  tabs_->addTab(comparisons_->BuildTwoHorsePage(), QStringLiteral("２頭比較"));
  tabs_->addTab(comparisons_->BuildKtPage(), QStringLiteral("KT専用"));
  twoHorseGrid_ = comparisons_->TwoHorseGrid();
  ktDataGrid_ = comparisons_->KtDataGrid();
  ktMatrixGrid_ = comparisons_->KtMatrixGrid();

  auto* resultsPage = new QWidget(tabs_);
  resultsPage->setObjectName(QStringLiteral("ResultsPage"));
  BuildResultsPage(resultsPage);
  tabs_->addTab(resultsPage, QStringLiteral("結果"));

  auto* verificationPage = new VerificationPage(wb_, tabs_);
  verificationGrid_ = verificationPage->Grid();
  tabs_->addTab(verificationPage, QStringLiteral("検証資料"));

  oddsChart_ = new OddsChartPage(wb_, tabs_);
  tabs_->addTab(oddsChart_, QStringLiteral("オッズ推移"));

  // The tab "買い目" stays hidden: the bets live in their own window.
  auto* betsPage = new QWidget(tabs_);
  betsPage->setObjectName(QStringLiteral("BetsPage"));
  const int bets = tabs_->addTab(betsPage, QStringLiteral("買い目"));
  tabs_->setTabVisible(bets, false);

  const MainGrids& g = wb_.Grids();
  entryGrid_->SetGrid(&g.entry, EntryTableLayout());
  detailEntryGrid_->SetGrid(&g.detailEntry, DetailEntryLayout());
  detailEntryGrid_->horizontalHeader()->setFixedHeight(17);
  compareDetailGrid_->SetGrid(&g.compareDetail, CompareDetailLayout());
  GridLayout winLoss = WinLossLayout();
  winLoss.style = WinLossStyle;
  winLossGrid_->SetGrid(&g.winLoss, winLoss);
  comparisons_->AddCompareTableMenus(compareDetailGrid_, winLossGrid_);
  return tabs_;
}

void MainWindow::PlaceFromSettings() {
  const WindowPlacement p = wb_.SavedPlacement();
  move(p.left, p.top);
  resize(std::max(p.width, 200), std::max(p.height, 150));
}

QAction* MainWindow::OptionAction(OptionCheck o) const {
  auto it = optionActions_.find(o);
  return it == optionActions_.end() ? nullptr : it->second;
}

QAction* MainWindow::FindAction(const QString& objectName) const { return findChild<QAction*>(objectName); }

void MainWindow::PickFolder(const FolderChoice& choice) {
  const QString start = QString::fromStdString(wb_.FolderPickerStart(choice.key));
  const QString dir = QFileDialog::getExistingDirectory(this, U(choice.title), start);
  if (!dir.isEmpty()) wb_.SetFolder(choice.key, dir.toStdString());
}

void MainWindow::ShowAbout() {
  QMessageBox::about(this, QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"), Q(wb_.AboutText()));
}

void MainWindow::DayListChanged() {
  const QSignalBlocker block(dateCombo_);
  dateCombo_->clear();
  for (const std::string& day : wb_.DayList()) dateCombo_->addItem(Q(day));
  dateCombo_->setCurrentIndex(-1);
}

void MainWindow::RaceListChanged() {
  raceList_->clear();
  for (const std::string& race : wb_.RaceList()) raceList_->addItem(Q(race));
}

void MainWindow::GridsChanged() {
  for (GridView* g : {entryGrid_, detailEntryGrid_, compareDetailGrid_, winLossGrid_, twoHorseGrid_, ktDataGrid_,
                      ktMatrixGrid_, verificationGrid_})
    g->Refresh();
}

void MainWindow::PanelsChanged() { raceListPanel_->setVisible(wb_.RaceListPanelVisible()); }

void MainWindow::OptionsChanged() {
  for (auto& [o, a] : optionActions_) a->setChecked(wb_.OptionChecked(o));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  const QPoint pos = this->pos();
  wb_.SavePlacement({pos.y(), pos.x(), width(), height()});
  event->accept();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  QTimer::singleShot(0, this, [this] { wb_.OnShown(); });
}

// The "全" and "CL" buttons of the mark columns ◎, 〇, ▲ (entry-table columns 24-26) above the
// entry table.
QWidget* MainWindow::WithMarkButtons(QWidget* grid) {
  auto* box = new QWidget(this);
  auto* v = new QVBoxLayout(box);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(1);
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(0, 0, 0, 0);
  bar->addStretch(1);
  const QString marks[] = {QStringLiteral("◎"), QStringLiteral("〇"), QStringLiteral("▲")};
  for (int col = kMarkColAxis1; col <= kMarkColPartner; ++col) {
    bar->addWidget(new QLabel(marks[col - kMarkColAxis1], box));
    auto* all = new QPushButton(QStringLiteral("全"), box);
    all->setObjectName(QStringLiteral("MarkAllButton%1").arg(col));
    auto* clear = new QPushButton(QStringLiteral("CL"), box);
    clear->setObjectName(QStringLiteral("ClearMarkButton%1").arg(col));
    for (QPushButton* b : {all, clear}) {
      b->setFixedSize(30, 20);
      bar->addWidget(b);
    }
    connect(all, &QPushButton::clicked, this, [this, col] {
      wb_.Bets().MarkAll(col);
      GridsChanged();
    });
    connect(clear, &QPushButton::clicked, this, [this, col] {
      wb_.Bets().ClearAll(col);
      GridsChanged();
    });
    bar->addSpacing(6);
  }
  v->addLayout(bar);
  grid->setParent(box);
  v->addWidget(grid, 1);
  return box;
}

// --- race day ---------------------------------------------------------------------------------

void MainWindow::ConnectRaceDay() {
  connect(dateCombo_, &QComboBox::activated, this, [this](int index) {
    const auto& days = wb_.DayList();
    if (index >= 0 && index < static_cast<int>(days.size())) wb_.LoadDay(days[static_cast<size_t>(index)]);
  });
  connect(raceList_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (row >= 0 && row != wb_.SelectedListIndex()) wb_.SelectRace(row);
  });
  connect(entryGrid_, &GridView::cellPressed, this,
          [this](int row, int col, Qt::MouseButton) { wb_.EntryTablePress(row, col); });
  connect(entryGrid_, &GridView::cellHovered, this, [this](int row, int col) {
    entryGrid_->viewport()->setCursor(wb_.EntryTableHandCursor(row, col) ? Qt::PointingHandCursor : Qt::ArrowCursor);
  });
  entryGrid_->setContextMenuPolicy(Qt::CustomContextMenu);
  auto* popup = new QMenu(entryGrid_);
  QAction* copy = popup->addAction(QStringLiteral("出馬表をｸﾘｯﾌﾟﾎﾞｰﾄﾞへｺﾋﾟｰ(&C)"));
  copy->setObjectName(QStringLiteral("CopyEntryTableAction"));
  connect(copy, &QAction::triggered, this, [this] { wb_.CopyEntryTable(); });
  connect(entryGrid_, &QWidget::customContextMenuRequested, this,
          [this, popup](const QPoint& pos) { popup->popup(entryGrid_->viewport()->mapToGlobal(pos)); });
}

void MainWindow::BuildResultsPage(QWidget* page) {
  static const int kLines[8] = {3, 5, 3, 3, 7, 6, 3, 6};
  auto* grid = new QGridLayout(page);
  grid->setContentsMargins(8, 8, 8, 8);
  grid->setHorizontalSpacing(12);
  grid->setVerticalSpacing(2);
  const auto& captions = BetTypeCaptions();
  resultLabels_.assign(8, {});
  // Two columns of groups: win, place, bracket quinella, quinella left; the rest right.
  int rows[2] = {0, 0};
  for (int t = 0; t < 8; ++t) {
    const int side = t < 4 ? 0 : 1;
    int& row = rows[side];
    auto* caption = new QLabel(Q(captions[static_cast<size_t>(t)]), page);
    caption->setFont(ProportionalFont(10, true));
    grid->addWidget(caption, row++, side * 4, 1, 3);
    for (int i = 0; i < kLines[t]; ++i, ++row) {
      std::array<QLabel*, 3> line{};
      for (int c = 0; c < 3; ++c) {
        line[static_cast<size_t>(c)] = new QLabel(page);
        line[static_cast<size_t>(c)]->setFont(FixedFont(10));
        line[static_cast<size_t>(c)]->setObjectName(QStringLiteral("Result%1_%2_%3").arg(t).arg(i).arg(c));
        grid->addWidget(line[static_cast<size_t>(c)], row, side * 4 + c);
      }
      resultLabels_[static_cast<size_t>(t)].push_back(line);
    }
  }
  grid->setColumnStretch(3, 1);
  grid->setColumnStretch(7, 1);
  grid->setRowStretch(std::max(rows[0], rows[1]), 1);
}

void MainWindow::RaceChanged() {
  const RaceHeader& h = wb_.Header();
  const std::pair<const char*, const std::string*> labels[] = {
      {"RaceLabel1", &h.label1}, {"RaceLabel2", &h.label2}, {"RaceLabel3", &h.label3}, {"RaceLabel4", &h.label4},
      {"VenueLabel", &h.venue},  {"RaceNoLabel", &h.raceNo}, {"OddsTimeLabel", &h.oddsTime}};
  for (const auto& [name, text] : labels)
    if (auto* l = findChild<QLabel*>(QString::fromLatin1(name))) l->setText(Q(*text));
  if (auto* remain = findChild<QLabel*>(QStringLiteral("RemainTimeLabel"))) {
    remain->setVisible(wb_.RemainTimeLabelVisible());
    if (!wb_.RemainTimeLabelVisible()) remain->clear();
  }
  if (auto* panel = findChild<QFrame*>(QStringLiteral("RaceHeaderPanel")); panel && h.panel.kind == CellColor::Kind::Rgb) {
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, QColor(h.panel.r, h.panel.g, h.panel.b));
    panel->setPalette(p);
  }
  compareStatus_->setText(Q(wb_.CompareStatus()));

  const ResultsTab& results = wb_.Results();
  for (size_t t = 0; t < resultLabels_.size(); ++t)
    for (size_t i = 0; i < resultLabels_[t].size(); ++i) {
      const ResultLine line = i < results.groups[t].size() ? results.groups[t][i] : ResultLine{};
      resultLabels_[t][i][0]->setText(Q(line.result));
      resultLabels_[t][i][1]->setText(Q(line.popularity));
      resultLabels_[t][i][2]->setText(Q(line.payout));
    }

  if (wb_.SelectedListIndex() >= 0 && raceList_->currentRow() != wb_.SelectedListIndex()) {
    const QSignalBlocker block(raceList_);
    raceList_->setCurrentRow(wb_.SelectedListIndex());
  }
  analysisArea_->setVisible(wb_.AnalysisVisible() || wb_.Day() == nullptr);
  comparisons_->SyncPicks();
  SyncComparisonControls();
  oddsChart_->Refresh();
}

void MainWindow::WindowEnabledChanged() { setEnabled(wb_.WindowEnabled()); }

void MainWindow::SyncComparisonControls() {
  // The sort button that is down, and the day loaded (the unprocessed-days run loads days itself).
  int i = 0;
  for (const EntrySortButton& sb : EntrySortButtons()) {
    if (QAbstractButton* b = sortButtons_->button(i++)) b->setChecked(sb.sort == wb_.EntrySortDown());
  }
  const int day = dateCombo_->findText(Q(wb_.LoadedDayName()));
  if (!wb_.LoadedDayName().empty() && day >= 0 && day != dateCombo_->currentIndex()) {
    const QSignalBlocker block(dateCombo_);
    dateCombo_->setCurrentIndex(day);
  }
}

}  // namespace kv::gui
