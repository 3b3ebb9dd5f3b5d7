#include "OddsChartPage.h"

#include <QChart>
#include <QChartView>
#include <QCategoryAxis>
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

// The x axis counts minutes of the race day.
qreal AtMinute(int minute) { return static_cast<qreal>(minute); }

// A colour per line, spread round the colour wheel so that 18 runners stay apart.
QColor LineColor(int i, int count) {
  const int hue = (i * 360 / std::max(count, 1) + (i % 2) * 180 / std::max(count, 1)) % 360;
  return QColor::fromHsv(hue, 220, i % 2 ? 170 : 215);
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

    // Ticks on whole quarters, halves or hours of the clock, about ten across the span.
    auto* x = new QCategoryAxis(chart);
    x->setTitleText(QStringLiteral("時刻"));
    x->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    x->setRange(first, last);
    int step = 15;
    for (int s : {15, 30, 60, 120})
      if ((last - first) / s <= 10) {
        step = s;
        break;
      }
    for (int t = (first + step - 1) / step * step; t <= last; t += step) x->append(HourMinute(t), t);
    auto* y = new QLogValueAxis(chart);
    y->setBase(2);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setTitleText(QStringLiteral("単勝オッズ"));
    const double yLo = std::max(1.0, lo * 0.9), yHi = hi * 1.2;
    y->setRange(yLo, yHi);
    y->setMinorTickCount(1);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);

    const int count = static_cast<int>(m.lines.size());
    for (int i = 0; i < count; ++i) {
      const RunnerOddsLine& line = m.lines[static_cast<size_t>(i)];
      auto* s = new QLineSeries(chart);
      const QString pop = line.popularity > 0 ? QStringLiteral("%1人気").arg(line.popularity) : QStringLiteral("  -  ");
      const QString now = line.currentOdds > 0 ? QString::number(line.currentOdds, 'f', 1) : QStringLiteral("-");
      s->setName(QStringLiteral("%1 %2 %3 %4").arg(pop).arg(line.horse, 2).arg(Q(line.name), now));
      for (const OddsPoint& p : line.points) s->append(AtMinute(p.minute), p.odds);
      s->setPointsVisible(line.points.size() < 40);
      // The favourites stand out: the first three by current popularity are drawn thicker.
      QPen pen(LineColor(i, count));
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
