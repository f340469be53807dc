// The two modal dialogs of the transfers: Tnetdlg runs Load All or Send All behind a gauge,
// TWritingdlg tells the user that the unit is taking a parameter set into use.
#pragma once
#include <QDialog>
#include <cstdint>
#include <functional>

class QLabel;
class QProgressBar;
class QTimer;

namespace pv {

// How the transfer dialogs are run modally. The program executes them; tests put in a runner
// that fires the dialogs' timers at once instead of waiting for them.
using ModalRunner = std::function<int(QDialog&)>;
int run_modal(QDialog& dialog);
// An empty runner restores QDialog::exec.
void set_modal_runner(ModalRunner runner);

class Tnetdlg : public QDialog {
    Q_OBJECT
  public:
    // kind 1 loads, 2 sends; `job` does the exchanges and sets the gauge's maximum itself.
    Tnetdlg(uint8_t kind, std::function<bool()> job, QWidget* parent = nullptr);
    ~Tnetdlg() override;

    // The dialog while it exists (it is modal, so there is at most one).
    static Tnetdlg* current();

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
