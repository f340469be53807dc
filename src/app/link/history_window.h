// The Unit History window: the unit's restore points newest first, each with what it changed
// against the one before. The window does its work through the host's callbacks, so it
// needs nothing of the main window.
#pragma once
#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "core/history/restore_points.h"

class QTableWidget;

namespace pv {

class Thistorydlg : public QDialog {
    Q_OBJECT
  public:
    struct Actions {
        std::function<void(const std::string&)> open, compare, send_back;
    };
    Thistorydlg(Actions actions, QWidget* parent = nullptr);
    // Reads the folder again.
    void refresh();
    QTableWidget* table() const { return table_; }
    const std::vector<RestorePoint>& points() const { return points_; }

  private:
    void run(const std::function<void(const std::string&)>& action);
    Actions actions_;
    QTableWidget* table_{};
    std::vector<RestorePoint> points_;  // newest first, as the rows
};

}  // namespace pv
