// The graph window: the table shown in the map grid as curves or, for the two-axis maps,
// as a surface that the two up-down buttons turn; points are edited by dragging them or
// through the value grid, and the map grid's selection follows.
#pragma once
#include <QMdiSubWindow>
#include <string>

#include "app/mapedit/graph_host.h"
#include "app/mapedit/graph_widgets.h"
#include "core/mapedit/edit_ops.h"
#include "core/mapedit/graph_view.h"
#include "core/ui/hooks.h"

class QListWidget;
class QSplitter;

namespace pv {

// A view of the document's table shown: it hears every cell written, the grid refilled and
// the map window's choice of table.
class Tgraph : public QMdiSubWindow, public DocumentViews, public GraphControlsOwner {
    Q_OBJECT
  public:
    Tgraph(GraphHost* host, QWidget* parent);
    ~Tgraph() override;

    // The table shown changed (or the section kind): lists, value grid, scale.
    void RebuildGraph();
    // The value row of the current curve again, from the map grid's cells.
    void FillValueRow();

    // DocumentViews
    // SetCell wrote map cell (column, row): the value row shows it when it is on the
    // current curve, and the drawing follows.
    void cell_written(int column, int row, const std::string& text) override;
    // The value row takes the map grid's texts again and the paint box repaints.
    void repaint_graph() override;
    void rebuild_graph() override;
    void fill_grid() override { repaint_graph(); }
    // Load Parameter may have changed the axis mode, and with it the table's shape.
    void setup_grid() override;
    // The link started or stopped.
    void fill_table_list() override { RebuildGraph(); }
    // The map grid was enabled or disabled: the lists follow, the drawing shows only
    // while it is enabled.
    void set_grid_enabled(bool on) override;

    // The busy switch.
    void set_controls_enabled(bool on);
    // The graph window is the active child window.
    bool active() const;

    const GraphState& graph() const { return g_; }
    GraphState& graph() { return g_; }

    // Event handlers; GraphControlsOwner's come from the paint box and the value grid.
    void pnlgraphResize() override;
    void pbgraphPaint(QPainter& p) override;
    void pbgraphMouseDown(Qt::MouseButton button, int x, int y) override;
    void pbgraphMouseMove(Qt::MouseButtons buttons, int x, int y) override;
    void lbgraph1Click();
    void lbgraph2Click();
    void sggraphDrawCell() override;
    bool sggraphKeyDown(int virtual_key) override;
    void sggraphSelectCell(int k) override;
    void sggraphSetEditText(int k) override;
    bool sggraphMouseDown() override;
    void btnupdownClick();
    void btnleftrightClick();

    QWidget* pnllv = nullptr;
    QListWidget* lbgraph1 = nullptr;
    QListWidget* lbgraph2 = nullptr;
    QWidget* pnlgraph = nullptr;
    GraphBox* pbgraph = nullptr;
    QWidget* pnlsg = nullptr;
    QWidget* pnlbtn = nullptr;
    UpDown* btnupdown = nullptr;
    UpDown* btnleftright = nullptr;
    ValueGrid* sggraph = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void fill_curve_list(const std::vector<std::string>& curves);
    void show_value_row(const ValueRow& row);
    // Paints the value grid's cell k after a drag or a key.
    void drag_to(int x, int y);

    GraphHost* host_;
    GraphState g_;
    // The table the lists were built for.
    int built_map_ = 0;
    int built_cols_ = 0;
    int built_rows_ = 0;
    bool filling_ = false;
    QSplitter* body_ = nullptr;
    QSplitter* lists_ = nullptr;
    int font_points_ = 9;
    // The value grid's column width by the design's rule, before the texts widen it.
    int column_width_ = 0;
};

}  // namespace pv
