// The two modal dialogs of the transfers: Tnetdlg runs Load All or Send All behind a gauge,
// TWritingdlg tells the user that the unit is taking a parameter set into use.
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>

#include "app/common/modal.h"

class QLabel;
class QProgressBar;
class QTimer;

namespace pv {

class Tnetdlg : public QDialog {
    Q_OBJECT
  public:
    // kind 1 loads, 2 sends; `job` does the exchanges and sets the gauge's maximum itself.
    Tnetdlg(uint8_t kind, std::function<bool()> job, QWidget* parent = nullptr);
    ~Tnetdlg() override;

    void set_gauge_maximum(int maximum);
    void gauge_step();
    // The first tick runs the whole transfer and closes the dialog with its result.
    void tmnetTimer();
    void reject() override;

    QLabel* lbnet = nullptr;
    QProgressBar* ggnet = nullptr;
    QTimer* tmnet = nullptr;

  private:
    std::function<bool()> job_;
};

}  // namespace pv
