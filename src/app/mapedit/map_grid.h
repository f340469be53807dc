// The map grid `sgmap`: a table view over the cell texts of the table shown, one fixed
// header row and column (the view's headers, so they stay in place), and a cell painter that
// draws the map window's layers over each cell. A written cell repaints that cell alone.
#pragma once
#include <QAbstractTableModel>
#include <QPixmap>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <array>

#include "app/common/edit_grid.h"
#include "app/common/laid_out_texts.h"
#include "core/mapedit/edit_ops.h"
#include "core/mapedit/grid_view.h"

class QAbstractButton;

namespace pv {

class Tmap;

// The texts the grid holds: what SetCell and FillGrid last wrote, not the data itself.
class MapGridModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void set_shape(int cols, int rows);
    // Cell (column, row), both from 1.
    void set_cell(int column, int row, const QString& text);
    QString cell(int column, int row) const;
    // The log overlay's figures of cell (column, row): its tooltip and what a screen reader
    // hears as the cell's description. Empty: none.
    void set_tip(int column, int row, const QString& tip);
    void set_headers(const QString& corner, const std::array<QString, 5>& columns,
                     const std::array<QString, 5>& rows);
    QString corner() const { return corner_; }
    // Every cell repaints: a layer that concerns them all was switched.
    void repaint_all();

  private:
    int cols_ = 0;
    int rows_ = 0;
    QString texts_[5][5];  // [column-1][row-1]
    QString tips_[5][5];
    QString corner_;
    std::array<QString, 5> column_heads_;
    std::array<QString, 5> row_heads_;
};

class MapGrid;

// Draws one data cell: the grid's own text, then the layers of the map window.
class MapCellPainter : public QStyledItemDelegate {
  public:
    explicit MapCellPainter(MapGrid* owner);
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    // Everything a cell's look is made of, but the live cursor's lines.
    struct CellInputs {
        QSize size;
        QString text;
        bool selected = false, enabled = false, overlay = false;
        QColor overlay_fill, overlay_ink;
        QColor base, highlight, highlighted_text, window_text, button;
        QFont font;
        CellLook look;
        bool operator==(const CellInputs& o) const;
    };
    struct CachedCell {
        CellInputs inputs;
        QPixmap pixmap;
    };
    CellInputs inputs_of(const QStyleOptionViewItem& option, const QModelIndex& index) const;
    void paint_look(QPainter* p, const QRect& r, const CellInputs& in) const;

    MapGrid* grid_;
    // The values and comparison texts, laid out once.
    mutable LaidOutTexts texts_;
    mutable std::array<std::array<CachedCell, 5>, 5> cached_;
};

class MapGrid : public EditGrid {
    Q_OBJECT
  public:
    MapGrid(Tmap* owner, QWidget* parent);

    MapGridModel* cells() const { return cells_; }
    Tmap* owner() const { return owner_; }
    // The selection as one block of cells, from 1; the current cell when nothing is selected.
    Selection selected_cells() const;
    void select_cells(const Selection& s);
    void set_current_cell(int column, int row);
    // The fixed column's width and the fixed row's height.
    void set_header_sizes(int column_width, int row_height);
    QAbstractButton* corner_button() const { return corner_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  protected slots:

  private:
    Tmap* owner_;
    MapGridModel* cells_;
    MapCellPainter* painter_;
    QAbstractButton* corner_ = nullptr;
};

// The Windows virtual-key code the map grid's key table is written in, for a Qt key event:
// the numpad keys and the OEM keys that carry "*", "+" and "/" keep their own codes.
int virtual_key(const QKeyEvent* event);

}  // namespace pv
