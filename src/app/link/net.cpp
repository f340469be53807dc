#include "app/link/net.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "app/common/qt_prompter.h"
#include "core/document/unit.h"
#include "core/link/transfers.h"
#include "core/ui/texts.h"

namespace pv {
Tnetdlg::Tnetdlg(uint8_t kind, std::function<bool()> job, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      job_(std::move(job)) {
    setObjectName(QStringLiteral("netdlg"));
    setWindowTitle(ui_text(text(Catalog::Net, 1)));
    setModal(true);

    lbnet = new QLabel(ui_text(net_label_text(kind)), this);
    lbnet->setObjectName(QStringLiteral("lbnet"));
    ggnet = new QProgressBar(this);
    ggnet->setObjectName(QStringLiteral("ggnet"));
    ggnet->setRange(0, 100);
    ggnet->setValue(0);
    ggnet->setTextVisible(false);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(16, 12, 16, 16);
    column->addWidget(lbnet);
    column->addWidget(ggnet);
    setFixedSize(320, 90);

    tmnet = new QTimer(this);
    tmnet->setObjectName(QStringLiteral("tmnet"));
    tmnet->setSingleShot(true);
    tmnet->setInterval(static_cast<int>(kNetDialogStartMs));
    connect(tmnet, &QTimer::timeout, this, &Tnetdlg::tmnetTimer);
    tmnet->start();
}

Tnetdlg::~Tnetdlg() = default;

void Tnetdlg::set_gauge_maximum(int maximum) {
    ggnet->setRange(0, maximum);
    ggnet->setValue(0);
}

void Tnetdlg::gauge_step() {
    // The version reads come after the count; the gauge just stays full for them.
    if (ggnet->value() < ggnet->maximum()) ggnet->setValue(ggnet->value() + 1);
    // The whole transfer runs inside one timer tick, so no event loop would paint the step.
    ggnet->repaint();
}

void Tnetdlg::tmnetTimer() {
    tmnet->stop();
    const bool ok = job_();
    done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void Tnetdlg::reject() {
    // Escape before the first tick would end a transfer that never ran and report it as
    // broken; the dialog closes only with the job's result.
}

}  // namespace pv
