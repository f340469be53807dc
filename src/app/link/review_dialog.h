// Review before sending: what a send would change in the unit, the parameters as a list with
// the unit's and the document's texts, and each table whose cells change as a grid laid out
// as the map window lays it out, the changed cells marked and holding both values.
#pragma once
#include <QDialog>

#include "core/link/send_guard.h"

class QTabWidget;
class QTableWidget;

namespace pv {

class TReviewdlg : public QDialog {
    Q_OBJECT
  public:
    TReviewdlg(const SendChanges& send, QWidget* parent = nullptr);
    QTabWidget* tabs() const { return tabs_; }
    // The list of the parameters (and of cells the map does not show), nullptr when none.
    QTableWidget* parameter_list() const { return list_; }
    // The grid of a table by its field name ("boost_map_a"), nullptr when it does not change.
    QTableWidget* grid(const QString& field) const;

  private:
    void add_parameter_page(const SendChanges& send, const std::vector<TableGrid>& grids);
    void add_grid_page(const TableGrid& g, int changed);
    void fit_to_screen();
    QTabWidget* tabs_{};
    QTableWidget* list_{};
};

// Installed as the send review: a modal TReviewdlg; Send goes on, Cancel stops.
class ReviewDialogs : public SendReview {
  public:
    explicit ReviewDialogs(QWidget* parent) : parent_(parent) {}
    bool confirm_send(const SendChanges& send) override;

  private:
    QWidget* parent_;
};

}  // namespace pv
