#include "app/link/review_dialog.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"
#include "core/document/unit.h"
#include "core/mapedit/table_pick.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

QString msg(uint32_t n) {
    return ui_text(msg_text(n));
}

// A changed cell is shaded and starts with a star, so that it stands out without colour.
const QColor kChangedBack(255, 226, 138);
const QString kChangedMark = QStringLiteral("* ");
const QString kArrow = QStringLiteral(" -> ");

QTableWidget* read_only_table(QWidget* parent) {
    auto* t = new QTableWidget(parent);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->setWordWrap(false);
    return t;
}

QTableWidgetItem* item(const QString& text) {
    auto* it = new QTableWidgetItem(text);
    it->setTextAlignment(Qt::AlignCenter);
    return it;
}

// The smallest size that shows every row and column without scrolling.
QSize whole_size(QTableWidget* t) {
    t->resizeColumnsToContents();
    t->resizeRowsToContents();
    const int frame = 2 * t->frameWidth();
    // Not shown yet: whether a header is hidden is all that is known of it.
    int w = frame + (t->verticalHeader()->isHidden() ? 0 : t->verticalHeader()->sizeHint().width());
    for (int c = 0; c < t->columnCount(); ++c) w += t->columnWidth(c);
    int h = frame + t->horizontalHeader()->sizeHint().height();
    for (int r = 0; r < t->rowCount(); ++r) h += t->rowHeight(r);
    return {w, h};
}

// What a reader says of one grid cell: where it is, what it holds and whether the send
// changes it.
QString cell_speech(const QString& row, const QString& column, const TableGrid::Cell& c) {
    const QString where = row.isEmpty() ? column : row + QStringLiteral(", ") + column;
    const QString value =
        c.changed ? ui_text(c.a_text) + kArrow + ui_text(c.b_text) : ui_text(c.b_text);
    return where + QStringLiteral(": ") + value + QStringLiteral(", ") + msg(c.changed ? 247 : 248);
}

QTableWidgetItem* grid_item(const TableGrid::Cell& c, const QString& row, const QString& column) {
    QTableWidgetItem* it =
        item(c.changed ? kChangedMark + ui_text(c.a_text) + kArrow + ui_text(c.b_text)
                       : ui_text(c.b_text));
    if (c.changed) {
        it->setBackground(kChangedBack);
        it->setForeground(QColor(Qt::black));
        QFont f = it->font();
        f.setBold(true);
        it->setFont(f);
    }
    it->setData(Qt::AccessibleTextRole, cell_speech(row, column, c));
    return it;
}

QTableWidget* make_grid(const TableGrid& g, QWidget* parent) {
    QTableWidget* t = read_only_table(parent);
    t->setObjectName(QStringLiteral("reviewgrid_") +
                     QString::fromStdString(table_field_name(g.map_id)));
    t->setAccessibleName(ui_text(g.caption));
    t->setRowCount(static_cast<int>(g.row_heads.size()));
    t->setColumnCount(static_cast<int>(g.column_heads.size()));
    QStringList columns, rows;
    for (const std::string& h : g.column_heads) columns << ui_text(h);
    for (const std::string& h : g.row_heads) rows << ui_text(h);
    t->setHorizontalHeaderLabels(columns);
    t->setVerticalHeaderLabels(rows);
    for (int r = 0; r < t->rowCount(); ++r)
        for (int c = 0; c < t->columnCount(); ++c)
            t->setItem(r, c, grid_item(g.cells[r][c], rows[r], columns[c]));
    // The whole table and nothing more: no empty area beside or under its cells.
    t->setFixedSize(whole_size(t));
    t->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return t;
}

std::vector<TableGrid> changed_tables(const SendChanges& send) {
    std::vector<TableGrid> out;
    for (int id : kTableIds) {
        const std::string field = table_field_name(id);
        for (const Difference& d : send.changes)
            if (d.is_cell && d.field == field) {
                out.push_back(table_grid(send.in_unit, send.doc, id));
                break;
            }
    }
    return out;
}

// A changed cell that no grid shows (the axis mode hides it) is listed with the parameters.
bool shown_in_grid(const Difference& d, const std::vector<TableGrid>& grids) {
    for (const TableGrid& g : grids)
        if (table_field_name(g.map_id) == d.field) return g.shows(d.i, d.j);
    return false;
}

}  // namespace

TReviewdlg::TReviewdlg(const SendChanges& send, QWidget* parent) : QDialog(parent) {
    setWindowTitle(msg(240));
    setObjectName(QStringLiteral("reviewdlg"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(msg(230), this));
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("reviewtabs"));
    tabs_->setUsesScrollButtons(true);
    layout->addWidget(tabs_, 1);

    const std::vector<TableGrid> grids = changed_tables(send);
    add_parameter_page(send, grids);
    for (const TableGrid& g : grids) {
        int changed = 0;
        for (const auto& row : g.cells)
            for (const TableGrid::Cell& c : row) changed += c.changed;
        add_grid_page(g, changed);
    }
    if (!grids.empty()) layout->addWidget(new QLabel(msg(246), this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setText(msg(244));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    // The eye reads the pages, then the buttons: Send, then Cancel.
    setTabOrder(tabs_, ok);
    setTabOrder(ok, buttons->button(QDialogButtonBox::Cancel));
    fit_to_screen();
}

void TReviewdlg::add_parameter_page(const SendChanges& send, const std::vector<TableGrid>& grids) {
    std::vector<const Difference*> rows;
    for (const Difference& d : send.changes)
        if (!d.is_cell || !shown_in_grid(d, grids)) rows.push_back(&d);
    if (rows.empty()) return;
    list_ = read_only_table(tabs_);
    list_->setObjectName(QStringLiteral("reviewtable"));
    list_->setAccessibleName(msg(245));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->verticalHeader()->hide();
    list_->setColumnCount(3);
    list_->setHorizontalHeaderLabels({msg(241), msg(242), msg(243)});
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->setRowCount(static_cast<int>(rows.size()));
    for (size_t k = 0; k < rows.size(); ++k) {
        const int row = static_cast<int>(k);
        auto* name = new QTableWidgetItem(ui_text(rows[k]->name));
        list_->setItem(row, 0, name);
        list_->setItem(row, 1, item(ui_text(rows[k]->a_text)));
        list_->setItem(row, 2, item(ui_text(rows[k]->b_text)));
    }
    const QSize whole = whole_size(list_);
    list_->setMinimumWidth(whole.width());
    list_->setMinimumHeight(std::min(whole.height(), 12 * list_->rowHeight(0)));
    tabs_->addTab(list_, msg(245) + QStringLiteral(" (%1)").arg(rows.size()));
}

void TReviewdlg::add_grid_page(const TableGrid& g, int changed) {
    auto* page = new QWidget(tabs_);
    auto* layout = new QVBoxLayout(page);
    QString heading = ui_text(g.axis_text);
    if (!g.corner.empty()) heading += QStringLiteral("    ") + ui_text(g.corner);
    layout->addWidget(new QLabel(heading, page));
    layout->addWidget(make_grid(g, page), 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
    tabs_->addTab(page, ui_text(g.caption) + QStringLiteral(" (%1)").arg(changed));
}

QTableWidget* TReviewdlg::grid(const QString& field) const {
    return findChild<QTableWidget*>(QStringLiteral("reviewgrid_") + field);
}

void TReviewdlg::fit_to_screen() {
    QSize want = sizeHint().expandedTo(QSize(420, 240));
    if (const QScreen* s = QGuiApplication::primaryScreen()) {
        const QRect room = s->availableGeometry();
        want = want.boundedTo(QSize(room.width() * 9 / 10, room.height() * 9 / 10));
    }
    resize(want);
}

bool ReviewDialogs::confirm_send(const SendChanges& send) {
    TReviewdlg dlg(send, parent_);
    return run_modal(dlg) == QDialog::Accepted;
}

}  // namespace pv
