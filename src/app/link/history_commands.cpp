// The main window's side of the restore points: the Unit History window (Communication
// menu) and the Option menu's two send options, remembered in the settings file.
#include <QAction>
#include <QMenu>

#include "app/common/modal.h"
#include "app/common/qt_prompter.h"
#include "app/link/history_window.h"
#include "app/link/review_dialog.h"
#include "app/mapedit/map.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/mapedit/live_cursor.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

QString menu_text(uint32_t n) {
    return ui_text(text(Catalog::Menu, n));
}

}  // namespace

void Tmain::build_history_items(QMenu* comm, QMenu* option) {
    settings.history_folder = paths_.data_dir + "/history";
    auto* review = new ReviewDialogs(this);
    set_send_review(review);
    connect(this, &QObject::destroyed, [review] {
        set_send_review(nullptr);
        delete review;
    });

    menuhistory = comm->addAction(menu_text(141));
    menuhistory->setObjectName(QStringLiteral("menuhistory"));
    connect(menuhistory, &QAction::triggered, this, [this] { menuhistoryClick(); });

    auto toggle = [&](uint32_t caption, const char* name, uint8_t& field) {
        QAction* a = option->addAction(menu_text(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        // The settings file has been read by now; the item follows what it holds.
        connect(option, &QMenu::aboutToShow, a, [a, &field] { a->setChecked(field != 0); });
        a->setChecked(field != 0);
        connect(a, &QAction::toggled, this, [&field](bool on) { field = on ? 1 : 0; });
        return a;
    };
    option->addSeparator();
    mreview = toggle(142, "mreview", settings.review_send);
    mhistsend = toggle(143, "mhistsend", settings.history_before_send);
}

void Tmain::menuhistoryClick() {
    Thistorydlg::Actions actions;
    actions.open = [this](const std::string& path) {
        link_off();
        if (state.doc_open) close_map_window();
        if (!state.doc_open) open_document(path);
    };
    actions.compare = [this](const std::string& path) {
        if (!state.doc_open || !map_) return;
        if (state.compare_loaded) map_->comparison_off();
        map_->comparison_on(path);
        menuother->setChecked(state.compare_loaded != 0);
        menuopaste->setEnabled(state.compare_loaded && map_->grid_enabled());
        if (state.compare_loaded && cursors.trace_on) btnlocusClick();
    };
    // Sending back is a Send All Data of the point opened as the document, with its checks,
    // its review when that is on, and a restore point of what the unit held until now.
    actions.send_back = [this, open = actions.open](const std::string& path) {
        open(path);
        if (state.doc_open && opendlg_filename_ == path) menuwriteClick();
    };
    Thistorydlg dlg(std::move(actions), this);
    run_modal(dlg);
}

}  // namespace pv
