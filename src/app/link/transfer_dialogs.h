// The transfer dialogs as the link's sequences see them: the progress dialog around Load All
// and Send All, and the processing dialog after a parameter send.
#pragma once
#include "core/ui/hooks.h"

class QWidget;

namespace pv {

class Tnetdlg;

class TransferDialogs final : public TransferProgress {
  public:
    explicit TransferDialogs(QWidget* parent) : parent_(parent) {}

    bool run_progress_dialog(uint8_t kind, const std::function<bool()>& job) override;
    void set_gauge_maximum(int maximum) override;
    void gauge_step() override;
    void show_processing_dialog() override;

  private:
    QWidget* parent_;
    Tnetdlg* showing_ = nullptr;  // the progress dialog while it is up (it is modal)
};

}  // namespace pv
