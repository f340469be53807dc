// How the program's modal dialogs are run. The program executes them; tests put in a runner
// that fires the dialogs' timers at once instead of waiting for them.
#pragma once
#include <QPointer>
#include <functional>
#include <vector>

class QDialog;
class QWidget;

namespace pv {

using ModalRunner = std::function<int(QDialog&)>;
// Runs the dialog inside a ModalScope, wide enough for its caption.
int run_modal(QDialog& dialog);
// An empty runner restores QDialog::exec.
void set_modal_runner(ModalRunner runner);

// For its lifetime, the visible stay-on-top windows other than `dialog` (the data monitor)
// stand below the modal dialog instead of hiding it, and go back on top afterwards. Make it
// before the dialog shows: the dialog then opens above them. Only the platform window's flag
// changes, so the window keeps its place, its contents and the focus; a window that closes
// meanwhile is simply forgotten. Scopes nest.
class ModalScope {
  public:
    explicit ModalScope(const QWidget& dialog);
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

  private:
    std::vector<QPointer<QWidget>> lowered_;
};

}  // namespace pv
