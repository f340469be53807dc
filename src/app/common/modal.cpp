#include "app/common/modal.h"

#include <QDialog>

namespace pv {
namespace {

ModalRunner& runner() {
    static ModalRunner r;
    return r;
}

}  // namespace

int run_modal(QDialog& dialog) {
    if (runner()) return runner()(dialog);
    return dialog.exec();
}

void set_modal_runner(ModalRunner r) {
    runner() = std::move(r);
}

}  // namespace pv
