#include "app/link/transfer_dialogs.h"

#include <QApplication>

#include "app/link/net.h"
#include "app/link/writingdialog.h"

namespace pv {
namespace {

// A window manager may leave the keyboard nowhere once a transfer's dialogs have gone: the
// window the transfer started from takes it back, so the next key reaches the program.
void give_back_keyboard(QWidget* parent) {
    if (!parent || QApplication::activeModalWidget() || QApplication::activePopupWidget()) return;
    QWidget* w = parent->window();
    if (w->isVisible() && !w->isActiveWindow()) w->activateWindow();
}

}  // namespace

bool TransferDialogs::run_progress_dialog(uint8_t kind, const std::function<bool()>& job) {
    Tnetdlg dlg(kind, job, parent_);
    showing_ = &dlg;
    const int result = run_modal(dlg);
    showing_ = nullptr;
    give_back_keyboard(parent_);
    return result == QDialog::Accepted;
}

void TransferDialogs::set_gauge_maximum(int maximum) {
    if (showing_) showing_->set_gauge_maximum(maximum);
}

void TransferDialogs::gauge_step() {
    if (showing_) showing_->gauge_step();
}

void TransferDialogs::show_processing_dialog() {
    TWritingdlg dlg(parent_);
    // Over the progress dialog it would hide its text: it goes just below it instead.
    if (showing_ && showing_->isVisible()) {
        dlg.adjustSize();
        const QRect net = showing_->frameGeometry();
        dlg.move(net.left(), net.bottom() + 8);
    }
    run_modal(dlg);
    give_back_keyboard(parent_);
}

}  // namespace pv
