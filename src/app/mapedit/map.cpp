#include "mapedit/map.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "document/unit.h"
#include "shell/main.h"
#include "shell/qt_prompter.h"
#include "ui/prompter.h"
#include "ui/texts.h"

namespace pv {
namespace {

QIcon list_image(int index) {
    return QIcon(QStringLiteral(":/icons/list%1.png").arg(index));
}

QListWidget* make_list(QWidget* parent, const char* name) {
    auto* l = new QListWidget(parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setPixelSize(16);
    l->setFont(f);
    l->setIconSize(QSize(16, 16));
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return l;
}

struct TableItem {
    int caption;  // MapCall text
    int map_id;
};
const TableItem kGroups[3][3] = {
    {{5, map_rpm_axis}, {6, map_speed_axis}, {7, map_throttle_axis}},
    {{8, map_boost_a}, {9, map_offset_a}, {0, 0}},
    {{10, map_boost_b}, {11, map_offset_b}, {0, 0}},
};

}  // namespace

Tmap::Tmap(Tmain* owner) : QMdiSubWindow(owner), owner_(owner) {
    setObjectName(QStringLiteral("map"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(list_image(21));

    auto* body = new QSplitter(Qt::Horizontal, this);
    pnllvbase_ = new QWidget(body);
    pnllvbase_->setObjectName(QStringLiteral("pnllvbase"));
    auto* lists = new QSplitter(Qt::Vertical, pnllvbase_);
    lvmap1 = make_list(lists, "lvmap1");
    lvmap2 = make_list(lists, "lvmap2");
    lists->addWidget(lvmap1);
    lists->addWidget(lvmap2);
    lists->setSizes({210, 300});
    auto* col = new QVBoxLayout(pnllvbase_);
    col->setContentsMargins(0, 0, 0, 0);
    col->addWidget(lists);
    const int b = lvmap2->fontMetrics().horizontalAdvance(QLatin1Char('B'));
    pnllvbase_->setMinimumWidth(b * (japanese() ? 25 : 35) / 2);
    sgmap = new QTableWidget(body);
    sgmap->setObjectName(QStringLiteral("sgmap"));
    sgmap->setContextMenuPolicy(Qt::CustomContextMenu);
    sgmap->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(sgmap, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        owner_->grid_popup()->popup(sgmap->viewport()->mapToGlobal(p));
    });
    body->addWidget(pnllvbase_);
    body->addWidget(sgmap);
    body->setStretchFactor(1, 1);
    body->setSizes({b * (japanese() ? 25 : 35), 400});
    setWidget(body);
    resize(860, 400);

    connect(lvmap1, &QListWidget::itemSelectionChanged, this, &Tmap::lvmap1SelectItem);
    connect(lvmap2, &QListWidget::itemSelectionChanged, this, &Tmap::lvmap2SelectItem);

    state.doc_open = 1;
    set_caption_text(text(Catalog::Map, 1));
}

void Tmap::set_file_name(const std::string& path) {
    file_name_ = path;
    setWindowTitle(QString::fromStdString(path));
}

void Tmap::set_caption_text(const std::string& text_bytes) {
    file_name_ = text_bytes;
    setWindowTitle(ui_text(text_bytes));
}

void Tmap::fill_groups() {
    lvmap1->blockSignals(true);
    lvmap1->clear();
    for (int t : {2, 3, 4})
        lvmap1->addItem(new QListWidgetItem(list_image(22), ui_text(text(Catalog::Map, t))));
    lvmap1->blockSignals(false);
    lvmap1->setCurrentRow(0);
}

void Tmap::lvmap1SelectItem() {
    CommitAxisEdit();
    int index = lvmap1->currentRow();
    if (index < 0 || index == last_group_index_) return;
    if (lvmap2->currentRow() >= 0) group_item_memory_[last_group_index_] = lvmap2->currentRow();
    last_group_index_ = index;
    FillTableList();
    lvmap2->setCurrentRow(group_item_memory_[index]);
}

void Tmap::FillTableList() {
    lvmap2->blockSignals(true);
    lvmap2->clear();
    int group = lvmap1->currentRow();
    for (int i = 0; i < 3; ++i) {
        map_item_disabled_[i] = false;
        if (group < 0 || kGroups[group][i].caption == 0) continue;
        map_item_disabled_[i] = is_map(kGroups[group][i].map_id) && pv::data.axis_select_no == 0;
        auto* item = new QListWidgetItem(
            list_image(map_item_disabled_[i] ? 26 : 21),
            ui_text(text(Catalog::Map, static_cast<uint32_t>(kGroups[group][i].caption))));
        if (map_item_disabled_[i]) item->setForeground(QColor(192, 192, 192));
        lvmap2->addItem(item);
    }
    lvmap2->blockSignals(false);
}

void Tmap::lvmap2SelectItem() {
    CommitAxisEdit();
    int group = lvmap1->currentRow();
    int item = lvmap2->currentRow();
    if (group < 0 || item < 0 || kGroups[group][item].caption == 0) return;
    grid.current_map = kGroups[group][item].map_id;
    Shape s = MapShape(grid.current_map, false);
    grid.grid_cols = s.cols;
    grid.grid_rows = s.rows;
    ClearChanged();
    SetupGrid();
    for (int c = 1; c <= grid.grid_cols; ++c)
        for (int r = 1; r <= grid.grid_rows; ++r)
            grid.undo_values[c - 1][r - 1] = grid.grid_values[c][r - 1];
    if (state.doc_open) {
        owner_->set_status_text(1, lvmap2->currentItem()->text());
        owner_->SetGridEnabled(!map_item_disabled_[item]);
    }
}

void Tmap::SetupGrid() {
    sgmap->setColumnCount(grid.grid_cols);
    sgmap->setRowCount(grid.grid_rows);
    const bool live = state.link_on != 0;
    const int valve = live ? unit.valve_version : pv::data.file_valve_version;
    const int display = live ? unit.display_version : pv::data.file_display_version;
    // Firmware 1.20 to 1.29 takes a narrower, lower boost range.
    const bool narrow = valve >= 120 && valve <= 129 && display >= 120 && display <= 129;
    const bool psi = pv::data.pressure_unit == 1;
    switch (grid.current_map) {
        case map_rpm_axis:
            grid.value_min = 0;
            grid.value_max = 120;
            break;
        case map_speed_axis:
            grid.value_min = 0;
            grid.value_max = 50;
            break;
        case map_throttle_axis:
            grid.value_min = 0;
            grid.value_max = 100;
            break;
        case map_boost_a:
        case map_boost_b:
            grid.value_min = narrow ? (psi ? -246 : -170) : (psi ? -170 : -120);
            grid.value_max = narrow ? (psi ? 100 : 70) : (psi ? 170 : 120);
            break;
        default:
            grid.value_min = 1;
            grid.value_max = 199;
            break;
    }
    if (pv::data.file_version != 0) {
        QString t = QStringLiteral("Data File Ver ") +
                    QString::fromStdString(file_version_text(pv::data.file_version));
        if (pv::data.save_stamp[0] != 0)
            t += QStringLiteral("  ") + QString::fromStdString(pv::data.save_date_text);
        if (pv::data.save_stamp[3] < 25)
            t += QStringLiteral("  ") + QString::fromStdString(pv::data.save_time_text);
        owner_->set_status_text(3, t);
    }
    FillGrid();
}

void Tmap::FillGrid() {
    for (int c = 1; c <= grid.grid_cols; ++c) {
        QString head = is_axis(grid.current_map) ? QString::number(c) : QString();
        if (!is_axis(grid.current_map)) {
            int v = pv::data.axis_select_no == 1 ? pv::data.throttle_axis[c - 1]
                    : (pv::data.axis_select_no == 3 || pv::data.axis_select_no == 5)
                        ? pv::data.speed_axis[c - 1] * 10
                        : pv::data.rpm_axis[c - 1] * 100;
            head = QString::number(v);
        }
        sgmap->setHorizontalHeaderItem(c - 1, new QTableWidgetItem(head));
        for (int r = 1; r <= grid.grid_rows; ++r) {
            MapCell cell = map_cell_of(c, r);
            int32_t v = table_element(grid.current_map, cell.i, cell.j);
            grid.grid_values[c][r - 1] = v;
            auto* item = new QTableWidgetItem(QString::fromStdString(FormatCell(v)));
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            sgmap->setItem(r - 1, c - 1, item);
        }
    }
    for (int r = 1; r <= grid.grid_rows; ++r) {
        QString head = grid.grid_rows > 1
                           ? QString::number(pv::data.throttle_axis[r - 1])
                           : ui_text(text(Catalog::Map, is_axis(grid.current_map) ? 13 : 16));
        sgmap->setVerticalHeaderItem(r - 1, new QTableWidgetItem(head));
    }
}

void Tmap::show_cell(int column, int row, const QString& text) {
    if (QTableWidgetItem* item = sgmap->item(row - 1, column - 1)) item->setText(text);
}

bool Tmap::CommitAxisEdit() {
    return true;
}

void Tmap::ApplyCellSize() {
    QFont f = sgmap->font();
    f.setPointSize(settings.map_font_size + 8);
    sgmap->setFont(f);
    QFontMetrics fm(f);
    const int extra = round_half_even(f.pointSize() / 3.0);
    sgmap->horizontalHeader()->setDefaultSectionSize(fm.horizontalAdvance(QStringLiteral("*****")) +
                                                     extra + 24);
    sgmap->verticalHeader()->setDefaultSectionSize(fm.height() + extra);
}

void Tmap::set_grid_enabled(bool on) {
    sgmap->setEnabled(on);
}

void Tmap::set_controls_enabled(bool on) {
    lvmap1->setEnabled(on);
    lvmap2->setEnabled(on);
    sgmap->setEnabled(on);
}

void Tmap::rebuild_after_parameters() {
    int item = lvmap2->currentRow();
    FillTableList();
    lvmap2->setCurrentRow(item < 0 ? 0 : item);
    lvmap2SelectItem();
}

void Tmap::closeEvent(QCloseEvent* event) {
    state.ui_busy = 1;
    if (state.doc_modified) {
        Answer a = prompter().ask(Icon::Question, Buttons::YesNoCancel, msg_text(12));
        if (a == Answer::Cancel || (a == Answer::Yes && !owner_->save_before_close())) {
            event->ignore();
            state.ui_busy = 0;
            return;
        }
    }
    state.doc_open = 0;
    state.doc_named = 0;
    state.doc_modified = 0;
    state.compare_loaded = 0;
    state.doc_is_new = 0;
    owner_->link_off();
    state.link_ready = 0;
    pv::data.file_version = 0;
    state.log_link = 0;
    owner_->repaint_status_bar();
    owner_->map_closed();
    QMdiSubWindow::closeEvent(event);
    state.ui_busy = 0;
}

}  // namespace pv
