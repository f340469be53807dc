#include "app/link/writingdialog.h"

#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

#include "core/document/unit.h"
#include "core/link/transfers.h"

namespace pv {

TWritingdlg::TWritingdlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Writingdlg"));
    setWindowTitle(QStringLiteral("Communication"));
    setModal(true);

    writing_message = new QLabel(QStringLiteral("Processing..."), this);
    writing_message->setObjectName(QStringLiteral("writing_message"));
    writing_message->setAlignment(Qt::AlignCenter);
    QPalette p = writing_message->palette();
    p.setColor(QPalette::WindowText, QColor(255, 0, 0));
    writing_message->setPalette(p);
    QFont f = writing_message->font();
    f.setBold(true);
    writing_message->setFont(f);
    auto* column = new QVBoxLayout(this);
    column->addWidget(writing_message);
    setFixedSize(260, 80);

    tmmess = new QTimer(this);
    tmmess->setObjectName(QStringLiteral("tmmess"));
    tmmess->setSingleShot(true);
    tmmess->setInterval(static_cast<int>(kProcessingShowMs));
    connect(tmmess, &QTimer::timeout, this, &TWritingdlg::tmmessTimer);
    tmmess->start();
}

void TWritingdlg::tmmessTimer() {
    tmmess->stop();
    done(QDialog::Accepted);
}

void TWritingdlg::done(int result) {
    Delay(kProcessingCloseWaitMs);
    QDialog::done(result);
}

void TWritingdlg::reject() {
    // Escape or the title bar must not cut the unit's processing time short.
}

}  // namespace pv
