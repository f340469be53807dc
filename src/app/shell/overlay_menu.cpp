// View > Log Overlay: what the map grid colours its cells by (nothing, the time spent in each
// cell, the mean or the peak boost there), which log it reads, and which samples count. The
// choices live in the settings; the map window works out and draws the overlay.
#include <QActionGroup>
#include <QMenu>

#include "app/common/qt_prompter.h"
#include "app/mapedit/map.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

QString menu_text(uint32_t n) {
    return ui_text(text(Catalog::Menu, n));
}

// One group of radio items named prefix + tag, tags from 0.
template <size_t N>
void add_group(QMenu* menu, std::array<QAction*, N>& items, const char* prefix, uint32_t first_text,
               const std::function<void(int)>& chosen) {
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (size_t i = 0; i < N; ++i) {
        const int tag = static_cast<int>(i);
        items[i] = new QAction(menu_text(first_text + static_cast<uint32_t>(i)), group);
        items[i]->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(tag));
        items[i]->setCheckable(true);
        QObject::connect(items[i], &QAction::triggered, menu, [chosen, tag] { chosen(tag); });
        menu->addAction(items[i]);
    }
}

}  // namespace

void Tmain::build_overlay_menu(QMenu* view) {
    // The library's caption with the menus' mnemonic after it, as "View(&V)" has.
    QMenu* overlay = view->addMenu(menu_text(130) + QStringLiteral("(&L)"));
    overlay->setObjectName(QStringLiteral("menuoverlay"));
    overlay->menuAction()->setObjectName(QStringLiteral("menuoverlay"));
    add_group(overlay, mov, "mov", 131, [this](int tag) { movClick(tag); });
    overlay->addSeparator();
    add_group(overlay, movlog, "movlog", 135, [this](int tag) { movlogClick(tag); });
    overlay->addSeparator();
    add_group(overlay, movf, "movf", 137, [this](int tag) { movfClick(tag); });
    connect(overlay, &QMenu::aboutToShow, this, [this] { check_overlay_items(); });
    check_overlay_items();
}

void Tmain::check_overlay_items() {
    auto check = [](auto& items, uint8_t tag) {
        if (tag < items.size()) items[tag]->setChecked(true);
    };
    check(mov, settings.overlay_choice);
    check(movlog, settings.overlay_log);
    check(movf, settings.overlay_filter);
    movf[2]->setText(menu_text(139) + QStringLiteral(" (%1 %)").arg(settings.overlay_throttle));
}

void Tmain::overlay_settings_changed() {
    check_overlay_items();
    if (map_) map_->overlay_changed();
}

void Tmain::movClick(int tag) {
    if (tag < 0 || tag >= static_cast<int>(mov.size())) return;
    settings.overlay_choice = static_cast<uint8_t>(tag);
    overlay_settings_changed();
}

void Tmain::movlogClick(int tag) {
    if (tag < 0 || tag >= static_cast<int>(movlog.size())) return;
    settings.overlay_log = static_cast<uint8_t>(tag);
    overlay_settings_changed();
}

void Tmain::movfClick(int tag) {
    if (tag < 0 || tag >= static_cast<int>(movf.size())) return;
    if (tag == 2) {
        // The opening is asked each time; a cancel or a wrong number keeps the filter as it was.
        UiBusy busy;
        const auto typed = prompter().input(text(Catalog::Menu, 130), text(Catalog::Menu, 140),
                                            std::to_string(settings.overlay_throttle));
        long percent = 0;
        if (typed && !parse_integer(*typed, 0, 100, percent))
            prompter().message(Icon::Error, msg_text(9));
        if (!typed || !parse_integer(*typed, 0, 100, percent)) {
            overlay_settings_changed();
            return;
        }
        settings.overlay_throttle = static_cast<uint8_t>(percent);
    }
    settings.overlay_filter = static_cast<uint8_t>(tag);
    overlay_settings_changed();
}

}  // namespace pv
