#include "OddsChartPage.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "QtPorts.h"
#include "workbench/Workbench.h"

namespace kv::gui {

namespace {

// A minute of the race day as a moment of today (the axis shows only hh:mm).
qreal AtMinute(int minute) {
  const QDateTime t(QDate(2000, 1, 1), QTime(0, 0).addSecs(minute * 60));
  return static_cast<qreal>(t.toMSecsSinceEpoch());
}

QString HourMinute(int minute) {
  return QStringLiteral("%1:%2").arg(minute / 60, 2, 10, QLatin1Char('0')).arg(minute % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

OddsChartPage::OddsChartPage(Workbench& wb, QWidget* parent) : QWidget(parent), wb_(wb) {
  setObjectName(QStringLiteral("OddsChartPage"));
  auto* v = new QVBoxLayout(this);
  v->setContentsMargins(2, 2, 2, 2);
  note_ = new QLabel(this);
  note_->setObjectName(QStringLiteral("OddsChartNote"));
  v->addWidget(note_);
  view_ = new QChartView(new QChart(), this);
  view_->setObjectName(QStringLiteral("OddsChartView"));
  view_->setRenderHint(QPainter::Antialiasing);
  v->addWidget(view_, 1);
}

void OddsChartPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Redraw();
}

void OddsChartPage::Refresh() {
  if (isVisible()) Redraw();
}

void OddsChartPage::Redraw() {
  const OddsMovement m = wb_.SelectedOddsMovement();
  auto* chart = new QChart();
  chart->setTitle(Q(m.title) + QStringLiteral("  単勝オッズ推移"));
  chart->legend()->setAlignment(Qt::AlignRight);
  note_->setText(Q(m.note));
  note_->setVisible(!m.note.empty());

  if (m.HasPoints()) {
    double lo = 1e9, hi = 0;
    for (const RunnerOddsLine& line : m.lines)
      for (const OddsPoint& p : line.points) lo = std::min(lo, p.odds), hi = std::max(hi, p.odds);
    int first = m.firstMinute, last = m.lastMinute;
    if (m.postMinute >= 0) first = std::min(first, m.postMinute), last = std::max(last, m.postMinute);
    first -= 5, last += 5;

    auto* x = new QDateTimeAxis(chart);
    x->setFormat(QStringLiteral("hh:mm"));
    x->setTitleText(QStringLiteral("時刻"));
    x->setRange(QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AtMinute(first))),
                QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(AtMinute(last))));
    x->setTickCount(std::clamp((last - first) / 15 + 1, 3, 13));
    auto* y = new QLogValueAxis(chart);
    y->setBase(10);
    y->setLabelFormat(QStringLiteral("%.1f"));
    y->setTitleText(QStringLiteral("単勝オッズ"));
    const double yLo = std::max(1.0, lo * 0.9), yHi = hi * 1.2;
    y->setRange(yLo, yHi);
    y->setMinorTickCount(8);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    for (const RunnerOddsLine& line : m.lines) {
      auto* s = new QLineSeries(chart);
      const QString pop = line.popularity > 0 ? QStringLiteral("%1人気").arg(line.popularity) : QStringLiteral("  -  ");
      const QString now = line.currentOdds > 0 ? QString::number(line.currentOdds, 'f', 1) : QStringLiteral("-");
      s->setName(QStringLiteral("%1 %2 %3 %4").arg(pop).arg(line.horse, 2).arg(Q(line.name), now));
      for (const OddsPoint& p : line.points) s->append(AtMinute(p.minute), p.odds);
      s->setPointsVisible(line.points.size() < 40);
      // The favourites stand out: the first three by current popularity are drawn thicker.
      QPen pen = s->pen();
      pen.setWidthF(line.popularity >= 1 && line.popularity <= 3 ? 3.0 : 1.5);
      s->setPen(pen);
      chart->addSeries(s);
      s->attachAxis(x);
      s->attachAxis(y);
    }
    if (m.postMinute >= 0) {
      auto* post = new QLineSeries(chart);
      post->setName(QStringLiteral("発走 ") + HourMinute(m.postMinute));
      post->append(AtMinute(m.postMinute), yLo);
      post->append(AtMinute(m.postMinute), yHi);
      QPen pen(QColor(200, 0, 0));
      pen.setStyle(Qt::DashLine);
      pen.setWidthF(2.0);
      post->setPen(pen);
      chart->addSeries(post);
      post->attachAxis(x);
      post->attachAxis(y);
    }
  }
  QChart* old = view_->chart();
  view_->setChart(chart);
  delete old;
}

}  // namespace kv::gui
