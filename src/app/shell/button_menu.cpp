#include "app/shell/button_menu.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>

#include "app/common/qt_prompter.h"
#include "core/ui/texts.h"

namespace pv {
namespace {

struct ButtonItem {
    const char* button;  // the tool bar action's object name
    const char* item;    // the menu item's object name
    uint32_t hint;       // the button's hint, which the item shows
    const char* mnemonic;
};

// An item that runs as a click on the button `entry.button` of `main`'s tool bar.
void add_item(QMainWindow* main, QMenu* menu, const ButtonItem& entry) {
    auto* button = main->findChild<QAction*>(QLatin1String(entry.button));
    if (!button) return;
    auto* item =
        new QAction(ui_text(text(Catalog::Menu, entry.hint)) + QLatin1String(entry.mnemonic), menu);
    item->setObjectName(QLatin1String(entry.item));
    item->setCheckable(button->isCheckable());
    menu->addAction(item);
    auto follow = [button, item] {
        item->setEnabled(button->isEnabled());
        item->setChecked(button->isChecked());
    };
    follow();
    QObject::connect(button, &QAction::changed, item, follow);
    QObject::connect(button, &QAction::toggled, item, follow);
    // The button's command decides whether it stays down, whoever asked; the item shows
    // what it decided.
    QObject::connect(item, &QAction::triggered, item, [main, button, follow] {
        QToolButton* b = nullptr;
        for (QToolBar* bar : main->findChildren<QToolBar*>())
            if (auto* w = qobject_cast<QToolButton*>(bar->widgetForAction(button))) b = w;
        if (b && b->isEnabled())
            b->click();
        else if (!b && button->isEnabled())
            button->trigger();
        follow();
    });
}

}  // namespace

void add_button_items(QMainWindow* main, QMenu* setting, QMenu* communication) {
    add_item(main, setting, {"btngraph", "menugraph", 111, "(&G)..."});
    communication->addSeparator();
    for (const ButtonItem& b : {ButtonItem{"btnlink", "menulink", 114, "(&K)"},
                                ButtonItem{"btnmnt", "menumnt", 115, "(&M)"},
                                ButtonItem{"btnlocus", "menulocus", 116, "(&E)"},
                                ButtonItem{"btnatsel", "menuatsel", 117, "(&U)"},
                                ButtonItem{"btnlog", "menulog", 118, "(&G)"}})
        add_item(main, communication, b);
}

}  // namespace pv
