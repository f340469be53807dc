// The keyboard reaches every command: each tool button's command has a menu item, and every
// menu and item the user opens by keyboard has its own mnemonic.
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolBar>
#include <algorithm>
#include <set>

#include "app_fixture.h"

namespace pv::test {
namespace {

using MenuPaths = AppTest;

// What an item shows, without its mnemonic and ellipsis: "Graph(&G)..." reads "Graph".
QString shown(QString text) {
    text.remove(QRegularExpression(QStringLiteral("\\(&.\\)")));
    text.remove(QStringLiteral("..."));
    return text.remove(QLatin1Char('&'));
}

void collect(QMenu* menu, std::vector<QAction*>& items) {
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        items.push_back(a);
        if (a->menu()) collect(a->menu(), items);
    }
}

TEST_F(MenuPaths, EveryToolButtonHasAMenuItemAndMnemonicsDoNotClash) {
    start();
    std::vector<QAction*> items;
    for (QAction* top : main->menuBar()->actions())
        if (top->menu()) collect(top->menu(), items);

    for (QAction* b : main->findChild<QToolBar*>()->actions()) {
        if (b->isSeparator() || !b->objectName().startsWith(QLatin1String("btn"))) continue;
        const auto item = std::find_if(items.begin(), items.end(), [b](QAction* a) {
            return shown(a->text()) == b->toolTip();
        });
        ASSERT_NE(item, items.end()) << b->toolTip().toStdString() << " has no menu item";
        EXPECT_FALSE(QKeySequence::mnemonic((*item)->text()).isEmpty())
            << (*item)->text().toStdString();
    }

    // In every menu the keyboard opens, each item's letter is its own, and submenus have one.
    std::vector<QMenu*> menus;
    for (QAction* top : main->menuBar()->actions())
        if (top->menu()) menus.push_back(top->menu());
    for (size_t k = 0; k < menus.size(); ++k) {
        std::set<int> letters;
        for (QAction* a : menus[k]->actions()) {
            if (a->isSeparator() || a->text().isEmpty()) continue;
            const QKeySequence m = QKeySequence::mnemonic(a->text());
            if (a->menu()) {
                menus.push_back(a->menu());
                EXPECT_FALSE(m.isEmpty()) << a->text().toStdString();
            }
            if (!m.isEmpty()) {
                EXPECT_TRUE(letters.insert(m[0].toCombined()).second)
                    << a->text().toStdString() << " in " << menus[k]->title().toStdString();
            }
        }
    }
}

TEST_F(MenuPaths, ButtonItemsFollowTheirButtonAndRunItsCommand) {
    start();
    EXPECT_FALSE(enabled("menugraph"));
    EXPECT_FALSE(enabled("menumnt"));
    EXPECT_TRUE(enabled("menulog"));
    EXPECT_TRUE(main->action(QStringLiteral("menulink"))->isCheckable());

    main->menunewClick();
    state.link_on = 1;
    main->RefreshCommands();
    EXPECT_TRUE(enabled("menumnt"));
    EXPECT_TRUE(enabled("menugraph"));
    main->action(QStringLiteral("menugraph"))->trigger();
    EXPECT_NE(main->graph_window(), nullptr) << "Setting > Graph opens it as its button does";
    state.link_on = 0;
}

}  // namespace
}  // namespace pv::test
