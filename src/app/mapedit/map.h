// The map window: the document window, which exists exactly while a document is open.
// Its lists choose one of the seven tables; its grid shows the table chosen.
#pragma once
#include <QMdiSubWindow>
#include <string>

class QListWidget;
class QListWidgetItem;
class QTableWidget;
class QWidget;

namespace pv {

class Tmain;

class Tmap : public QMdiSubWindow {
    Q_OBJECT
  public:
    explicit Tmap(Tmain* owner);

    // The caption: the document's full file name, or "-New-" (text library bytes).
    void set_file_name(const std::string& path);
    void set_caption_text(const std::string& text_bytes);
    const std::string& file_name() const { return file_name_; }

    // The three table groups, the first one selected.
    void fill_groups();
    void FillTableList();
    void SetupGrid();
    void FillGrid();
    // The text of grid cell (column, row), both from 1, as SetCell left it.
    void show_cell(int column, int row, const QString& text);
    // Ends a pending axis edit; false when the edit was refused.
    bool CommitAxisEdit();
    void ApplyCellSize();
    void set_grid_enabled(bool on);
    // The busy switch: lists and grid take no input during a transfer.
    void set_controls_enabled(bool on);
    // The axis mode may have changed: table list and grid again, same table selected.
    void rebuild_after_parameters();

    QListWidget* lvmap1 = nullptr;
    QListWidget* lvmap2 = nullptr;
    QTableWidget* sgmap = nullptr;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void lvmap1SelectItem();
    void lvmap2SelectItem();

    Tmain* owner_;
    std::string file_name_;
    int last_group_index_ = 1;
    int group_item_memory_[11]{};
    bool map_item_disabled_[3]{};
    QWidget* pnllvbase_ = nullptr;
};

}  // namespace pv
