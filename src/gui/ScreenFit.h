#pragma once
// Keeps the application's windows and dialogs inside the available area of their screen: a
// window whose stored or designed place would hang over the screen's edge (a dialog 1,180 pixels
// wide at x = 500 on a 1,366-pixel screen) is moved in, and shrunk to the area when it is larger.
#include <QRect>

class QApplication;
class QWidget;

namespace kv::gui {

// The frame rectangle moved (and shrunk when larger) to lie inside available.
QRect FitInside(const QRect& frame, const QRect& available);

// Moves a top-level window inside the available area of its screen. Before the window has a
// frame of its own, room for the title bar and borders is allowed for.
void FitOnScreen(QWidget* window);

// From now on every top-level window or dialog of the application is fitted when it is shown.
void InstallScreenFit(QApplication& app);

}  // namespace kv::gui
