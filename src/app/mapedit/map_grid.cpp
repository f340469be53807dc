#include "app/mapedit/map_grid.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <algorithm>

#include "app/mapedit/map.h"
#include "app/mapedit/map_overlay.h"
#include "core/document/unit.h"
#include "core/mapedit/grid_view.h"
#include "core/ui/keys.h"

namespace pv {

int MapGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int MapGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : cols_;
}

QVariant MapGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::ToolTipRole || role == Qt::AccessibleDescriptionRole) {
        const QString& tip = tips_[index.column()][index.row()];
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    return texts_[index.column()][index.row()];
}

QVariant MapGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || section < 0 || section >= 5) return {};
    return orientation == Qt::Horizontal ? column_heads_[section] : row_heads_[section];
}

Qt::ItemFlags MapGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void MapGridModel::set_shape(int cols, int rows) {
    cols = std::clamp(cols, 0, 5);
    rows = std::clamp(rows, 0, 5);
    if (cols == cols_ && rows == rows_) return;
    beginResetModel();
    cols_ = cols;
    rows_ = rows;
    endResetModel();
}

void MapGridModel::set_cell(int column, int row, const QString& text) {
    if (column < 1 || column > 5 || row < 1 || row > 5) return;
    texts_[column - 1][row - 1] = text;
    // Also when the text is unchanged: the changed-cell colour may have come on.
    if (column <= cols_ && row <= rows_) {
        QModelIndex i = index(row - 1, column - 1);
        emit dataChanged(i, i, {Qt::DisplayRole});
    }
}

void MapGridModel::set_tip(int column, int row, const QString& tip) {
    if (column < 1 || column > 5 || row < 1 || row > 5) return;
    tips_[column - 1][row - 1] = tip;
}

QString MapGridModel::cell(int column, int row) const {
    if (column < 1 || column > 5 || row < 1 || row > 5) return {};
    return texts_[column - 1][row - 1];
}

void MapGridModel::set_headers(const QString& corner, const std::array<QString, 5>& columns,
                               const std::array<QString, 5>& rows) {
    corner_ = corner;
    column_heads_ = columns;
    row_heads_ = rows;
    if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
    if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

void MapGridModel::repaint_all() {
    if (cols_ > 0 && rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1));
}

MapCellPainter::MapCellPainter(MapGrid* owner) : QStyledItemDelegate(owner), grid_(owner) {}

namespace {

bool same_look(const CellLook& a, const CellLook& b) {
    return a.trace_fill == b.trace_fill && a.show_compare == b.show_compare &&
           a.compare_text == b.compare_text && a.changed == b.changed &&
           a.text_back == b.text_back && a.redraw_text == b.redraw_text;
}

}  // namespace

bool MapCellPainter::CellInputs::operator==(const CellInputs& o) const {
    return size == o.size && text == o.text && selected == o.selected && enabled == o.enabled &&
           overlay == o.overlay && (!overlay || (overlay_fill == o.overlay_fill &&
                                                 overlay_ink == o.overlay_ink)) &&
           base == o.base && highlight == o.highlight && highlighted_text == o.highlighted_text &&
           window_text == o.window_text && button == o.button && font == o.font &&
           same_look(look, o.look);
}

MapCellPainter::CellInputs MapCellPainter::inputs_of(const QStyleOptionViewItem& option,
                                                     const QModelIndex& index) const {
    CellInputs in;
    const int column = index.column() + 1;
    const int row = index.row() + 1;
    const QPalette& pal = grid_->palette();
    in.size = option.rect.size();
    in.text = index.data(Qt::DisplayRole).toString();
    in.enabled = grid_->isEnabled();
    in.selected = (option.state & QStyle::State_Selected) != 0;
    const OverlayCell* overlay = in.enabled ? grid_->owner()->overlay_cell(column, row) : nullptr;
    in.overlay = overlay != nullptr;
    if (overlay) {
        in.overlay_fill = overlay_qcolor(overlay->fill);
        in.overlay_ink = overlay_qcolor(overlay->ink);
    }
    in.base = pal.color(QPalette::Active, QPalette::Base);
    in.highlight = pal.color(QPalette::Active, QPalette::Highlight);
    in.highlighted_text = pal.color(QPalette::Active, QPalette::HighlightedText);
    in.window_text = pal.color(QPalette::Active, QPalette::WindowText);
    in.button = pal.color(QPalette::Active, QPalette::Button);
    in.font = option.font;
    if (in.enabled) in.look = cell_look(column, row, grid_->owner()->marks_of(column, row, in.selected));
    return in;
}

// The cell as it looks under the live cursor, in `r`.
void MapCellPainter::paint_look(QPainter* p, const QRect& r, const CellInputs& in) const {
    const QFontMetrics fm(in.font);
    p->save();
    p->setFont(in.font);

    // The log overlay is the cell's background; the selection then shows as a frame, so the
    // overlay's colour stays visible in selected cells too.
    const QColor& window = in.base;
    const QColor base = in.overlay ? in.overlay_fill : window;
    const QColor& highlight = in.highlight;
    // The grid's own drawing: the focused cell is drawn selected like the others.
    p->fillRect(r, in.selected && in.enabled && !in.overlay ? highlight : base);
    QColor ink = !in.enabled   ? in.button
                 : in.overlay  ? in.overlay_ink
                 : in.selected ? in.highlighted_text
                               : in.window_text;
    auto text_at = [&](Point at, const QString& t, const QColor& colour, const QColor* back) {
        const LaidOutTexts::Text& laid = texts_.get(t, in.font);
        if (back) p->fillRect(QRect(at.x, at.y, laid.advance, fm.height()).intersected(r), *back);
        p->setPen(colour);
        p->drawStaticText(QPoint(at.x, at.y), laid.glyphs);
    };
    auto frame = [&](const QColor& colour, int width, int inset) {
        p->save();
        p->setPen(QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p->setBrush(Qt::NoBrush);
        const int in_by = inset + width / 2;
        p->drawRect(r.adjusted(in_by, in_by, -in_by - 1, -in_by - 1));
        p->restore();
    };
    p->setClipRect(r);
    text_at(value_text_origin(r.left(), r.top()), in.text, ink, nullptr);

    if (in.enabled) {
        const CellLook& look = in.look;
        if (look.trace_fill && !in.overlay) p->fillRect(r, QColor(0, 255, 0));
        if (look.show_compare)
            text_at(compare_text_origin(r.left(), r.top(), fm.height()),
                    QString::fromStdString(look.compare_text), QColor(128, 128, 128), &window);
        if (look.redraw_text) {
            // Under a selection the text keeps a (lighter) highlight behind it, so selected cells
            // that are also changed still show as selected and their red stays readable.
            QColor back = in.selected && !in.overlay ? highlight.lighter(170) : window;
            QColor colour = look.changed ? QColor(255, 0, 0) : QColor(0, 0, 0);
            if (look.text_back == CellLook::Fill::greater) back = QColor(255, 255, 0);
            if (look.text_back == CellLook::Fill::smaller) back = QColor(0, 255, 255);
            // A plain value stays on the overlay's colour, in the ink chosen for it.
            const bool plain = !look.changed && look.text_back == CellLook::Fill::none;
            if (in.overlay && plain) {
                back = base;
                colour = ink;
            }
            text_at(value_text_origin(r.left(), r.top()), in.text, colour, &back);
        }
        // Over the overlay the trace is a green frame and the selection one inside it, so that
        // all three can be read.
        if (in.overlay && look.trace_fill) frame(QColor(0, 160, 0), 3, 0);
        if (in.overlay && in.selected) frame(highlight, 2, look.trace_fill ? 3 : 0);
    }
    p->restore();
}

void MapCellPainter::paint(QPainter* p, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const {
    const QRect r = option.rect;
    const int column = index.column() + 1;
    const int row = index.row() + 1;
    CellInputs in = inputs_of(option, index);
    // The live cursor repaints its cells at every poll while their look stays: the look is
    // painted once and then copied, and only the cursor's lines are drawn anew.
    const qreal ratio = p->device() ? p->device()->devicePixelRatioF() : 1.0;
    if (ratio != 1.0 || column < 1 || column > 5 || row < 1 || row > 5) {
        paint_look(p, r, in);
    } else {
        CachedCell& cached = cached_[static_cast<size_t>(column - 1)][static_cast<size_t>(row - 1)];
        if (cached.pixmap.isNull() || !(cached.inputs == in)) {
            cached.inputs = std::move(in);
            cached.pixmap = QPixmap(r.size());
            QPainter pp(&cached.pixmap);
            paint_look(&pp, QRect(QPoint(0, 0), r.size()), cached.inputs);
        }
        p->drawPixmap(r.topLeft(), cached.pixmap);
    }
    if (grid_->isEnabled()) {
        p->save();
        p->setClipRect(r);
        grid_->owner()->paint_cursors(p, r, column, row);
        p->restore();
    }
}

QWidget* MapCellPainter::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex&) const {
    QLineEdit* e = grid_->open_editor(parent);
    e->setTextMargins(0, 0, 0, 0);
    return e;
}

void MapCellPainter::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                          const QModelIndex&) const {
    const int line = QFontMetrics(option.font).height() + 4;
    editor->setGeometry(option.rect.left(), option.rect.top(), option.rect.width(),
                        std::min(line, option.rect.height()));
}

bool MapCellPainter::eventFilter(QObject* object, QEvent* event) {
    // Keys typed into the in-place editor pass the grid's key table first, as the grid's
    // own keys do: Enter applies the text, Space and the page keys act on the table.
    if (event->type() == QEvent::KeyPress) {
        if (grid_->owner()->sgmapKeyDown(static_cast<QKeyEvent*>(event))) return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

MapGrid::MapGrid(Tmap* owner, QWidget* parent)
    : EditGrid(parent),
      owner_(owner),
      cells_(new MapGridModel(this)),
      painter_(new MapCellPainter(this)) {
    setModel(cells_);
    setItemDelegate(painter_);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    setTabKeyNavigation(false);
    setWordWrap(false);
    for (QHeaderView* h : {horizontalHeader(), verticalHeader()}) {
        h->setMinimumSectionSize(1);
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->setHighlightSections(false);
        h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignTop);
        // The sections are sized by the grid's own rules, to the pixel at the smallest map
        // font: a title is drawn whole rather than turned into "..." for the style's margin.
        h->setTextElideMode(Qt::ElideNone);
        h->viewport()->installEventFilter(this);
    }
    connect(horizontalHeader(), &QHeaderView::sectionPressed, this,
            [this](int s) { owner_->sgmapMouseDown(s + 1, 0); });
    connect(verticalHeader(), &QHeaderView::sectionPressed, this,
            [this](int s) { owner_->sgmapMouseDown(0, s + 1); });
    connect(horizontalHeader(), &QHeaderView::sectionEntered, this,
            [this](int s) { owner_->sgmapMouseMove(s + 1, 0); });
    connect(verticalHeader(), &QHeaderView::sectionEntered, this,
            [this](int s) { owner_->sgmapMouseMove(0, s + 1); });
    corner_ = findChild<QAbstractButton*>();
    if (corner_) corner_->installEventFilter(this);
}

Selection MapGrid::selected_cells() const {
    QItemSelection sel = selectionModel()->selection();
    if (sel.isEmpty()) {
        QModelIndex c = currentIndex();
        int col = c.isValid() ? c.column() + 1 : 1, row = c.isValid() ? c.row() + 1 : 1;
        return {col, row, col, row};
    }
    Selection s{6, 6, 0, 0};
    for (const QItemSelectionRange& r : sel) {
        s.left = std::min(s.left, r.left() + 1);
        s.top = std::min(s.top, r.top() + 1);
        s.right = std::max(s.right, r.right() + 1);
        s.bottom = std::max(s.bottom, r.bottom() + 1);
    }
    return s;
}

void MapGrid::select_cells(const Selection& s) {
    Selection c = clip_to_grid(s);
    if (c.left > c.right || c.top > c.bottom) return;
    QItemSelection sel(cells_->index(c.top - 1, c.left - 1),
                       cells_->index(c.bottom - 1, c.right - 1));
    selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
}

void MapGrid::set_current_cell(int column, int row) {
    QModelIndex i = cells_->index(row - 1, column - 1);
    if (i.isValid()) selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
}

void MapGrid::set_header_sizes(int column_width, int row_height) {
    // The width comes from the texts' byte counts; a font whose glyphs are wider than that
    // (Japanese in a fallback face) still gets its corner and row titles in full.
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, verticalHeader());
    int text_width = fontMetrics().horizontalAdvance(cells_->corner());
    for (int r = 0; r < cells_->rowCount(); ++r)
        text_width = std::max(text_width,
                              verticalHeader()->fontMetrics().horizontalAdvance(
                                  cells_->headerData(r, Qt::Vertical, Qt::DisplayRole).toString()));
    if (text_width > 0) column_width = std::max(column_width, text_width + 2 * margin);
    verticalHeader()->setFixedWidth(column_width);
    horizontalHeader()->setFixedHeight(row_height);
}

void MapGrid::keyPressEvent(QKeyEvent* event) {
    if (owner_->sgmapKeyDown(event)) return;
    QTableView::keyPressEvent(event);
}

void MapGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (current.isValid() && owner_->sgmap == this)
        owner_->sgmapSelectCell(current.column() + 1, current.row() + 1);
    QTableView::currentChanged(current, previous);
}

void MapGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    if (owner_->sgmap == this) owner_->grid_selection_changed();
}

bool MapGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool was_editing = editing();
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && !was_editing && editing())
        owner_->sgmapSetEditText(index.column() + 1, index.row() + 1);
    return opened;
}

void MapGrid::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    // The in-place editor is part of the grid, and a menu or another window taking the
    // focus for a while does not leave it either.
    QWidget* to = QApplication::focusWidget();
    const bool inside = to && (to == this || isAncestorOf(to));
    if (!inside && event->reason() != Qt::PopupFocusReason &&
        event->reason() != Qt::ActiveWindowFocusReason)
        owner_->sgmapExit();
}

bool MapGrid::eventFilter(QObject* object, QEvent* event) {
    if (object == corner_ && event->type() == QEvent::Paint) {
        paint_corner(corner_, cells_->corner());
        return true;
    }
    const bool press =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (press && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // A header press does nothing while a cell is being edited.
        if (editing()) return true;
        if (object == corner_) {
            owner_->sgmapMouseDown(0, 0);
            return true;
        }
        // The second press of a double click selects as the first one did.
        if (event->type() == QEvent::MouseButtonDblClick) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (object == horizontalHeader()->viewport()) {
                const int s = horizontalHeader()->logicalIndexAt(at);
                if (s >= 0) owner_->sgmapMouseDown(s + 1, 0);
                return true;
            }
            if (object == verticalHeader()->viewport()) {
                const int s = verticalHeader()->logicalIndexAt(at);
                if (s >= 0) owner_->sgmapMouseDown(0, s + 1);
                return true;
            }
        }
    }
    return QTableView::eventFilter(object, event);
}

void MapGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) viewport()->update();
}

int virtual_key(const QKeyEvent* event) {
    const bool keypad = (event->modifiers() & Qt::KeypadModifier) != 0;
    const int k = event->key();
    switch (k) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return vk_return;
        case Qt::Key_Backspace:
            return vk_back;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return vk_tab;
        case Qt::Key_Shift:
            return vk_shift;
        case Qt::Key_Control:
        case Qt::Key_Meta:
            return vk_control;
        case Qt::Key_Alt:
            return vk_menu;
        case Qt::Key_Escape:
            return vk_escape;
        case Qt::Key_Space:
            return vk_space;
        case Qt::Key_PageUp:
            return vk_prior;
        case Qt::Key_PageDown:
            return vk_next;
        case Qt::Key_End:
            return vk_end;
        case Qt::Key_Home:
            return vk_home;
        case Qt::Key_Left:
            return vk_left;
        case Qt::Key_Up:
            return vk_up;
        case Qt::Key_Right:
            return vk_right;
        case Qt::Key_Down:
            return vk_down;
        case Qt::Key_Asterisk:
            return keypad ? vk_multiply : vk_oem_1;
        case Qt::Key_Colon:
        case Qt::Key_Semicolon:
            return vk_oem_1;
        case Qt::Key_Plus:
            return keypad ? vk_add : vk_oem_plus;
        case Qt::Key_Equal:
            return vk_oem_plus;
        case Qt::Key_Slash:
            return keypad ? vk_divide : vk_oem_2;
        case Qt::Key_Question:
            return vk_oem_2;
        case Qt::Key_Minus:
            return keypad ? vk_subtract : vk_oem_minus;
        case Qt::Key_Period:
            return keypad ? vk_decimal : vk_oem_period;
        default:
            break;
    }
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return (keypad ? vk_numpad0 : vk_0) + (k - Qt::Key_0);
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return vk_a + (k - Qt::Key_A);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24) return vk_f1 + (k - Qt::Key_F1);
    // Every other key counts as one above the navigation keys.
    return vk_other;
}

}  // namespace pv
