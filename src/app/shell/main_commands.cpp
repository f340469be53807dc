// The shell's own commands: printing, the COM port and view choices, the window
// arrangements, help and about. The file commands live with the document's flow.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>

#include "app/common/modal.h"
#include "app/mapedit/graph.h"
#include "app/mapedit/map.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "app/shell/vsn.h"
#include "core/document/datafile.h"
#include "core/document/file_name.h"
#include "core/document/unit.h"
#include "core/link/netunit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

void Tmain::menuprintClick() {
    UiBusy busy;
    if (printer_ && dialogs_->print_setup(this, *printer_)) print_map();
}

void Tmain::menuexitClick() {
    close();
}

void Tmain::menuhtileClick() {
    arrange(Qt::Horizontal);
}

void Tmain::menuvtileClick() {
    arrange(Qt::Vertical);
}

void Tmain::menucascadeClick() {
    mdi_->cascadeSubWindows();
}

void Tmain::menuminmizeClick() {
    for (auto* w : mdi_->subWindowList()) w->showMinimized();
}

void Tmain::WindowArrangeItemClick() {
    arrange_icons();
}

void Tmain::btngraphClick() {
    if (!state.doc_open || !map_) return;
    if (!graph_) {
        graph_ = new Tgraph(this, this);
        views_.add(graph_.data());
        mdi_->addSubWindow(graph_);
    }
    graph_->show();
    mdi_->setActiveSubWindow(graph_);
    graph_->rebuild_graph();
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

void Tmain::show_about_box() {
    Tvsndlg box(this);
    run_modal(box);
}

}  // namespace pv
