#include "KaimeForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "GridView.h"
#include "GuiFonts.h"
#include "QtPorts.h"

namespace kv::gui {

namespace {

QString ColorName(const CellColor& c) { return QColor(c.r, c.g, c.b).name(); }

QString LabelSheet(const CellColor& back, const CellColor& fore) {
  QString sheet = QStringLiteral("QLabel { background-color: %1; border: 1px solid #a0a0a0; padding: 0 3px;")
                      .arg(ColorName(back));
  if (!fore.IsDefault()) sheet += QStringLiteral(" color: %1;").arg(ColorName(fore));
  return sheet + QStringLiteral(" }");
}

const char* const kRowCaptions[] = {"買い点数", "投票金額", "予想回収率", "回収金額"};
const char* const kRowNames[] = {"TensuLabel", "ToshiLabel", "YosoKaishuLabel", "KaishuLabel"};
const char* const kMultiCaptions[] = {"マルチ", "1,2着マルチ", "2,3着マルチ", "1,3着マルチ"};
const char* const kMultiNames[] = {"CheckMulti", "CheckMulti12", "CheckMulti23", "CheckMulti13"};
constexpr MultiOption kMultiOptions[] = {MultiOption::Multi, MultiOption::Multi12, MultiOption::Multi23,
                                         MultiOption::Multi13};

}  // namespace

KaimeForm::KaimeForm(Workbench& wb, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), wb_(wb), bets_(wb.Bets()) {
  setObjectName(QStringLiteral("KaimeForm"));
  setWindowTitle(QStringLiteral("買い目表"));
  setFont(ProportionalFont(9));

  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(4, 4, 4, 4);
  v->setSpacing(4);
  v->addWidget(BuildSummary());
  v->addWidget(BuildControls());

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("KaimeTabs"));
  for (BetType t : kAllBetTypes) {
    auto* grid = new GridView(tabs_);
    grid->setObjectName(QStringLiteral("StringGrid_%1").arg(QString::fromLatin1(VoteCode(t).data(), VoteCode(t).size())));
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setCursor(Qt::PointingHandCursor);
    grid->SetGrid(&bets_.State().Table(t), bets_.TableLayout(t));
    // After every refresh (a model reset) the hidden columns are hidden again.
    connect(grid->GridModel(), &QAbstractItemModel::modelReset, this, [this, t] { HideColumns(t); });
    HideColumns(t);
    connect(grid, &GridView::cellPressed, this, [this, t](int row, int col, Qt::MouseButton button) {
      if (button == Qt::LeftButton) bets_.PressCell(t, row, col);
    });
    connect(grid, &GridView::cellHovered, this, [grid](int row, int col) {
      grid->viewport()->setCursor(row >= 0 && BetTableHandCursor(row, col) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    });
    connect(grid->horizontalHeader(), &QHeaderView::sectionPressed, this,
            [this, t](int logical) { bets_.PressHeading(t, logical); });
    grids_[static_cast<size_t>(Index(t))] = grid;
    tabs_->addTab(grid, Q(TabCaption(t)));
  }
  tabs_->setCurrentIndex(bets_.ActiveTab());
  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) { bets_.ChangeTab(tab); });
  v->addWidget(tabs_, 1);

  const BetWindowGeometry g = bets_.Geometry();
  move(g.left, g.top);
  resize(std::max(g.width, 200), std::max(g.height, 150));

  bets_.AddView(this);
  BetsChanged();
}

KaimeForm::~KaimeForm() { bets_.RemoveView(this); }

QWidget* KaimeForm::BuildSummary() {
  auto* panel = new QWidget(this);
  panel->setObjectName(QStringLiteral("SummaryPanel"));
  auto* g = new QGridLayout(panel);
  g->setContentsMargins(0, 0, 0, 0);
  g->setHorizontalSpacing(1);
  g->setVerticalSpacing(1);
  for (int row = 0; row < 4; ++row) {
    auto* caption = new QLabel(QString::fromUtf8(kRowCaptions[row]), panel);
    g->addWidget(caption, row + 1, 0);
  }
  for (BetType t : kAllBetTypes) {
    const int col = Index(t) + 1;
    auto* head = new QLabel(Q(BetName(t)), panel);
    head->setAlignment(Qt::AlignCenter);
    g->addWidget(head, 0, col);
    for (int row = 0; row < 4; ++row) {
      auto* l = new QLabel(panel);
      l->setObjectName(QString::fromLatin1(LabelPrefix(t).data(), LabelPrefix(t).size()) +
                       QString::fromLatin1(kRowNames[row]));
      l->setFont(FixedFont(9));
      l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      l->setMinimumWidth(58);
      labels_[static_cast<size_t>(Index(t))][static_cast<size_t>(row)] = l;
      g->addWidget(l, row + 1, col);
    }
  }
  g->setColumnStretch(kBetTypeCount + 1, 1);
  return panel;
}

QWidget* KaimeForm::BuildControls() {
  auto* bar = new QWidget(this);
  auto* h = new QHBoxLayout(bar);
  h->setContentsMargins(0, 0, 0, 0);

  h->addWidget(new QLabel(QStringLiteral("入力投票金額"), bar));
  amount_ = new QLineEdit(bar);
  amount_->setObjectName(QStringLiteral("AmountEdit"));
  amount_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,8}")), amount_));
  amount_->setMaxLength(8);
  amount_->setAlignment(Qt::AlignRight);
  amount_->setFixedWidth(80);
  connect(amount_, &QLineEdit::textEdited, this, [this](const QString& text) { bets_.ChangeAmount(text.toStdString()); });
  h->addWidget(amount_);
  h->addWidget(new QLabel(QStringLiteral("円"), bar));

  auto* modeBox = new QGroupBox(QStringLiteral("資金配分"), bar);
  modeBox->setObjectName(QStringLiteral("HaibunGroup"));
  auto* mh = new QHBoxLayout(modeBox);
  mh->setContentsMargins(4, 0, 4, 0);
  modes_ = new QButtonGroup(this);
  for (int m = 0; m < 4; ++m) {
    auto* r = new QRadioButton(Q(AllocationModeCaption(static_cast<AllocationMode>(m))), modeBox);
    r->setObjectName(QStringLiteral("HaibunRadio%1").arg(m));
    modes_->addButton(r, m);
    mh->addWidget(r);
  }
  connect(modes_, &QButtonGroup::idClicked, this, [this](int id) { bets_.ChooseMode(id); });
  h->addWidget(modeBox);

  auto* multiBox = new QGroupBox(QStringLiteral("マルチ指定"), bar);
  multiBox->setObjectName(QStringLiteral("MultiGroup"));
  auto* mg = new QGridLayout(multiBox);
  mg->setContentsMargins(4, 0, 4, 0);
  mg->setVerticalSpacing(0);
  for (int i = 0; i < 4; ++i) {
    auto* c = new QCheckBox(QString::fromUtf8(kMultiCaptions[i]), multiBox);
    c->setObjectName(QString::fromLatin1(kMultiNames[i]));
    const MultiOption o = kMultiOptions[i];
    // clicked: the user's clicks only, so setting the boxes from the state rebuilds nothing.
    connect(c, &QCheckBox::clicked, this, [this, o](bool on) { bets_.SetOption(o, on); });
    multi_[static_cast<size_t>(i)] = c;
    mg->addWidget(c, i / 2, i % 2);
  }
  h->addWidget(multiBox);

  vote_ = new QPushButton(QStringLiteral("Tavoro2投票"), bar);
  vote_->setObjectName(QStringLiteral("TavoroTohyo2Button"));
  vote_->setToolTip(QStringLiteral("Tavoro投票プラグイン２経由で投票します"));
  connect(vote_, &QPushButton::clicked, this, [this] { bets_.Vote(); });
  h->addWidget(vote_);
  h->addStretch(1);
  return bar;
}

void KaimeForm::HideColumns(BetType t) {
  GridView* grid = grids_[static_cast<size_t>(Index(t))];
  if (!grid) return;
  const auto& widths = ColumnWidths(t);
  const int cols = std::min(grid->GridModel()->columnCount(), LayoutOf(t).columns);
  for (int c = 0; c < cols; ++c) grid->setColumnHidden(c, widths[static_cast<size_t>(c)] < 0);
  // The row number reaches 4896 in a full trifecta table: the column shows it whole.
  const int numberWidth = grid->fontMetrics().horizontalAdvance(QStringLiteral("4896")) + 10;
  if (grid->columnWidth(kColNo) < numberWidth) grid->setColumnWidth(kColNo, numberWidth);
}

void KaimeForm::BetsChanged() {
  const BetWindowState& s = bets_.State();
  for (BetType t : kAllBetTypes) {
    const BetSummary& sum = s.Summary(t);
    const CellColor back = bets_.SummaryBackground(t);
    const std::string* texts[] = {&sum.count, &sum.total, &sum.expectedRate, &sum.actualReturn};
    const LabelColor colors[] = {LabelColor::Default, LabelColor::Default, sum.expectedColor, sum.actualColor};
    for (int row = 0; row < 4; ++row) {
      QLabel* l = labels_[static_cast<size_t>(Index(t))][static_cast<size_t>(row)];
      l->setText(Q(*texts[row]));
      l->setStyleSheet(LabelSheet(back, SummaryLabelForeground(colors[row])));
    }
    grids_[static_cast<size_t>(Index(t))]->Refresh();
  }
  const QString amount = QString::fromStdString(s.AmountText());
  if (amount_->text() != amount) amount_->setText(amount);
  if (QAbstractButton* b = modes_->button(static_cast<int>(s.Mode()))) b->setChecked(true);
  for (int i = 0; i < 4; ++i) multi_[static_cast<size_t>(i)]->setChecked(bets_.Option(kMultiOptions[i]));
  if (tabs_ && tabs_->currentIndex() != bets_.ActiveTab()) {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(bets_.ActiveTab());
  }
}

void KaimeForm::ShowRequested() {
  if (!isVisible() && !bets_.GeometryStored()) PlaceFirstTime();
  show();
  raise();
  activateWindow();
}

// Right of the main window when the screen has room there, else left of it; without room on
// either side the bottom-right corner of the screen, where it hides the least of the main window's
// header and buttons. Once the window was moved or closed its stored place counts.
void KaimeForm::PlaceFirstTime() {
  QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
  if (!main || !main->isVisible() || !main->screen()) return;
  const QRect avail = main->screen()->availableGeometry();
  const QRect m = main->frameGeometry();
  const QSize frame = size() + (m.size() - main->size());  // this window with a frame like the main one's
  QPoint at;
  if (m.right() + frame.width() <= avail.right())
    at = QPoint(m.right() + 1, std::max(m.top(), avail.top()));
  else if (m.left() - frame.width() >= avail.left())
    at = QPoint(m.left() - frame.width(), std::max(m.top(), avail.top()));
  else
    at = QPoint(avail.right() + 1 - frame.width(), avail.bottom() + 1 - frame.height());
  move(at);
}

void KaimeForm::SaveGeometry() {
  const QPoint p = pos();
  bets_.SaveGeometry({p.y(), p.x(), width(), height()});
}

void KaimeForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) SaveGeometry();
}

void KaimeForm::hideEvent(QHideEvent* event) {
  SaveGeometry();
  QWidget::hideEvent(event);
}

}  // namespace kv::gui
