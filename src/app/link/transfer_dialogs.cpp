#include "app/link/transfer_dialogs.h"

#include "app/link/net.h"
#include "app/link/writingdialog.h"

namespace pv {

bool TransferDialogs::run_progress_dialog(uint8_t kind, const std::function<bool()>& job) {
    Tnetdlg dlg(kind, job, parent_);
    showing_ = &dlg;
    const int result = run_modal(dlg);
    showing_ = nullptr;
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
    run_modal(dlg);
}

}  // namespace pv
