#include "app/common/modal.h"

#include <QApplication>
#include <QDialog>
#include <QWindow>

#include "app/common/caption.h"

namespace pv {
namespace {

ModalRunner& runner() {
    static ModalRunner r;
    return r;
}

}  // namespace

int run_modal(QDialog& dialog) {
    fit_caption(dialog);
    ModalScope scope(dialog);
    if (runner()) return runner()(dialog);
    return dialog.exec();
}

void set_modal_runner(ModalRunner r) {
    runner() = std::move(r);
}

// QWidget::setWindowFlags would hide and show the window again on X11, which makes it flicker,
// may move it and gives it the focus; the window handle's flags go to the window manager as a
// plain state change.
ModalScope::ModalScope(const QWidget& dialog) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w == &dialog || !w->isVisible()) continue;
        QWindow* handle = w->windowHandle();
        if (!handle || !(handle->flags() & Qt::WindowStaysOnTopHint)) continue;
        handle->setFlags(handle->flags() & ~Qt::WindowStaysOnTopHint);
        lowered_.emplace_back(w);
    }
}

ModalScope::~ModalScope() {
    for (const QPointer<QWidget>& w : lowered_) {
        if (!w) continue;
        if (QWindow* handle = w->windowHandle())
            handle->setFlags(handle->flags() | Qt::WindowStaysOnTopHint);
    }
}

}  // namespace pv
