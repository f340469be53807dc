#include "app/link/history_window.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

QTableWidget* make_table(QWidget* parent, const QStringList& headers) {
    auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

void put(QTableWidget* t, int row, int col, const QString& text) {
    auto* it = new QTableWidgetItem(text);
    // The counts sit under the middle of their captions.
    if (col >= 2) it->setTextAlignment(Qt::AlignCenter);
    t->setItem(row, col, it);
}

QString msg(uint32_t n) {
    return ui_text(msg_text(n));
}

// The cause as the file name carries it, in the user's language.
QString cause_text(const std::string& cause) {
    const RestoreCause causes[] = {RestoreCause::load_all, RestoreCause::before_send_all,
                                   RestoreCause::before_send_parameter};
    for (uint32_t k = 0; k < 3; ++k)
        if (cause == restore_cause_name(causes[k])) return msg(249 + k);
    return QString::fromStdString(cause);
}

}  // namespace

Thistorydlg::Thistorydlg(Actions actions, QWidget* parent)
    : QDialog(parent), actions_(std::move(actions)) {
    setWindowTitle(msg(231));
    setObjectName(QStringLiteral("historydlg"));
    auto* layout = new QVBoxLayout(this);
    table_ = make_table(this, {msg(232), msg(233), msg(234), msg(235)});
    table_->setAccessibleName(msg(236));
    layout->addWidget(table_);
    auto* buttons = new QDialogButtonBox(this);
    auto add = [&](uint32_t caption, const char* name,
                   std::function<void(const std::string&)> Actions::*action) {
        QPushButton* b = buttons->addButton(msg(caption), QDialogButtonBox::ActionRole);
        b->setObjectName(QString::fromLatin1(name));
        connect(b, &QPushButton::clicked, this, [this, action] { run(actions_.*action); });
    };
    add(237, "btnhopen", &Actions::open);
    add(238, "btnhcompare", &Actions::compare);
    add(239, "btnhsend", &Actions::send_back);
    QPushButton* close = buttons->addButton(QDialogButtonBox::Close);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(buttons);
    refresh();
    // Every column whole (the Japanese captions are wider than the English ones), room for a
    // scroll bar, and the buttons' row.
    int w = 2 * table_->frameWidth() + table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int c = 0; c < table_->columnCount(); ++c) w += table_->columnWidth(c);
    const QMargins m = layout->contentsMargins();
    w = std::max(w, buttons->sizeHint().width()) + m.left() + m.right();
    resize(std::max(560, w), 360);
}

void Thistorydlg::refresh() {
    auto oldest_first = list_restore_points(history_folder());
    points_.assign(oldest_first.rbegin(), oldest_first.rend());
    table_->setRowCount(static_cast<int>(points_.size()));
    for (size_t k = 0; k < points_.size(); ++k) {
        const int row = static_cast<int>(k);
        put(table_, row, 0, QString::fromStdString(points_[k].when));
        put(table_, row, 1, cause_text(points_[k].cause));
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

}  // namespace pv
