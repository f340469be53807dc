// The graph window's own controls: the paint box, the up-down buttons that turn the
// surface, and the one-row value grid.
#pragma once
#include <QAbstractSlider>
#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <vector>

#include "app/common/edit_grid.h"

class QAbstractButton;
class QPainter;

namespace pv {

// What the graph window's controls hand on to the window that owns them: the handlers of
// the paint box and of the value grid. The controls know nothing else of the window.
class GraphControlsOwner {
  public:
    virtual ~GraphControlsOwner() = default;
    virtual void pnlgraphResize() = 0;
    virtual void pbgraphPaint(QPainter& p) = 0;
    virtual void pbgraphMouseDown(Qt::MouseButton button, int x, int y) = 0;
    virtual void pbgraphMouseMove(Qt::MouseButtons buttons, int x, int y) = 0;
    // The value grid's selection changed.
    virtual void sggraphDrawCell() = 0;
    // True: the key is handled.
    virtual bool sggraphKeyDown(int virtual_key) = 0;
    virtual void sggraphSelectCell(int k) = 0;
    virtual void sggraphSetEditText(int k) = 0;
    // A press on the label column; true: handled.
    virtual bool sggraphMouseDown() = 0;
};

// `pbgraph`: paints through the window and passes its mouse on.
class GraphBox : public QWidget {
  public:
    GraphBox(GraphControlsOwner* owner, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    GraphControlsOwner* owner_;
};

// An up-down control: two arrow buttons that step a position within a range. A negative
// increment makes the second arrow (right or down) raise the position.
class UpDown : public QAbstractSlider {
  public:
    UpDown(Qt::Orientation orientation, int minimum, int maximum, int increment, QWidget* parent);
    // Presses the first (up or left) or second (down or right) arrow.
    void press(bool first);
    QSize sizeHint() const override;
    std::function<void()> clicked;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    int increment_;
};

// The texts of the value grid: a fixed header row and label column (the view's headers)
// and one row of cells.
class ValueRowModel : public QAbstractTableModel {
  public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // headers[0] the corner, [k] point k; cells[0] the label, [k] point k.
    void set_row(const std::vector<QString>& headers, const std::vector<QString>& cells);
    // Point k, from 1.
    void set_cell(int k, const QString& text);
    QString cell(int k) const;
    QString corner() const { return headers_.empty() ? QString() : headers_[0]; }
    QString label() const { return cells_.empty() ? QString() : cells_[0]; }
    int points() const { return static_cast<int>(cells_.size()) - 1; }

  private:
    std::vector<QString> headers_;
    std::vector<QString> cells_;
};

// `sggraph`.
class ValueGrid : public EditGrid {
  public:
    ValueGrid(GraphControlsOwner* owner, QWidget* parent);
    ValueRowModel* cells() const { return cells_; }
    // The selected points first..last (from 1); the current one when none is selected.
    std::pair<int, int> selected_points() const;
    void select_points(int first, int last);
    // Edit column: the value grid's current cell, from 1.
    void set_current_point(int k);
    void set_label_width(int width);
    // Columns `least` wide, or as wide as the widest text needs with the style's margins:
    // a value is shown whole, never as "20...".
    void fit_columns(int least);
    // The owner's key table; true when it handled the key.
    bool owner_key(const QKeyEvent* event) const;

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;

  private:
    GraphControlsOwner* owner_;
    ValueRowModel* cells_;
    QAbstractButton* corner_ = nullptr;
    // The view reports selection and current-cell changes while it is being set up (setModel
    // does); the owner hears of them only once the grid exists for it.
    bool built_ = false;
};

}  // namespace pv
