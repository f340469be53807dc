// The main window's side of the transfers, the data lock and the live link: what the link's
// sequences ask of the windows while they run.
#include <QAction>
#include <QListWidget>
#include <QTimer>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "app/link/net.h"
#include "app/link/writingdialog.h"
#include "app/mapedit/map.h"
#include "app/mapedit/map_grid.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"

namespace pv {

bool Tmain::commit_axis_edit() {
    return !map_ || map_->CommitAxisEdit();
}

bool Tmain::run_progress_dialog(uint8_t kind, const std::function<bool()>& job) {
    Tnetdlg dlg(kind, job, this);
    return run_modal(dlg) == QDialog::Accepted;
}

void Tmain::set_gauge_maximum(int maximum) {
    if (Tnetdlg* d = Tnetdlg::current()) d->set_gauge_maximum(maximum);
}

void Tmain::gauge_step() {
    if (Tnetdlg* d = Tnetdlg::current()) d->gauge_step();
}

void Tmain::show_processing_dialog() {
    TWritingdlg dlg(this);
    run_modal(dlg);
}

bool Tmain::close_map_window() {
    if (map_) map_->close();
    return !state.doc_open;
}

void Tmain::make_map_window() {
    if (!map_) MakeMap();
}

void Tmain::set_map_caption(const std::string& text8) {
    if (map_) map_->set_caption_text(text8);
}

void Tmain::save_unit_data() {
    // A copy of what the unit held, for going back to it later; the document in the map
    // window is what counts, so a folder that cannot be written is not worth a message.
    WriteDataFile(settings.data_folder + "/UNITDATA.PVD");
}

FrontEndHooks::SaveResult Tmain::save_modified_document() {
    if (!map_ || !map_->CommitAxisEdit()) return SaveResult::cancelled;
    const bool named = state.doc_named != 0;
    std::string path;
    if (named) {
        path = map_->file_name();
    } else {
        auto file = dialogs_->save_data_file(this, savedlg_filename_);
        if (!file) return SaveResult::cancelled;
        path = *file;
    }
    if (!WriteDataFile(path)) return SaveResult::failed;
    if (!named) {
        map_->set_file_name(path);
        state.doc_named = 1;
        savedlg_filename_ = path;
        opendlg_filename_ = path;
    }
    state.doc_modified = 0;
    RefreshCommands();
    ClearChanged();
    return SaveResult::saved;
}

void Tmain::setup_grid() {
    if (map_) map_->SetupGrid();
}

void Tmain::fill_grid() {
    if (map_) map_->FillGrid();
}

void Tmain::fill_table_list() {
    if (!map_) return;
    // The list is rebuilt for the link's state; the table shown stays as it is.
    const int row = map_->lvmap2->currentRow();
    map_->FillTableList();
    if (row < 0 || row >= map_->lvmap2->count()) return;
    const bool blocked = map_->lvmap2->blockSignals(true);
    map_->lvmap2->setCurrentRow(row);
    map_->lvmap2->blockSignals(blocked);
}

bool Tmain::grid_enabled() {
    return !map_ || map_->grid_enabled();
}

void Tmain::set_grid_enabled(bool on) {
    SetGridEnabled(on);
}

void Tmain::repaint_map_grid() {
    if (map_) map_->sgmap->viewport()->update();
}

void Tmain::set_link_button(bool down) {
    btnlink->setChecked(down);
}

void Tmain::set_link_timer(uint32_t interval_ms) {
    if (interval_ms == 0)
        linktimer->stop();
    else
        linktimer->start(static_cast<int>(interval_ms));
}

void Tmain::clear_cursor_hold() {
    if (map_) map_->cursor_hold = false;
}

void Tmain::release_trace_buttons() {
    for (QAction* a : {btnlocus, btnatsel})
        if (a->isChecked()) a->trigger();
}

}  // namespace pv
