#include "app/common/caption.h"

#include <QApplication>
#include <QBoxLayout>
#include <QFontMetrics>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace pv {

QString program_title() {
    return QStringLiteral("Pavex Dravlo");
}

QString shown_title(const QString& title) {
    // Without a display name of its own Qt reports the application name, and appends nothing.
    const QString name = QGuiApplication::applicationDisplayName();
    if (name == QCoreApplication::applicationName() || title.endsWith(name)) {
        return title.isEmpty() ? QCoreApplication::applicationName() : title;
    }
    return title.isEmpty() ? name : title + QStringLiteral(" \u2014 ") + name;
}

int caption_width(const QWidget& window, const QString& title) {
    // No window manager tells its title font; the platform's title font, and its bold face,
    // stand in for it, and whichever is wider counts.
    const QFont plain = QApplication::font("QMdiSubWindowTitleBar");
    QFont bold = plain;
    bold.setBold(true);
    const QFontMetrics fp(plain);
    const QFontMetrics fb(bold);
    const QString shown = shown_title(title);
    const int text = std::max(fp.horizontalAdvance(shown), fb.horizontalAdvance(shown));
    // The icon, minimise, maximise and close, and the margins around the text: six buttons'
    // room is more than the common managers' themes take.
    const int button = std::max(24, fb.height() + 8);
    int width = text + 6 * button;
    if (const QScreen* s = window.screen()) width = std::min(width, s->availableGeometry().width());
    return width;
}

void fit_caption(QWidget& window) {
    const int need = caption_width(window, window.windowTitle());
    // Asking for the size hint first also lets a dialog that builds its layout late build it.
    // An explicit minimum turns the layout's own off: the layout's stays when it is wider.
    if (std::max(window.minimumWidth(), window.minimumSizeHint().width()) >= need) return;
    QLayout* layout = window.layout();
    const bool layout_sets_limits = layout &&
                                    layout->sizeConstraint() != QLayout::SetDefaultConstraint &&
                                    layout->sizeConstraint() != QLayout::SetNoConstraint;
    auto* column = qobject_cast<QBoxLayout*>(layout);
    if (layout_sets_limits && column &&
        (column->direction() == QBoxLayout::TopToBottom ||
         column->direction() == QBoxLayout::BottomToTop)) {
        // Such a layout sets the window's limits anew on every change; a strut widens it instead.
        const QMargins m = column->contentsMargins();
        column->addStrut(need - m.left() - m.right());
        return;
    }
    if (window.maximumWidth() < need) window.setMaximumWidth(need);
    window.setMinimumWidth(need);
}

}  // namespace pv
