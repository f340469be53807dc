// The document's window from birth to close: New, Open (menu and command line), Save and
// Save As, the save that "Save data?" asks for, and what the link's sequences ask when they
// replace the document. Every path sets the document's flags here, the same way.
#include "app/mapedit/map.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "core/document/datafile.h"
#include "core/document/file_name.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

void Tmain::menunewClick() {
    if (state.doc_open && !close_map_window()) return;
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
    if (state.doc_open) close_map_window();
    UiBusy busy;
    if (state.doc_open) return;
    auto file = dialogs_->open_data_file(this, opendlg_filename_);
    if (!file) return;
    opendlg_filename_ = *file;
    if (!has_extension(*file, ".PVD")) return;
    open_document(*file);
}

void Tmain::open_document(const std::string& file) {
    opendlg_filename_ = file;
    if (!ReadDataFile(file)) {
        prompter().message(Icon::Information, msg_text(1));
        return;
    }
    MakeMap();
    state.doc_is_new = 0;
    if (state.doc_open && map_) map_->set_file_name(file);
    state.doc_named = 1;
    RefreshCommands();
    savedlg_filename_ = file;
}

void Tmain::menusaveClick() {
    save_from_menu(SaveTo::own_file);
}

void Tmain::menusaveasClick() {
    save_from_menu(SaveTo::chosen_file);
}

void Tmain::save_from_menu(SaveTo to) {
    UiBusy busy;
    switch (save_document(to)) {
        case SaveResult::saved:
            // The grid drops the marks of the changes just saved.
            map_->SetupGrid();
            break;
        case SaveResult::failed:
            prompter().message(Icon::Information, msg_text(2));
            break;
        case SaveResult::cancelled:
            break;
    }
}

SaveResult Tmain::save_document(SaveTo to) {
    if (!state.doc_open || !map_ || !map_->CommitAxisEdit()) return SaveResult::cancelled;
    const bool choose =
        to == SaveTo::chosen_file || (to == SaveTo::own_or_chosen && !state.doc_named);
    std::string path;
    if (choose) {
        auto file = dialogs_->save_data_file(this, savedlg_filename_);
        if (!file) return SaveResult::cancelled;
        path = *file;
    } else {
        path = map_->file_name();
    }
    if (!WriteDataFile(path)) return SaveResult::failed;
    if (choose) {
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

SaveResult Tmain::save_modified_document() {
    return save_document(SaveTo::own_or_chosen);
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

}  // namespace pv
