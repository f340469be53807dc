#include "app/mapedit/graph.h"

#include <QCloseEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QListWidget>
#include <QMdiArea>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitter>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "app/common/qt_prompter.h"
#include "app/common/spoken.h"
#include "app/mapedit/graph_paint.h"
#include "app/mapedit/graph_widgets.h"
#include "core/document/unit.h"
#include "core/ui/keys.h"
#include "core/ui/texts.h"

namespace pv {
namespace {

int R(double v) {
    return round_half_even(v);
}

// Reports the release of a mouse button over a list after the list's own handling.
class ReleaseWatch : public QObject {
  public:
    ReleaseWatch(QObject* parent, std::function<void()> released)
        : QObject(parent), released_(std::move(released)) {}

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonRelease) released_();
        return false;
    }

  private:
    std::function<void()> released_;
};

}  // namespace

Tgraph::Tgraph(GraphHost* host, QWidget* parent) : QMdiSubWindow(parent), host_(host) {
    setObjectName(QStringLiteral("graph"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Graph"));

    body_ = new QSplitter(Qt::Horizontal, this);
    body_->setObjectName(QStringLiteral("Splitter1"));
    body_->setChildrenCollapsible(false);
    pnllv = new QWidget(body_);
    pnllv->setObjectName(QStringLiteral("pnllv"));
    lists_ = new QSplitter(Qt::Vertical, pnllv);
    lists_->setObjectName(QStringLiteral("Splitter2"));
    lists_->setChildrenCollapsible(false);
    lbgraph1 = new QListWidget(lists_);
    lbgraph1->setObjectName(QStringLiteral("lbgraph1"));
    lbgraph1->setAccessibleName(QStringLiteral("Section"));
    lbgraph1->setSelectionMode(QAbstractItemView::SingleSelection);
    lbgraph1->setUniformItemSizes(true);
    lbgraph2 = new QListWidget(lists_);
    lbgraph2->setObjectName(QStringLiteral("lbgraph2"));
    lbgraph2->setAccessibleName(QStringLiteral("Curves"));
    lbgraph2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lists_->addWidget(lbgraph1);
    lists_->addWidget(lbgraph2);
    auto* lv = new QVBoxLayout(pnllv);
    lv->setContentsMargins(0, 0, 0, 0);
    lv->addWidget(lists_);

    pnlgraph = new QWidget(body_);
    pnlgraph->setObjectName(QStringLiteral("pnlgraph"));
    pnlgraph->setBackgroundRole(QPalette::Base);
    pnlgraph->setAutoFillBackground(true);
    pbgraph = new GraphBox(this, pnlgraph);
    pbgraph->setObjectName(QStringLiteral("pbgraph"));
    pbgraph->setAccessibleName(QStringLiteral("Graph"));
    // The drawing reads as the curve it draws: the row's label and each point's header and
    // value, as the value row beneath holds them.
    speak_text(
        pbgraph, QAccessible::Chart,
        [this] {
            const ValueRowModel* row = sggraph ? sggraph->cells() : nullptr;
            if (!row || row->points() == 0) return pbgraph->accessibleName();
            QStringList points;
            for (int k = 1; k <= row->points(); ++k)
                points << row->headerData(k, Qt::Horizontal, Qt::DisplayRole).toString() +
                              QLatin1Char(' ') + row->cell(k).trimmed();
            return QStringLiteral("%1, %2: %3")
                .arg(pbgraph->accessibleName(), row->label(), points.join(QStringLiteral(", ")));
        },
        [this] { return windowTitle(); });
    pnlsg = new QWidget(pnlgraph);
    pnlsg->setObjectName(QStringLiteral("pnlsg"));
    pnlbtn = new QWidget(pnlsg);
    pnlbtn->setObjectName(QStringLiteral("pnlbtn"));
    btnupdown = new UpDown(Qt::Vertical, 2, 70, 2, pnlbtn);
    btnupdown->setObjectName(QStringLiteral("btnupdown"));
    btnupdown->setAccessibleName(QStringLiteral("Tilt"));
    btnleftright = new UpDown(Qt::Horizontal, 2, 88, -2, pnlbtn);
    btnleftright->setObjectName(QStringLiteral("btnleftright"));
    btnleftright->setAccessibleName(QStringLiteral("Turn"));
    sggraph = new ValueGrid(this, pnlsg);
    sggraph->setObjectName(QStringLiteral("sggraph"));
    sggraph->setAccessibleName(QStringLiteral("Values"));

    auto* buttons = new QHBoxLayout(pnlbtn);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->setSpacing(0);
    buttons->addWidget(btnupdown);
    buttons->addWidget(btnleftright);
    auto* bottom = new QHBoxLayout(pnlsg);
    bottom->setContentsMargins(0, 0, 0, 0);
    bottom->setSpacing(0);
    bottom->addWidget(pnlbtn);
    bottom->addWidget(sggraph, 1);
    auto* drawing = new QVBoxLayout(pnlgraph);
    drawing->setContentsMargins(0, 0, 0, 0);
    drawing->setSpacing(0);
    drawing->addWidget(pbgraph, 1);
    drawing->addWidget(pnlsg);
    body_->addWidget(pnllv);
    body_->addWidget(pnlgraph);
    body_->setStretchFactor(0, 0);
    body_->setStretchFactor(1, 1);
    setWidget(body_);

    // Creation.
    for (uint32_t t : {2u, 3u}) {
        auto* item = new QListWidgetItem(ui_text(text(Catalog::Graph, t)), lbgraph1);
        item->setSizeHint(QSize(0, 15));
    }
    const QFontMetrics fm(font());
    resize(640, 480);
    const int list_width = fm.horizontalAdvance(QLatin1Char('H')) * (japanese() ? 8 : 19);
    body_->setSizes({list_width, std::max(width() - list_width, 100)});
    state.graph_open = 1;
    g_.section_kind = 0;
    g_.graph_vertical = 1;
    g_.graph_mode = 0;
    btnupdown->setValue(26);
    btnleftright->setValue(30);
    graph_turn(g_, btnleftright->value(), btnupdown->value());
    font_points_ = std::max(sggraph->font().pointSize(), 1);
    const QString stars = japanese() ? QStringLiteral("*****") : QStringLiteral("******");
    const QFontMetrics gm(sggraph->font());
    const int extra = R(font_points_ / 3.0);
    const int col_width = gm.horizontalAdvance(stars) + extra;
    const int row_height = gm.height() + extra;
    column_width_ = col_width;
    sggraph->fit_columns(column_width_);
    sggraph->verticalHeader()->setDefaultSectionSize(row_height);
    sggraph->horizontalHeader()->setFixedHeight(row_height);
    const int panel_height = R(row_height / 3.0) + 2 * row_height;
    pnlsg->setFixedHeight(panel_height);
    btnupdown->setFixedSize(panel_height / 2, panel_height);
    btnleftright->setFixedSize(panel_height, panel_height);

    lbgraph1->setCurrentRow(0);
    connect(lbgraph1, &QListWidget::currentRowChanged, this, [this] { lbgraph1Click(); });
    connect(lbgraph2, &QListWidget::itemSelectionChanged, this, [this] { lbgraph2Click(); });
    connect(lbgraph2, &QListWidget::currentRowChanged, this, [this] { lbgraph2Click(); });
    for (QListWidget* l : {lbgraph1, lbgraph2})
        l->viewport()->installEventFilter(new ReleaseWatch(l, [this] {
            if (sggraph->isEnabled() && pnlgraph->isVisible())
                sggraph->setFocus(Qt::MouseFocusReason);
        }));
    btnupdown->clicked = [this] { btnupdownClick(); };
    btnleftright->clicked = [this] { btnleftrightClick(); };

    setTabOrder(lbgraph1, lbgraph2);
    setTabOrder(lbgraph2, btnupdown);
    setTabOrder(btnupdown, btnleftright);
    setTabOrder(btnleftright, sggraph);
}

Tgraph::~Tgraph() {
    state.graph_open = 0;
}

void Tgraph::closeEvent(QCloseEvent* event) {
    state.graph_open = 0;
    host_->graph_closed(this);
    QMdiSubWindow::closeEvent(event);
}

bool Tgraph::active() const {
    if (QMdiArea* area = mdiArea()) return area->currentSubWindow() == this;
    return isActiveWindow();
}

void Tgraph::fill_curve_list(const std::vector<std::string>& curves) {
    lbgraph2->clear();
    for (const std::string& c : curves) lbgraph2->addItem(ui_text(c));
    lbgraph2->selectAll();
    lbgraph2->setCurrentRow(0, QItemSelectionModel::NoUpdate);
}

void Tgraph::show_value_row(const ValueRow& row) {
    std::vector<QString> headers, cells;
    for (const std::string& h : row.headers) headers.push_back(ui_text(h));
    for (const std::string& c : row.cells) cells.push_back(ui_text(c));
    const bool kept = filling_;
    filling_ = true;
    sggraph->end_edit();
    sggraph->cells()->set_row(headers, cells);
    filling_ = kept;
    const size_t chars = std::max(row.headers.empty() ? 0 : row.headers[0].size(),
                                  row.cells.empty() ? 0 : row.cells[0].size());
    sggraph->set_label_width(font_points_ * static_cast<int>(chars));
    sggraph->fit_columns(column_width_);
}

void Tgraph::RebuildGraph() {
    built_map_ = grid.current_map;
    built_cols_ = grid.grid_cols;
    built_rows_ = grid.grid_rows;
    filling_ = true;
    GraphLists lists = pv::RebuildGraph(g_);
    lbgraph1->setCurrentRow(g_.section_kind);
    lbgraph1->setEnabled(g_.section_kind_enabled);
    pnlbtn->setEnabled(g_.section_kind_enabled);
    fill_curve_list(lists.curves);
    show_value_row(lists.row);
    filling_ = false;
    repaint_graph();
}

void Tgraph::FillValueRow() {
    show_value_row(pv::FillValueRow(g_));
}

void Tgraph::repaint_graph() {
    // Only texts that changed are written: an edit open in the value grid keeps its text.
    const int n = std::min(graph_points(g_), sggraph->cells()->points());
    for (int k = 1; k <= n; ++k) {
        const GraphCell c = graph_cell(g_, k);
        const QString t = ui_text(FormatCell(grid.grid_values[c.column][c.row - 1]));
        if (sggraph->cells()->cell(k) != t) sggraph->cells()->set_cell(k, t);
    }
    sggraph->fit_columns(column_width_);
    pbgraph->update();
    texts_changed(pbgraph);
}

void Tgraph::rebuild_graph() {
    set_grid_enabled(host_->map_grid_enabled());
    RebuildGraph();
}

void Tgraph::setup_grid() {
    if (grid.current_map != built_map_ || grid.grid_cols != built_cols_ ||
        grid.grid_rows != built_rows_)
        RebuildGraph();
    else
        repaint_graph();
}

void Tgraph::cell_written(int column, int row, const std::string& text) {
    const int k = value_row_point(g_, column, row);
    if (k >= 1 && k <= sggraph->cells()->points()) {
        sggraph->cells()->set_cell(k, ui_text(text));
        sggraph->fit_columns(column_width_);
    }
    pbgraph->update();
    texts_changed(pbgraph);
}

void Tgraph::set_grid_enabled(bool on) {
    pnllv->setEnabled(on);
    pnlgraph->setVisible(on);
}

void Tgraph::set_controls_enabled(bool on) {
    body_->setEnabled(on);
}

void Tgraph::pnlgraphResize() {
    graph_resize(g_, pbgraph->width(), pbgraph->height());
}

void Tgraph::pbgraphPaint(QPainter& p) {
    p.fillRect(pbgraph->rect(), pnlgraph->palette().color(QPalette::Base));
    // A table caught half-way through a change draws what it can; the paint never fails.
    try {
        const GraphScene scene = graph_paint(g_, host_->map_selection(), active());
        paint_graph_scene(p, scene, pbgraph->font());
    } catch (...) {
    }
}

void Tgraph::pbgraphMouseDown(Qt::MouseButton button, int x, int y) {
    if (button == Qt::RightButton) {
        if (!active()) return;
        g_.graph_mode = next_graph_mode(g_.graph_mode, graph_one_row());
        repaint_graph();
        return;
    }
    if (button != Qt::LeftButton) return;
    if (g_.graph_mode == 2) {
        MarkModified();
        drag_to(x, y);
    }
    if (sggraph->isEnabled()) sggraph->setFocus(Qt::MouseFocusReason);
}

void Tgraph::pbgraphMouseMove(Qt::MouseButtons buttons, int x, int y) {
    if ((buttons & Qt::LeftButton) && g_.graph_mode == 2) drag_to(x, y);
}

void Tgraph::drag_to(int x, int y) {
    const auto step = drag_step(g_, x, y);
    if (!step) return;
    sggraph->set_current_point(step->point);
    sggraph->select_points(step->point, step->point);
    apply_drag(*step);
    repaint_graph();
}

void Tgraph::lbgraph1Click() {
    if (filling_ || lbgraph1->currentRow() < 0) return;
    g_.section_kind = lbgraph1->currentRow();
    RebuildGraph();
}

void Tgraph::lbgraph2Click() {
    if (filling_) return;
    g_.current_curve = std::max(lbgraph2->currentRow(), 0);
    for (int i = 0; i < 5; ++i)
        g_.curve_selected[i] = i < lbgraph2->count() && lbgraph2->item(i)->isSelected();
    FillValueRow();
    repaint_graph();
}

void Tgraph::sggraphDrawCell() {
    if (filling_ || !active()) return;
    const auto [first, last] = sggraph->selected_points();
    const Selection want = follow_selection(g_, first, last);
    const Selection now = host_->map_selection();
    if (want.left == now.left && want.top == now.top && want.right == now.right &&
        want.bottom == now.bottom)
        return;
    host_->select_map_cells(want);
    repaint_graph();
}

bool Tgraph::sggraphKeyDown(int virtual_key) {
    switch (virtual_key) {
        case vk_return:
            if (sggraph->editing()) {
                const std::string typed = sggraph->editor_text().toStdString();
                sggraph->end_edit();
                FillSelection(host_->map_selection(), typed);
                repaint_graph();
            }
            return true;
        case vk_prior:
        case vk_next:
            StepTrim(host_->map_selection(), virtual_key == vk_prior ? +1 : -1);
            repaint_graph();
            return true;
        default:
            // Keys above the navigation keys open the editor with themselves.
            return false;
    }
}

void Tgraph::sggraphSelectCell(int k) {
    if (sggraph->editing()) {
        sggraph->end_edit();
        FillValueRow();
    }
    g_.graph_edit_col = k;
}

void Tgraph::sggraphSetEditText(int k) {
    g_.graph_edit_col = k;
    sggraph->set_current_point(k);
}

bool Tgraph::sggraphMouseDown() {
    if (sggraph->editing()) return false;
    const int n = sggraph->cells()->points();
    sggraph->select_points(1, n);
    g_.graph_edit_col = n;
    return true;
}

void Tgraph::btnupdownClick() {
    graph_turn(g_, btnleftright->value(), btnupdown->value());
    if (g_.graph_mode == 0) repaint_graph();
}

void Tgraph::btnleftrightClick() {
    btnupdownClick();
}

}  // namespace pv
