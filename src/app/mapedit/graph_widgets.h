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

namespace pv {

class Tgraph;

// `pbgraph`: paints through the window and passes its mouse on.
class GraphBox : public QWidget {
  public:
    explicit GraphBox(Tgraph* owner, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    Tgraph* owner_;
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
    ValueGrid(Tgraph* owner, QWidget* parent);
    ValueRowModel* cells() const { return cells_; }
    // The selected points first..last (from 1); the current one when none is selected.
    std::pair<int, int> selected_points() const;
    void select_points(int first, int last);
    // Edit column: the value grid's current cell, from 1.
    void set_current_point(int k);
    void set_label_width(int width);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;

  protected slots:

  private:
    friend class ValueEditor;
    Tgraph* owner_;
    ValueRowModel* cells_;
    QAbstractButton* corner_ = nullptr;
};

}  // namespace pv
