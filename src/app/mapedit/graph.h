// The graph window: the table shown in the map grid as curves or, for the two-axis maps,
// as a surface that the two up-down buttons turn; points are edited by dragging them or
// through the value grid, and the map grid's selection follows.
#pragma once
#include <QMdiSubWindow>
#include <string>

#include "core/mapedit/edit_ops.h"
#include "core/mapedit/graph_view.h"

class QListWidget;
class QSplitter;

namespace pv {

class GraphBox;
class UpDown;
class ValueGrid;

// What the graph needs of the map window it follows.
class GraphHost {
  public:
    virtual ~GraphHost() = default;
    virtual Selection map_selection() const = 0;
    // Replaces the map grid's selection (the map grid does not tell the graph back).
    virtual void select_map_cells(const Selection& s) = 0;
};

class Tgraph : public QMdiSubWindow {
    Q_OBJECT
  public:
    Tgraph(GraphHost* host, QWidget* parent);
    ~Tgraph() override;

    // The table shown changed (or the section kind): lists, value grid, scale.
    void RebuildGraph();
    // The value row of the current curve again, from the map grid's cells.
    void FillValueRow();
    // Repaints the paint box (after an edit, a refill or a new map selection).
    void repaint_graph();
    // SetCell wrote map cell (column, row): the value row shows it when it is on the
    // current curve.
    void cell_written(int column, int row, const std::string& text);
    // The map grid was enabled or disabled: the lists follow, the drawing shows only
    // while it is enabled.
    void set_grid_enabled(bool on);
    // The busy switch.
    void set_controls_enabled(bool on);
    // The graph window is the active child window.
    bool active() const;

    const GraphState& graph() const { return g_; }
    GraphState& graph() { return g_; }

    // Event handlers (the controls forward them).
    void pnlgraphResize();
    void pbgraphPaint(QPainter& p);
    void pbgraphMouseDown(Qt::MouseButton button, int x, int y);
    void pbgraphMouseMove(Qt::MouseButtons buttons, int x, int y);
    void lbgraph1Click();
    void lbgraph2Click();
    void sggraphDrawCell();                // the value grid's selection changed
    bool sggraphKeyDown(int virtual_key);  // true: handled
    void sggraphSelectCell(int k);
    void sggraphSetEditText(int k);
    bool sggraphMouseDown();  // press on the label column; true: handled
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
    bool filling_ = false;
    QSplitter* body_ = nullptr;
    QSplitter* lists_ = nullptr;
    int font_points_ = 9;
};

}  // namespace pv
