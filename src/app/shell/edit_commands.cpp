// The main window's editing commands; the map window carries them out on its grid.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

#include "app/mapedit/map.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/mapedit/live_cursor.h"

namespace pv {
namespace {

// The clipboard holds plain 8-bit text; the cell texts are ASCII.
void put_on_clipboard(const std::string& text) {
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

}  // namespace

void Tmain::menuundoClick() {
    if (map_) map_->undo_selection();
}

void Tmain::menucutClick() {
    if (!map_ || !state.doc_open) return;
    put_on_clipboard(map_->cut_selection());
    state.clip_has_text = 1;
    RefreshCommands();
}

void Tmain::menucopyClick() {
    if (!map_ || !state.doc_open) return;
    put_on_clipboard(map_->copy_selection());
    state.clip_has_text = 1;
    RefreshCommands();
}

void Tmain::menupasteClick() {
    if (!map_ || !state.doc_open) return;
    // No length cut: a wide spreadsheet selection must not silently lose its last rows.
    map_->paste_text(QGuiApplication::clipboard()->text().toStdString());
}

void Tmain::menuconstClick() {
    if (map_) map_->constant_trim();
}

void Tmain::menurateClick() {
    if (map_) map_->multiplier_trim();
}

void Tmain::menutrimClick() {
    if (map_) map_->equal_divide();
}

void Tmain::menuotherClick() {
    if (!state.doc_open || !map_) {
        menuother->setChecked(state.compare_loaded != 0);
        return;
    }
    {
        UiBusy busy;
        if (state.compare_loaded) {
            map_->comparison_off();
        } else if (auto file = dialogs_->open_data_file(this, opendlg_filename_)) {
            map_->comparison_on(*file);
        }
    }
    menuother->setChecked(state.compare_loaded != 0);
    menuopaste->setEnabled(state.compare_loaded && map_->grid_enabled());
    // The trace and the comparison view share the cells' backgrounds; one gives way.
    if (state.compare_loaded && cursors.trace_on) btnlocusClick();
}

void Tmain::menuopasteClick() {
    if (map_ && state.doc_open) map_->paste_comparison();
}

}  // namespace pv
