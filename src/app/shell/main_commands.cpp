// The shell's own commands: the file commands, printing, parameters, the COM port and view
// choices, help and about.
#include <QMdiArea>
#include <QPrinter>

#include "core/document/datafile.h"
#include "core/document/file_name.h"
#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "app/mapedit/map.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {
namespace {

// ui_busy for the length of a command, cleared on every way out.
class UiBusy {
  public:
    UiBusy() { state.ui_busy = 1; }
    ~UiBusy() { state.ui_busy = 0; }
    UiBusy(const UiBusy&) = delete;
    UiBusy& operator=(const UiBusy&) = delete;
};

}  // namespace

void Tmain::menunewClick() {
    if (state.doc_open && map_) map_->close();
    if (state.doc_open) return;
    open_port();
    link_off();
    Delay(50);
    SetDefaultData();
    MakeMap();
    state.doc_is_new = 1;
    if (state.doc_open && map_) map_->set_caption_text(text(Catalog::Map, 1));
    close_port();
}

void Tmain::menuopenClick() {
    link_off();
    if (state.doc_open && map_) map_->close();
    UiBusy busy;
    if (state.doc_open) return;
    auto file = dialogs_->open_data_file(this, opendlg_filename_);
    if (!file) return;
    opendlg_filename_ = *file;
    if (!has_extension(*file, ".PVD")) return;
    if (ReadDataFile(*file)) {
        MakeMap();
        state.doc_is_new = 0;
        if (map_) map_->set_file_name(*file);
        state.doc_named = 1;
        RefreshCommands();
        savedlg_filename_ = *file;
    } else {
        prompter().message(Icon::Information, msg_text(1));
    }
}

void Tmain::menusaveClick() {
    save_document(false);
}

void Tmain::menusaveasClick() {
    save_document(true);
}

void Tmain::save_document(bool save_as) {
    UiBusy busy;
    if (!state.doc_open || !map_ || !map_->CommitAxisEdit()) return;
    std::string path;
    if (save_as) {
        auto file = dialogs_->save_data_file(this, savedlg_filename_);
        if (!file) return;
        path = *file;
    } else {
        path = map_->file_name();
    }
    if (!WriteDataFile(path)) {
        prompter().message(Icon::Information, msg_text(2));
        return;
    }
    if (save_as) {
        map_->set_file_name(path);
        state.doc_named = 1;
        savedlg_filename_ = path;
    }
    state.doc_modified = 0;
    RefreshCommands();
    ClearChanged();
    map_->SetupGrid();
    if (save_as) opendlg_filename_ = path;
}

bool Tmain::save_before_close() {
    std::string path;
    if (state.doc_named && map_) {
        path = map_->file_name();
    } else {
        auto file = dialogs_->save_data_file(this, savedlg_filename_);
        if (!file) return false;
        path = *file;
    }
    // A failed save keeps the window, so the changes are not lost with it.
    if (!WriteDataFile(path)) {
        prompter().message(Icon::Error, msg_text(2));
        return false;
    }
    return true;
}

void Tmain::menuprintClick() {
    UiBusy busy;
    if (printer_ && dialogs_->print_setup(this, *printer_)) print_map();
}

void Tmain::menuexitClick() {
    close();
}

void Tmain::menuparamClick() {
    UiBusy busy;
    open_port();
    set_busy(3);
    if (run_parameter_dialog()) {
        if (map_) map_->rebuild_after_parameters();
        state.doc_modified = 1;
        RefreshCommands();
    }
    set_busy(0);
}

void Tmain::btngraphClick() {
    // The graph window arrives with the map editor's graph.
}

void Tmain::mcom1Click(int tag) {
    if (tag < 1 || tag > static_cast<int>(mcom.size())) return;
    settings.com_port = static_cast<uint8_t>(tag);
    mcom[static_cast<size_t>(tag - 1)]->setChecked(true);
}

void Tmain::mc1Click(int tag) {
    if (tag < 1 || tag > static_cast<int>(mc.size())) return;
    settings.map_font_size = static_cast<uint8_t>(tag);
    mc[static_cast<size_t>(tag - 1)]->setChecked(true);
    if (state.doc_open && map_) map_->ApplyCellSize();
}

void Tmain::ml1Click(int tag) {
    if (tag < 1 || tag > static_cast<int>(ml.size())) return;
    settings.trace_length = static_cast<uint8_t>(tag);
    ml[static_cast<size_t>(tag - 1)]->setChecked(true);
}

void Tmain::mtr1Click(int tag) {
    if (tag < 1 || tag > static_cast<int>(mtr.size())) return;
    settings.auto_select = static_cast<uint8_t>(tag);
    mtr[static_cast<size_t>(tag - 1)]->setChecked(true);
}

void Tmain::menuContentsClick() {
    open_external(japanese() ? settings.help_file_j : settings.help_file_e);
}

void Tmain::menuvsnClick() {
    UiBusy busy;
    show_about_box();
}

void Tmain::img_tebriklogoDblClick() {
    open_external(text(Catalog::Verup, 1));
}

void Tmain::print_map() {
    // The page layout arrives with printing.
}

void Tmain::show_about_box() {
    // The about box arrives with its own window.
}

}  // namespace pv
