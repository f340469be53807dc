#include "app/mapedit/map.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QVBoxLayout>
#include <functional>

#include "app/common/qt_prompter.h"
#include "app/mapedit/map_grid.h"
#include "app/mapedit/map_host.h"
#include "app/mapedit/map_overlay.h"
#include "core/document/document_flow.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/logging/live.h"
#include "core/logging/log_view.h"
#include "core/mapedit/axis_edit.h"
#include "core/mapedit/comparison.h"
#include "core/ui/keys.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {
namespace {

QIcon list_image(int index) {
    return QIcon(QStringLiteral(":/icons/list%1.png").arg(index));
}

// A list that reports the release of a mouse button after its own handling, when a
// click may have taken its selection away.
class TableList : public QListWidget {
  public:
    using QListWidget::QListWidget;
    std::function<void(const QPoint&)> mouse_up;

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QListWidget::mouseReleaseEvent(event);
        if (mouse_up) mouse_up(event->position().toPoint());
    }
};

TableList* make_list(QWidget* parent, const char* name) {
    auto* l = new TableList(parent);
    l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setPixelSize(16);
    l->setFont(f);
    l->setIconSize(QSize(16, 16));
    l->setViewMode(QListView::ListMode);
    l->setSelectionMode(QAbstractItemView::SingleSelection);
    l->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return l;
}

// Asked at every poll. In these lists of single selection the selected row is nearly always
// the current one; otherwise the selection's first range tells.
int selected_row(const QListWidget* list) {
    const QItemSelectionModel* model = list->selectionModel();
    const int current = list->currentRow();
    if (current >= 0 && model->isRowSelected(current, QModelIndex())) return current;
    const QItemSelection s = model->selection();
    return s.isEmpty() ? -1 : s.first().top();
}

Axis* axis_of(int map_id) {
    switch (map_id) {
        case map_rpm_axis:
            return &pv::data.rpm_axis;
        case map_speed_axis:
            return &pv::data.speed_axis;
        case map_throttle_axis:
            return &pv::data.throttle_axis;
        default:
            return nullptr;
    }
}

}  // namespace

Tmap::Tmap(MapHost* host, QWidget* parent)
    : QMdiSubWindow(parent), host_(host), overlay_(std::make_unique<MapOverlayState>()) {
    setObjectName(QStringLiteral("map"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(list_image(21));

    body_ = new QSplitter(Qt::Horizontal, this);
    body_->setObjectName(QStringLiteral("Splitter1"));
    body_->setChildrenCollapsible(false);
    pnllvbase_ = new QWidget(body_);
    pnllvbase_->setObjectName(QStringLiteral("pnllvbase"));
    lists_ = new QSplitter(Qt::Vertical, pnllvbase_);
    lists_->setObjectName(QStringLiteral("Splitter2"));
    lists_->setHandleWidth(3);
    lists_->setChildrenCollapsible(false);
    lvmap1 = make_list(lists_, "lvmap1");
    lvmap2 = make_list(lists_, "lvmap2");
    lists_->addWidget(lvmap1);
    lists_->addWidget(lvmap2);
    auto* col = new QVBoxLayout(pnllvbase_);
    col->setContentsMargins(0, 0, 0, 0);
    col->addWidget(lists_);
    pnllvbase_->installEventFilter(this);

    // The grid and, beside it, the log overlay's legend.
    auto* grid_panel = new QWidget(body_);
    grid_panel->setObjectName(QStringLiteral("Panel2"));
    sgmap = new MapGrid(this, grid_panel);
    sgmap->setObjectName(QStringLiteral("sgmap"));
    lbloverlay = new MapLegend(grid_panel);
    auto* row = new QHBoxLayout(grid_panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(sgmap, 1);
    row->addWidget(lbloverlay, 0);
    sgmap->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sgmap, &QWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        host_->grid_popup()->popup(sgmap->viewport()->mapToGlobal(p));
    });
    body_->addWidget(pnllvbase_);
    body_->addWidget(grid_panel);
    body_->setStretchFactor(0, 0);
    body_->setStretchFactor(1, 1);
    setWidget(body_);
    resize(860, 400);
    const int b = lvmap2->fontMetrics().horizontalAdvance(QLatin1Char('B'));
    const int list_width = b * (japanese() ? 25 : 35);
    body_->setSizes({list_width, std::max(width() - list_width, 100)});

    connect(lvmap1, &QListWidget::itemSelectionChanged, this, &Tmap::lvmap1SelectItem);
    connect(lvmap2, &QListWidget::itemSelectionChanged, this, &Tmap::lvmap2SelectItem);
    for (QListWidget* l : {lvmap1, lvmap2})
        static_cast<TableList*>(l)->mouse_up = [this, l](const QPoint& p) { lvmap1MouseUp(l, p); };

    state.doc_open = 1;
    cursors.trace_on = 0;
    cursors.cursor_trace_on = 0;
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

int Tmap::list_panel_width() const {
    return pnllvbase_->width();
}

int Tmap::group_index() const {
    return selected_row(lvmap1);
}

int Tmap::table_index() const {
    return selected_row(lvmap2);
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
    const int index = group_index();
    if (index < 0 || index == last_group_index_) return;
    if (table_index() >= 0) group_item_memory_[last_group_index_] = table_index();
    FillTableList();
    last_group_index_ = index;
    lvmap2->setCurrentRow(group_item_memory_[index]);
}

void Tmap::FillTableList() {
    lvmap2->blockSignals(true);
    lvmap2->clear();
    const int group = group_index();
    for (int i = 0; i < 3; ++i) {
        map_item_disabled_[i] = false;
        const int id = table_of(group, i);
        if (id == 0) continue;
        map_item_disabled_[i] = table_disabled(id);
        auto* item = new QListWidgetItem(
            list_image(map_item_disabled_[i] ? 26 : 21),
            ui_text(text(Catalog::Map, static_cast<uint32_t>(table_caption(group, i)))));
        if (map_item_disabled_[i]) item->setForeground(QColor(192, 192, 192));
        lvmap2->addItem(item);
    }
    lvmap2->blockSignals(false);
}

void Tmap::lvmap2SelectItem() {
    CommitAxisEdit();
    const int group = group_index();
    const int item = table_index();
    const int id = table_of(group, item);
    if (id == 0) return;
    sgmap->end_edit();
    grid.current_map = id;
    cursors.cursor_enabled = log_cursor_allowed_on(id);
    cursors.cursor_hold = 0;
    Shape s = MapShape(id, false);
    grid.grid_cols = s.cols;
    grid.grid_rows = s.rows;
    ClearChanged();
    table_linked_ = state.link_on != 0;
    SetupGrid();
    if (!sgmap->currentIndex().isValid()) {
        sgmap->set_current_cell(1, 1);
        sgmap->select_cells({1, 1, 1, 1});
    }
    if (state.link_on || state.log_link) {
        UpdateLiveCursor();
        UpdateCompareCursor();
    }
    take_undo_point();
    clear_trace_marks();
    if (state.doc_open) {
        host_->set_status_text(1, lvmap2->item(item)->text());
        set_grid_enabled(!map_item_disabled_[item]);
    }
    document_views().rebuild_graph();
}

void Tmap::lvmap1MouseUp(QListWidget* list, const QPoint& pos) {
    if (list->selectedItems().isEmpty()) {
        if (QListWidgetItem* under = list->itemAt(pos))
            list->setCurrentItem(under);
        else if (list->count() > 0)
            list->setCurrentRow(list->count() - 1);
    }
    if (grid_enabled_ && sgmap->isEnabled()) sgmap->setFocus(Qt::MouseFocusReason);
}

void Tmap::pnllvbaseResize() {
    const int h = pnllvbase_->height();
    const int top = h >= 260 ? 210 : h / 2;
    lists_->setSizes({top, std::max(h - top - lists_->handleWidth(), 0)});
}

void Tmap::SetupGrid() {
    MapGrid& g = *sgmap;
    g.cells()->set_shape(grid.grid_cols, grid.grid_rows);
    const int row_height = g.verticalHeader()->defaultSectionSize();
    g.set_header_sizes(header_width_for_setup(grid.grid_rows, col_width_, font_points_),
                       row_height);
    set_value_bounds();
    if (state.doc_open) host_->set_status_text(2, ui_text(status_axis_text()));
    const std::string file = status_file_text();
    if (!file.empty()) host_->set_status_text(3, ui_text(file));
    if (state.compare_loaded && !reread_comparison()) comparison_off();
    FillGrid();
}

void Tmap::FillGrid() {
    fill_grid_values();
    std::array<QString, 5> columns, rows;
    for (int k = 1; k <= 5; ++k) {
        columns[k - 1] = ui_text(column_header_text(k));
        if (k <= grid.grid_rows) rows[k - 1] = ui_text(row_header_text(k));
    }
    MapGridModel& cells = *sgmap->cells();
    cells.set_headers(ui_text(corner_text()), columns, rows);
    for (int c = 1; c <= grid.grid_cols; ++c)
        for (int r = 1; r <= grid.grid_rows; ++r)
            cells.set_cell(c, r, QString::fromStdString(FormatCell(grid.grid_values[c][r - 1])));
    sgmap->set_header_sizes(header_width_for_fill(grid.grid_rows, col_width_, font_points_),
                            sgmap->verticalHeader()->defaultSectionSize());
    if (sgmap->corner_button()) sgmap->corner_button()->update();
    document_views().repaint_graph();
    refresh_overlay(false);
}

void Tmap::cell_written(int column, int row, const std::string& text) {
    show_cell(column, row, QString::fromStdString(text));
}

void Tmap::fill_table_list() {
    // The table was chosen for the other link state: starting the link has put the unit's
    // values into it, and stopping it (Link, All Reset, a silent unit) hands the bounds back
    // to the file's firmware. It is shown afresh as a change of table would (undo point,
    // bounds, status panels, cursor), so that Undo cannot bring back values from before.
    if ((state.link_on != 0) != table_linked_) {
        rebuild_after_parameters();
        return;
    }
    // The list is rebuilt for the link's state; the table shown stays as it is.
    const int row = lvmap2->currentRow();
    FillTableList();
    if (row < 0 || row >= lvmap2->count()) return;
    const bool blocked = lvmap2->blockSignals(true);
    lvmap2->setCurrentRow(row);
    lvmap2->blockSignals(blocked);
}

void Tmap::show_cell(int column, int row, const QString& text) {
    sgmap->cells()->set_cell(column, row, text);
}

QString Tmap::cell_text(int column, int row) const {
    return sgmap->cells()->cell(column, row);
}

bool Tmap::CommitAxisEdit() {
    if (committing_ || !state.edit_pending) return true;
    Axis* axis = axis_of(grid.current_map);
    if (!axis) return true;
    committing_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{committing_};
    if (axis_has_equal_points(*axis, grid.grid_cols)) {
        prompter().message(Icon::Error, msg_text(32));
        sgmap->select_cells({1, 1, grid.grid_cols, 1});
        undo_selection();
        Delay(500);
        return false;
    }
    sort_axis(*axis);
    FillGrid();
    Line old_points{}, new_points{};
    for (int k = 0; k < 5; ++k) {
        old_points[k] = grid.undo_values[k][0];
        new_points[k] = (*axis)[k];
    }
    reinterpolate_maps(grid.current_map, old_points, new_points);
    // The maps now lie on the new points: a later edit of this axis must interpolate from
    // them, not from the points the table was chosen with, or the maps would move twice.
    take_undo_point();
    ClearChanged();
    return true;
}

void Tmap::ApplyCellSize() {
    font_points_ = settings.map_font_size + 8;
    // Digits and "*" are equally wide in a fixed-pitch face, so "*****" measures any value
    // the grid shows, and the five-character texts line up on the right.
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.setPointSize(font_points_);
    sgmap->setFont(f);
    // The titles take the grid's face from the first display on: the grid's font does not
    // always reach its headers on its own, and the header sizes are worked out for that face.
    for (QHeaderView* h : {sgmap->horizontalHeader(), sgmap->verticalHeader()}) h->setFont(f);
    QFontMetrics fm(f);
    CellSize s = cell_size(fm.horizontalAdvance(QStringLiteral("*****")), fm.height(), font_points_,
                           state.compare_loaded != 0);
    col_width_ = s.col_width;
    sgmap->horizontalHeader()->setDefaultSectionSize(s.col_width);
    sgmap->verticalHeader()->setDefaultSectionSize(s.row_height);
    for (int c = 0; c < sgmap->cells()->columnCount(); ++c)
        sgmap->horizontalHeader()->resizeSection(c, s.col_width);
    for (int r = 0; r < sgmap->cells()->rowCount(); ++r)
        sgmap->verticalHeader()->resizeSection(r, s.row_height);
    // The header column follows the new cell size too, or "100" of the throttle axis would
    // be cut to "10" after a change to a larger size.
    sgmap->set_header_sizes(header_width_for_setup(grid.grid_rows, s.col_width, font_points_),
                            s.row_height);
}

void Tmap::set_grid_enabled(bool on) {
    host_->enable_edit_commands(on);
    grid_enabled_ = on;
    sgmap->setEnabled(on);
}

void Tmap::set_controls_enabled(bool on) {
    lvmap1->setEnabled(on);
    lvmap2->setEnabled(on);
    // A table that is unusable in this axis mode stays disabled after the busy switch.
    sgmap->setEnabled(on && grid_enabled_);
}

void Tmap::rebuild_after_parameters() {
    const int item = table_index();
    FillTableList();
    lvmap2->blockSignals(true);
    lvmap2->setCurrentRow(item < 0 ? 0 : std::min(item, lvmap2->count() - 1));
    lvmap2->blockSignals(false);
    lvmap2SelectItem();
}

void Tmap::repaint_grid() {
    sgmap->viewport()->update();
}

Selection Tmap::selection() const {
    return sgmap->selected_cells();
}

void Tmap::select_cells(const Selection& s) {
    sgmap->select_cells(s);
}

void Tmap::undo_selection() {
    UndoSelection(selection());
    FillGrid();
}

std::string Tmap::copy_selection() {
    return copy_text(selection());
}

std::string Tmap::cut_selection() {
    return CutCells(selection());
}

void Tmap::paste_text(const std::string& text) {
    PasteCells(selection(), text);
}

void Tmap::constant_trim() {
    constant_trim_command(selection());
}

void Tmap::multiplier_trim() {
    multiplier_trim_command(selection());
}

void Tmap::equal_divide() {
    equal_divide_command(selection());
}

void Tmap::comparison_on(const std::string& path) {
    if (!open_comparison(path)) return;
    ApplyCellSize();
    sgmap->cells()->repaint_all();
}

void Tmap::comparison_off() {
    close_comparison();
    ApplyCellSize();
    sgmap->cells()->repaint_all();
    host_->comparison_closed();
}

void Tmap::paste_comparison() {
    PasteComparison();
}

bool Tmap::sgmapKeyDown(QKeyEvent* event) {
    // Shortcuts of the menus are not keys of the grid.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const bool editing = sgmap->editing();
    switch (virtual_key(event)) {
        case vk_return:
            if (editing) {
                const std::string typed = sgmap->editor_text().toStdString();
                const Selection sel = selection();
                sgmap->end_edit();
                FillSelection(sel, typed);
            }
            CommitAxisEdit();
            return true;
        case vk_space:
            if (state.link_on) {
                cursors.cursor_hold = !cursors.cursor_hold;
                repaint_grid();
            }
            return true;
        case vk_prior:
            StepTrim(selection(), +1);
            return true;
        case vk_next:
            StepTrim(selection(), -1);
            return true;
        case vk_up:
        case vk_down:
            return editing;
        case vk_multiply:
        case vk_oem_1:
            if (editing) return false;
            multiplier_trim();
            return true;
        case vk_add:
        case vk_oem_plus:
            if (editing) return false;
            constant_trim();
            return true;
        case vk_divide:
        case vk_oem_2:
            if (editing) return false;
            equal_divide_key(selection());
            return true;
        default:
            // Keys above the navigation keys open the in-place editor with themselves.
            return false;
    }
}

void Tmap::sgmapSelectCell(int column, int row) {
    CommitAxisEdit();
    if (sgmap->editing()) {
        sgmap->end_edit();
        show_cell(edit_col, edit_row,
                  QString::fromStdString(FormatCell(grid.grid_values[edit_col][edit_row - 1])));
    }
    edit_col = column;
    edit_row = row;
}

void Tmap::sgmapSetEditText(int column, int row) {
    edit_col = column;
    edit_row = row;
    sgmap->scrollTo(sgmap->cells()->index(row - 1, column - 1));
}

void Tmap::sgmapExit() {
    CommitAxisEdit();
}

bool Tmap::sgmapMouseDown(int column, int row) {
    if (sgmap->editing()) return false;
    HeaderPick pick = header_press(column, row);
    press_col_ = column;
    press_row_ = row;
    if (!pick.header) return false;
    sgmap->set_current_cell(pick.edit_col, pick.edit_row);
    sgmap->select_cells(pick.selection);
    edit_col = pick.edit_col;
    edit_row = pick.edit_row;
    return true;
}

void Tmap::sgmapMouseMove(int column, int row) {
    if (sgmap->editing()) return;
    HeaderPick pick = header_drag(press_col_, press_row_, column, row);
    if (!pick.header) return;
    sgmap->set_current_cell(std::max(pick.edit_col, 1), pick.edit_row);
    sgmap->select_cells(pick.selection);
    edit_col = pick.edit_col;
    edit_row = pick.edit_row;
}

void Tmap::grid_selection_changed() {
    // The graph, once open, follows this selection.
    const Selection now = selection();
    const bool moved = now.left != last_grid_selection.left || now.top != last_grid_selection.top ||
                       now.right != last_grid_selection.right ||
                       now.bottom != last_grid_selection.bottom;
    last_grid_selection = now;
    if (moved) document_views().repaint_graph();
}

CellMarks Tmap::marks_of(int column, int row, bool selected) const {
    return {selected, cursors.trace_on != 0, cursors.trace_marks[column - 1][row - 1]};
}

CursorGrid Tmap::cursor_grid() const {
    return {sgmap->horizontalHeader()->defaultSectionSize(),
            sgmap->verticalHeader()->defaultSectionSize(), sgmap->editing()};
}

void Tmap::apply_cursor_update(const CursorUpdate& u) {
    if (u.select) sgmap->select_cells(u.selection);
    // The cells repaint on their own, in one update: the rest of the grid stays as it is.
    QRegion cells;
    for (int k = 0; k < u.repaint_count; ++k) {
        const GridCell c = u.repaint[static_cast<size_t>(k)];
        cells += sgmap->visualRect(sgmap->cells()->index(c.row - 1, c.column - 1));
    }
    if (!cells.isEmpty()) sgmap->viewport()->update(cells);
}

void Tmap::UpdateLiveCursor() {
    // The pen follows the mode the unit runs and the hold: a new one is drawn where the
    // cursor stands, moved or not.
    const CursorPen pen = live_cursor_pen(group_index());
    if (pen != live_pen_) {
        live_pen_ = pen;
        forget_painted_lines(cursors.live_cursor);
    }
    apply_cursor_update(pv::UpdateLiveCursor(live.live_rev, live.live_throttle, cursor_grid()));
}

void Tmap::UpdateCompareCursor() {
    apply_cursor_update(
        pv::UpdateCompareCursor(other_live.live_rev, other_live.live_throttle, cursor_grid()));
}

void Tmap::update_live_cursor() {
    if (cursors.cursor_enabled && !cursors.cursor_hold) UpdateLiveCursor();
}

void Tmap::clear_cursor_hold() {
    cursors.cursor_hold = 0;
}

namespace {

QColor pen_colour(CursorPen pen) {
    switch (pen) {
        case CursorPen::green:
            return QColor(0, 128, 0);
        case CursorPen::magenta:
            return QColor(255, 0, 255);
        case CursorPen::blue:
            return QColor(0, 0, 255);
        default:
            return QColor(255, 0, 0);
    }
}

}  // namespace

// The pixels a 2-pixel pen with square caps covers along an upright or level segment. Filled
// as a rectangle, a cursor line is the drawn line's pixels at a fraction of the stroking.
QRect cursor_line_pixels(const Segment& s) {
    return QRect(QPoint(std::min(s.x1, s.x2) - 1, std::min(s.y1, s.y2) - 1),
                 QPoint(std::max(s.x1, s.x2), std::max(s.y1, s.y2)));
}

namespace {

void draw_lines(QPainter* p, const CursorLines& lines, const QColor& colour) {
    for (int k = 0; k < lines.count; ++k)
        p->fillRect(cursor_line_pixels(lines.lines[static_cast<size_t>(k)]), colour);
}

}  // namespace

void Tmap::paint_cursors(QPainter* p, const QRect& r, int column, int row) const {
    const bool live_shown = cursors.cursor_enabled && (state.link_on || state.log_link);
    if (!live_shown) forget_painted_lines(cursors.live_cursor);
    if (!cursors.cursor_enabled || !state.log_link || !state.other_log_open)
        forget_painted_lines(cursors.compare_cursor);
    if (!cursors.cursor_enabled) return;
    const CellRect cell{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    const bool one_row = grid.grid_rows <= 1;
    const CursorRecord& live_c = cursors.live_cursor;
    if (live_shown && in_cursor_block(live_c, column, row)) {
        const CursorPen pen = live_cursor_pen(group_index());
        p->save();
        // Drawn over the cell's own pixels, which the next repaint of the cell restores.
        p->setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
        draw_lines(p, cursor_lines(live_c, column, row, cell, one_row), pen_colour(pen));
        p->restore();
    }
    const CursorRecord& other = cursors.compare_cursor;
    if (state.log_link && state.other_log_open && in_cursor_block(other, column, row)) {
        draw_lines(p, cursor_lines(other, column, row, cell, one_row),
                   pen_colour(CursorPen::magenta));
    }
}

bool Tmap::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pnllvbase_ && event->type() == QEvent::Resize) pnllvbaseResize();
    return QMdiSubWindow::eventFilter(watched, event);
}

void Tmap::closeEvent(QCloseEvent* event) {
    UiBusy busy;
    // A failed save keeps the window, so the changes are not lost with it.
    if (!save_modified_document_if_wanted()) {
        event->ignore();
        return;
    }
    state.doc_open = 0;
    state.doc_named = 0;
    state.doc_modified = 0;
    close_comparison();
    state.doc_is_new = 0;
    link_off();
    state.link_ready = 0;
    pv::data.file_version = 0;
    state.log_link = 0;
    shell_views().repaint_status_bar();
    host_->map_closed(this);
    QMdiSubWindow::closeEvent(event);
}

}  // namespace pv
