#include "app/mapedit/graph_widgets.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>

#include "app/mapedit/map_grid.h"

namespace pv {

GraphBox::GraphBox(GraphControlsOwner* owner, QWidget* parent) : QWidget(parent), owner_(owner) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    owner_->pbgraphPaint(p);
}

void GraphBox::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    owner_->pnlgraphResize();
}

void GraphBox::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    owner_->pbgraphMouseDown(event->button(), at.x(), at.y());
}

void GraphBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    owner_->pbgraphMouseMove(event->buttons(), at.x(), at.y());
}

void GraphBox::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

UpDown::UpDown(Qt::Orientation orientation, int minimum, int maximum, int increment,
               QWidget* parent)
    : QAbstractSlider(parent), increment_(increment) {
    setOrientation(orientation);
    setRange(minimum, maximum);
    setSingleStep(std::abs(increment));
    setPageStep(std::abs(increment));
    setFocusPolicy(Qt::TabFocus);
    connect(this, &QAbstractSlider::valueChanged, this, [this] {
        if (clicked) clicked();
    });
}

void UpDown::press(bool first) {
    // The up arrow and the right arrow add the increment, as an up-down control does.
    const bool adds = orientation() == Qt::Vertical ? first : !first;
    setValue(value() + (adds ? increment_ : -increment_));
}

QSize UpDown::sizeHint() const {
    return orientation() == Qt::Vertical ? QSize(17, 32) : QSize(32, 17);
}

void UpDown::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool vertical = orientation() == Qt::Vertical;
    const QRect r = rect();
    QRect halves[2] = {
        vertical ? QRect(r.left(), r.top(), r.width(), r.height() / 2)
                 : QRect(r.left(), r.top(), r.width() / 2, r.height()),
        vertical ? QRect(r.left(), r.top() + r.height() / 2, r.width(), r.height() - r.height() / 2)
                 : QRect(r.left() + r.width() / 2, r.top(), r.width() - r.width() / 2, r.height())};
    const QStyle::PrimitiveElement arrows[2] = {
        vertical ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowLeft,
        vertical ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight};
    for (int i = 0; i < 2; ++i) {
        QStyleOptionButton b;
        b.initFrom(this);
        b.rect = halves[i];
        b.state |= QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &b, &p, this);
        QStyleOption a;
        a.initFrom(this);
        a.rect = halves[i].adjusted(3, 3, -3, -3);
        style()->drawPrimitive(arrows[i], &a, &p, this);
    }
}

void UpDown::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const bool first = orientation() == Qt::Vertical ? at.y() < height() / 2 : at.x() < width() / 2;
    press(first);
}

void UpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Left:
            press(true);
            return;
        case Qt::Key_Down:
        case Qt::Key_Right:
            press(false);
            return;
        default:
            QAbstractSlider::keyPressEvent(event);
    }
}

int ValueRowModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || cells_.empty() ? 0 : 1;
}

int ValueRowModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : std::max(points(), 0);
}

QVariant ValueRowModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) return {};
    return cell(index.column() + 1);
}

QVariant ValueRowModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return label();
    if (section + 1 < static_cast<int>(headers_.size())) return headers_[section + 1];
    return {};
}

Qt::ItemFlags ValueRowModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void ValueRowModel::set_row(const std::vector<QString>& headers,
                            const std::vector<QString>& cells) {
    if (cells.size() != cells_.size()) {
        beginResetModel();
        headers_ = headers;
        cells_ = cells;
        endResetModel();
        return;
    }
    headers_ = headers;
    cells_ = cells;
    if (points() > 0) {
        emit dataChanged(index(0, 0), index(0, points() - 1));
        emit headerDataChanged(Qt::Horizontal, 0, points() - 1);
    }
    emit headerDataChanged(Qt::Vertical, 0, 0);
}

void ValueRowModel::set_cell(int k, const QString& text) {
    if (k < 1 || k > points()) return;
    cells_[k] = text;
    emit dataChanged(index(0, k - 1), index(0, k - 1));
}

QString ValueRowModel::cell(int k) const {
    return k >= 1 && k <= points() ? cells_[k] : QString();
}

// The in-place editor of a value cell; its keys pass the window's key table first.
class ValueEditor : public QStyledItemDelegate {
  public:
    explicit ValueEditor(ValueGrid* owner) : QStyledItemDelegate(owner), grid_(owner) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        return grid_->open_editor(parent);
    }

  protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && grid_->owner_key(static_cast<QKeyEvent*>(event)))
            return true;
        return QStyledItemDelegate::eventFilter(object, event);
    }

  private:
    ValueGrid* grid_;
};

ValueGrid::ValueGrid(GraphControlsOwner* owner, QWidget* parent)
    : EditGrid(parent), owner_(owner), cells_(new ValueRowModel(this)) {
    setModel(cells_);
    setItemDelegate(new ValueEditor(this));
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabKeyNavigation(false);
    setWordWrap(false);
    for (QHeaderView* h : {horizontalHeader(), verticalHeader()}) {
        h->setMinimumSectionSize(1);
        h->setSectionResizeMode(QHeaderView::Fixed);
        h->setHighlightSections(false);
        h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        h->setTextElideMode(Qt::ElideNone);
    }
    setTextElideMode(Qt::ElideNone);
    // The header row only labels; a press in the label column selects the whole row.
    horizontalHeader()->setSectionsClickable(false);
    connect(verticalHeader(), &QHeaderView::sectionPressed, this,
            [this](int) { owner_->sggraphMouseDown(); });
    corner_ = findChild<QAbstractButton*>();
    if (corner_) corner_->installEventFilter(this);
    built_ = true;
}

bool ValueGrid::owner_key(const QKeyEvent* event) const {
    return owner_->sggraphKeyDown(virtual_key(event));
}

std::pair<int, int> ValueGrid::selected_points() const {
    const QItemSelection sel = selectionModel()->selection();
    if (sel.isEmpty()) {
        const int k = currentIndex().isValid() ? currentIndex().column() + 1 : 1;
        return {k, k};
    }
    int first = 6, last = 0;
    for (const QItemSelectionRange& r : sel) {
        first = std::min(first, r.left() + 1);
        last = std::max(last, r.right() + 1);
    }
    return {first, last};
}

void ValueGrid::select_points(int first, int last) {
    first = std::clamp(first, 1, std::max(cells_->points(), 1));
    last = std::clamp(last, first, std::max(cells_->points(), 1));
    if (cells_->points() == 0) return;
    selectionModel()->select(
        QItemSelection(cells_->index(0, first - 1), cells_->index(0, last - 1)),
        QItemSelectionModel::ClearAndSelect);
}

void ValueGrid::set_current_point(int k) {
    const QModelIndex i = cells_->index(0, k - 1);
    if (!i.isValid()) return;
    selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
    scrollTo(i);
}

void ValueGrid::set_label_width(int width) {
    verticalHeader()->setFixedWidth(width);
    if (corner_) corner_->update();
}

void ValueGrid::fit_columns(int least) {
    // The item views keep this margin on either side of a cell's text, headers theirs.
    const int cell_margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    const int header_margin =
        style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, horizontalHeader());
    const QFontMetrics cell_font(font());
    const QFontMetrics header_font(horizontalHeader()->font());
    int width = least;
    for (int k = 1; k <= cells_->points(); ++k) {
        width = std::max(width, cell_font.horizontalAdvance(cells_->cell(k)) + 2 * cell_margin);
        const QString title = cells_->headerData(k - 1, Qt::Horizontal, Qt::DisplayRole).toString();
        width = std::max(width, header_font.horizontalAdvance(title) + 2 * header_margin);
    }
    if (width != horizontalHeader()->defaultSectionSize())
        horizontalHeader()->setDefaultSectionSize(width);
}

void ValueGrid::keyPressEvent(QKeyEvent* event) {
    if (owner_key(event)) return;
    QTableView::keyPressEvent(event);
}

void ValueGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (built_ && current.isValid()) owner_->sggraphSelectCell(current.column() + 1);
    QTableView::currentChanged(current, previous);
}

void ValueGrid::selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) {
    QTableView::selectionChanged(selected, deselected);
    if (built_) owner_->sggraphDrawCell();
}

bool ValueGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
    const bool was_editing = editing();
    const bool opened = QTableView::edit(index, trigger, event);
    if (opened && !was_editing && editing()) owner_->sggraphSetEditText(index.column() + 1);
    return opened;
}

bool ValueGrid::eventFilter(QObject* object, QEvent* event) {
    if (object == corner_ && event->type() == QEvent::Paint) {
        paint_corner(corner_, cells_->corner());
        return true;
    }
    if (object == corner_ && event->type() == QEvent::MouseButtonPress) {
        owner_->sggraphMouseDown();
        return true;
    }
    return QTableView::eventFilter(object, event);
}

}  // namespace pv
