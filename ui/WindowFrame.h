#pragma once
#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

// The client size of a window whose design gives its outer size. The designs were drawn in the classic
// frame: a border of 4 pixels all round and a caption of 26 above; the menu bar lies outside the client
// area too, so a main window's size with its menu bar is this size.
QSize ClientSizeOfOuter(QSize outer);

// The client rectangle that puts a frame with these margins, title bar included, in the middle of `area`.
QRect CentredClientRect(QSize client, const QMargins& frame, const QRect& area);

// Centres the window now: over its parent window when it has one, else on its screen.
void CentreWindow(QWidget& window);

// Centres the window at every showing. A dialog's own placement guesses the title bar's height before the
// window manager has framed it, which leaves a first showing off-centre.
void CentreOnEveryShowing(QWidget& window);

}  // namespace ui
