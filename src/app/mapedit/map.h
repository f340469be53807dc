// The map window: the document window, which exists exactly while a document is open.
// Its lists choose one of the seven tables; its grid shows the table chosen and edits it in
// place, every change going through SetCell.
#pragma once
#include <QMdiSubWindow>
#include <cstdint>
#include <memory>
#include <string>

#include "core/mapedit/edit_ops.h"
#include "core/mapedit/grid_view.h"
#include "core/mapedit/live_cursor.h"
#include "core/ui/hooks.h"

class QKeyEvent;
class QListWidget;
class QListWidgetItem;
class QPainter;
class QSplitter;
class QWidget;

namespace pv {

class MapGrid;
class MapHost;
class MapLegend;
class OverlayTally;
struct MapOverlayState;
struct OverlayCell;
struct OverlayLook;

// The document's views of the tables (grid and lists) and the live cursor on the grid.
class Tmap : public QMdiSubWindow, public DocumentViews, public LiveViews {
    Q_OBJECT
  public:
    Tmap(MapHost* host, QWidget* parent);
    ~Tmap() override;

    // The caption: the document's full file name, or "-New-" (text library bytes).
    void set_file_name(const std::string& path);
    void set_caption_text(const std::string& text_bytes);
    const std::string& file_name() const { return file_name_; }

    // The three table groups, the first one selected.
    void fill_groups();
    void FillTableList();
    void SetupGrid();
    void FillGrid();

    // DocumentViews
    void cell_written(int column, int row, const std::string& text) override;
    bool commit_axis_edit() override { return CommitAxisEdit(); }
    // Loaded parameters may bring another axis mode: the table is chosen afresh, so its shape,
    // headers, enabling and undo point follow the new mode.
    void setup_grid() override { rebuild_after_parameters(); }
    void fill_grid() override { FillGrid(); }
    void fill_table_list() override;
    bool grid_enabled() override { return grid_enabled_; }
    // SetGridEnabled: the grid and the editing commands.
    void set_grid_enabled(bool on) override;
    void repaint_map_grid() override { repaint_grid(); }

    // LiveViews: a poll moves the live cursor unless it is disabled or held.
    void update_live_cursor() override;
    // The comparison log under Log Link wrote the record under its cursor.
    void update_compare_cursor() override { UpdateCompareCursor(); }
    void clear_cursor_hold() override;
    // UpdateLiveCursor and UpdateCompareCursor: the cursor to the operating point of the
    // live values, or of the comparison log's record, and the repaint and selection it needs.
    void UpdateLiveCursor();
    void UpdateCompareCursor();
    // The text of grid cell (column, row), both from 1, as SetCell left it.
    void show_cell(int column, int row, const QString& text);
    QString cell_text(int column, int row) const;
    // Ends a pending axis edit; false when the edit was refused.
    bool CommitAxisEdit();
    void ApplyCellSize();
    // The busy switch: lists and grid take no input during a transfer.
    void set_controls_enabled(bool on);
    // The axis mode may have changed: table list and grid again, same table selected.
    void rebuild_after_parameters();
    // Every cell again, for a layer that concerns them all (cursor hold, live versions).
    void repaint_grid();
    int list_panel_width() const;

    // The Edit menu's operations on the grid selection.
    Selection selection() const;
    void select_cells(const Selection& s);
    void undo_selection();
    std::string copy_selection();
    std::string cut_selection();
    void paste_text(const std::string& text);
    void constant_trim();
    void multiplier_trim();
    void equal_divide();
    // View Comparison File: on with the file chosen, or off.
    void comparison_on(const std::string& path);
    void comparison_off();
    void paste_comparison();

    // Grid events (the grid forwards them).
    bool sgmapKeyDown(QKeyEvent* event);  // true: the key is swallowed
    void sgmapSelectCell(int column, int row);
    void sgmapSetEditText(int column, int row);
    void sgmapExit();
    bool sgmapMouseDown(int column, int row);  // true: a header press, handled here
    void sgmapMouseMove(int column, int row);
    void grid_selection_changed();
    // What the cell painter needs beyond the grid working area.
    CellMarks marks_of(int column, int row, bool selected) const;
    // The live cursors' layer, drawn last over a data cell.
    void paint_cursors(QPainter* painter, const QRect& cell, int column, int row) const;

    // The log overlay (map_overlay.cpp): a log window loaded or closed a file; a View > Log
    // Overlay choice changed. The tally is worked out again only when the log, the table, its
    // axes or the filter changed.
    void overlay_logs_changed() { refresh_overlay(false); }
    void overlay_changed() { refresh_overlay(true); }
    // The overlay of a data cell; nullptr when the cell has no colour.
    const OverlayCell* overlay_cell(int column, int row) const;
    const OverlayLook& overlay() const;
    const OverlayTally& overlay_tally() const;
    MapLegend* lbloverlay = nullptr;

    QListWidget* lvmap1 = nullptr;
    QListWidget* lvmap2 = nullptr;
    MapGrid* sgmap = nullptr;

    int edit_col = 1;
    int edit_row = 1;
    Selection last_grid_selection{1, 1, 1, 1};

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CursorPen live_pen_ = CursorPen::red;  // the live cursor's at its last update
    void lvmap1SelectItem();
    void lvmap2SelectItem();
    void lvmap1MouseUp(QListWidget* list, const QPoint& pos);
    void pnllvbaseResize();
    int group_index() const;
    int table_index() const;
    CursorGrid cursor_grid() const;
    void apply_cursor_update(const CursorUpdate& u);
    // Brings the overlay up to date; the look is made again when the tally was or the choice
    // changed.
    void refresh_overlay(bool choice_changed);
    bool committing_ = false;

    MapHost* host_;
    std::unique_ptr<MapOverlayState> overlay_;
    std::string file_name_;
    int last_group_index_ = 1;
    int group_item_memory_[11]{};
    bool map_item_disabled_[3]{};
    bool grid_enabled_ = true;
    bool table_linked_ = false;  // the link state the table shown was chosen in
    int press_col_ = -1;
    int press_row_ = -1;
    int font_points_ = 11;
    int col_width_ = 33;
    QWidget* pnllvbase_ = nullptr;
    QSplitter* lists_ = nullptr;
    QSplitter* body_ = nullptr;
};

// The pixels a cursor line covers in the grid (the 2-pixel pen of its drawing).
QRect cursor_line_pixels(const Segment& s);

}  // namespace pv
