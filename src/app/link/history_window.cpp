#include "app/link/history_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

QTableWidget* make_table(QWidget* parent, const QStringList& headers) {
    auto* t = new QTableWidget(0, headers.size(), parent);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void put(QTableWidget* t, int row, int col, const QString& text) {
    t->setItem(row, col, new QTableWidgetItem(text));
}

}  // namespace

Thistorydlg::Thistorydlg(Actions actions, QWidget* parent)
    : QDialog(parent), actions_(std::move(actions)) {
    setWindowTitle(QStringLiteral("Unit History"));
    setObjectName(QStringLiteral("historydlg"));
    auto* layout = new QVBoxLayout(this);
    table_ =
        make_table(this, {QStringLiteral("Date and Time"), QStringLiteral("Cause"),
                          QStringLiteral("Changed Cells"), QStringLiteral("Changed Parameters")});
    table_->setAccessibleName(QStringLiteral("Restore points"));
    layout->addWidget(table_);
    auto* buttons = new QDialogButtonBox(this);
    auto add = [&](const char* caption, const char* name,
                   std::function<void(const std::string&)> Actions::*action) {
        QPushButton* b =
            buttons->addButton(QString::fromLatin1(caption), QDialogButtonBox::ActionRole);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, [this, action] { run(actions_.*action); });
    };
    add("&Open", "btnhopen", &Actions::open);
    add("Show as &Comparison", "btnhcompare", &Actions::compare);
    add("&Send Back", "btnhsend", &Actions::send_back);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(560, 360);
    refresh();
}

void Thistorydlg::refresh() {
    auto oldest_first = list_restore_points(history_folder());
    points_.assign(oldest_first.rbegin(), oldest_first.rend());
    table_->setRowCount(static_cast<int>(points_.size()));
    for (size_t k = 0; k < points_.size(); ++k) {
        const int row = static_cast<int>(k);
        put(table_, row, 0, QString::fromStdString(points_[k].when));
        put(table_, row, 1, QString::fromStdString(points_[k].cause));
        ControllerData d, before;
        if (k + 1 < points_.size() && read_restore_point(points_[k], d) &&
            read_restore_point(points_[k + 1], before)) {
            const PointChanges c = count_changes(before, d);
            put(table_, row, 2, QString::number(c.cells));
            put(table_, row, 3, QString::number(c.parameters));
        }
    }
    table_->resizeColumnsToContents();
    if (!points_.empty()) table_->selectRow(0);
}

void Thistorydlg::run(const std::function<void(const std::string&)>& action) {
    const int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(points_.size()) || !action) return;
    const std::string path = points_[static_cast<size_t>(row)].path;
    action(path);
    refresh();
}

bool ReviewDialogs::confirm_send(const std::vector<Difference>& changes, bool) {
    QDialog dlg(parent_);
    dlg.setWindowTitle(QStringLiteral("Review"));
    dlg.setObjectName(QStringLiteral("reviewdlg"));
    auto* layout = new QVBoxLayout(&dlg);
    layout->addWidget(new QLabel(ui_text(msg_text(230)), &dlg));
    QTableWidget* t = make_table(
        &dlg, {QStringLiteral("Item"), QStringLiteral("Unit"), QStringLiteral("Document")});
    t->setObjectName(QStringLiteral("reviewtable"));
    t->setRowCount(static_cast<int>(changes.size()));
    for (size_t k = 0; k < changes.size(); ++k) {
        const int row = static_cast<int>(k);
        put(t, row, 0, ui_text(changes[k].name));
        put(t, row, 1, ui_text(changes[k].a_text));
        put(t, row, 2, ui_text(changes[k].b_text));
    }
    t->resizeColumnsToContents();
    layout->addWidget(t);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Send"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(buttons);
    dlg.resize(520, 320);
    return run_modal(dlg) == QDialog::Accepted;
}

}  // namespace pv
