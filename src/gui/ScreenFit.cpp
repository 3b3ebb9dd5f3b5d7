#include "ScreenFit.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace kv::gui {

namespace {

// Title bar and borders of a window that has not been framed yet.
const QMargins kFrameAllowance(8, 32, 8, 8);

class ScreenFitFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
      auto* w = static_cast<QWidget*>(watched);
      const Qt::WindowType type = w->windowType();
      if (w->isWindow() && (type == Qt::Window || type == Qt::Dialog)) {
        FitOnScreen(w);
        // A window that places itself in its own show handler (after this filter) is fitted
        // once more as soon as the event loop runs.
        QPointer<QWidget> later(w);
        QMetaObject::invokeMethod(w, [later] { if (later) FitOnScreen(later); }, Qt::QueuedConnection);
      }
    }
    return QObject::eventFilter(watched, event);
  }
};

}  // namespace

QRect FitInside(const QRect& frame, const QRect& available) {
  QRect r(frame.topLeft(), frame.size().boundedTo(available.size()));
  if (r.right() > available.right()) r.moveRight(available.right());
  if (r.bottom() > available.bottom()) r.moveBottom(available.bottom());
  if (r.left() < available.left()) r.moveLeft(available.left());
  if (r.top() < available.top()) r.moveTop(available.top());
  return r;
}

void FitOnScreen(QWidget* window) {
  if (!window || !window->isWindow()) return;
  QScreen* screen = QGuiApplication::screenAt(window->geometry().center());
  if (!screen) screen = window->screen();
  if (!screen) return;
  const QRect available = screen->availableGeometry();
  const QRect inner = window->geometry();
  QRect frame = window->frameGeometry();
  const QMargins margins = frame == inner ? kFrameAllowance
                                          : QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                                                     frame.right() - inner.right(), frame.bottom() - inner.bottom());
  frame = inner.marginsAdded(margins);
  const QRect fitted = FitInside(frame, available);
  if (fitted == frame) return;
  const QRect target = fitted.marginsRemoved(margins);
  if (target.size() != inner.size()) window->resize(target.size().expandedTo(window->minimumSize()));
  window->move(fitted.topLeft());  // a window's position is that of its frame
}

void InstallScreenFit(QApplication& app) { app.installEventFilter(new ScreenFitFilter(&app)); }

}  // namespace kv::gui
