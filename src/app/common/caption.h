// Window captions as the window manager draws them: a top-level window is kept wide enough
// for its whole caption, so that no manager has to cut it (the recording window's caption is
// the only place that tells how to mark and how to stop).
#pragma once
#include <QString>

class QWidget;

namespace pv {

// The program's title: the caption of its main window and of its message boxes.
QString program_title();

// `title` as the platform window gets it: Qt appends the application display name, once one
// has been set, to every title that does not end with it already.
QString shown_title(const QString& title);

// The least width of a window frame that shows `title` (as shown_title gives it) whole: the
// text in the title font, bold as most managers draw it, and room for the frame's icon and
// buttons. Never wider than the window's screen.
int caption_width(const QWidget& window, const QString& title);

// Raises the window's minimum (and, for a fixed width, its maximum) width to caption_width of
// its title. A window already wide enough, or whose layout asks for more, is left as it is.
void fit_caption(QWidget& window);

}  // namespace pv
