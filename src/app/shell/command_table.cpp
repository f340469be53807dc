#include "app/shell/command_table.h"

#include <QActionGroup>
#include <QMenu>
#include <array>

#include "app/mapedit/map.h"
#include "core/document/unit.h"

namespace pv {
namespace {

using T = Tmain;

// In the order of the menus; the tool bar and the pop-up menu take their own order.
const Command kCommands[] = {
    {.menu = &T::menunew,
     .menu_name = "menunew",
     .caption = "New File(&N)...",
     .shortcut = "Ctrl+N",
     .menu_icon = true,
     .button = &T::btnnew,
     .button_name = "btnnew",
     .hint = "New File",
     .image = "new",
     .handler = &T::menunewClick},
    {.menu = &T::menuopen,
     .menu_name = "menuopen",
     .caption = "Open(&O)...",
     .shortcut = "Ctrl+O",
     .menu_icon = true,
     .button = &T::btnopen,
     .button_name = "btnopen",
     .hint = "Open",
     .image = "open",
     .handler = &T::menuopenClick},
    {.menu = &T::menusave,
     .menu_name = "menusave",
     .caption = "Save(&S)",
     .shortcut = "Ctrl+S",
     .menu_icon = true,
     .button = &T::btnsave,
     .button_name = "btnsave",
     .hint = "Save",
     .image = "save",
     .handler = &T::menusaveClick,
     .when = When::saveable},
    {.menu = &T::menusaveas,
     .menu_name = "menusaveas",
     .caption = "Save As(&A)...",
     .handler = &T::menusaveasClick,
     .when = When::document},
    {.menu = &T::menuprint,
     .menu_name = "menuprint",
     .caption = "Print(&P)...",
     .menu_icon = true,
     .button = &T::btnprint,
     .button_name = "btnprint",
     .hint = "Print",
     .image = "print",
     .handler = &T::menuprintClick,
     .when = When::document},
    {.menu = &T::menuexit,
     .menu_name = "menuexit",
     .caption = "Exit(&X)",
     .handler = &T::menuexitClick},

    {.menu = &T::menuundo,
     .menu_name = "menuundo",
     .caption = "Undo(&U)",
     .popup = &T::pmundo,
     .popup_name = "pmundo",
     .twin = Twin::follows_item,
     .handler = &T::menuundoClick},
    {.menu = &T::menucut,
     .menu_name = "menucut",
     .caption = "Cut(&T)",
     .shortcut = "Ctrl+X",
     .menu_icon = true,
     .button = &T::btncut,
     .button_name = "btncut",
     .hint = "Cut",
     .image = "cut",
     .popup = &T::pmcut,
     .popup_name = "pmcut",
     .twin = Twin::runs_handler,
     .handler = &T::menucutClick,
     .when = When::document,
     .grid_edit = true},
    {.menu = &T::menucopy,
     .menu_name = "menucopy",
     .caption = "Copy(&C)",
     .shortcut = "Ctrl+C",
     .menu_icon = true,
     .button = &T::btncopy,
     .button_name = "btncopy",
     .hint = "Copy",
     .image = "copy",
     .popup = &T::pmcopy,
     .popup_name = "pmcopy",
     .twin = Twin::runs_handler,
     .handler = &T::menucopyClick,
     .when = When::document,
     .grid_edit = true},
    {.menu = &T::menupaste,
     .menu_name = "menupaste",
     .caption = "Paste(&P)",
     .shortcut = "Ctrl+V",
     .menu_icon = true,
     .button = &T::btnpaste,
     .button_name = "btnpaste",
     .hint = "Paste",
     .image = "paste",
     .popup = &T::pmpaste,
     .popup_name = "pmpaste",
     .twin = Twin::follows_item,
     .handler = &T::menupasteClick,
     .when = When::paste,
     .grid_edit = true},
    {.menu = &T::menuconst,
     .menu_name = "menuconst",
     .caption = "Constant Trim(&A)",
     .button = &T::btnconst,
     .button_name = "btnconst",
     .hint = "Constant Trim",
     .image = "const",
     .popup = &T::pmconst,
     .popup_name = "pmconst",
     .twin = Twin::runs_handler,
     .handler = &T::menuconstClick,
     .when = When::document,
     .grid_edit = true},
    {.menu = &T::menurate,
     .menu_name = "menurate",
     .caption = "Multiplier Trim(&R)",
     .button = &T::btnrate,
     .button_name = "btnrate",
     .hint = "Multiplier Trim",
     .image = "rate",
     .popup = &T::pmrate,
     .popup_name = "pmrate",
     .twin = Twin::runs_handler,
     .handler = &T::menurateClick,
     .when = When::document,
     .grid_edit = true},
    {.menu = &T::menutrim,
     .menu_name = "menutrim",
     .caption = "Equal Divide(&D)",
     .button = &T::btntrim,
     .button_name = "btntrim",
     .hint = "Equal Divide",
     .image = "trim",
     .popup = &T::pmtrim,
     .popup_name = "pmtrim",
     .twin = Twin::runs_handler,
     .handler = &T::menutrimClick,
     .when = When::document,
     .grid_edit = true},

    {.menu = &T::menuparam,
     .menu_name = "menuparam",
     .caption = "Parameter Setting(&P)...",
     .button = &T::btnparam,
     .button_name = "btnparam",
     .hint = "Parameter Setting",
     .image = "param",
     .handler = &T::menuparamClick,
     .when = When::document},
    {.button = &T::btngraph,
     .button_name = "btngraph",
     .hint = "Graph",
     .image = "graph",
     .handler = &T::btngraphClick,
     .when = When::document},

    {.menu = &T::menuread,
     .menu_name = "menuread",
     .caption = "Load All Data(&R)",
     .button = &T::btnread,
     .button_name = "btnread",
     .hint = "Load All Data",
     .image = "read",
     .handler = &T::menureadClick,
     .when = When::always},
    {.menu = &T::menupread,
     .menu_name = "menupread",
     .caption = "Load Parameter(&T)",
     .handler = &T::menupreadClick,
     .when = When::document},
    {.menu = &T::menuwrite,
     .menu_name = "menuwrite",
     .caption = "Send All Data(&W)",
     .button = &T::btnwrite,
     .button_name = "btnwrite",
     .hint = "Send All Data",
     .image = "write",
     .handler = &T::menuwriteClick,
     .when = When::document},
    {.menu = &T::menupwrite,
     .menu_name = "menupwrite",
     .caption = "Send Parameter(&Y)",
     .handler = &T::menupwriteClick,
     .when = When::document},
    {.menu = &T::mproon, .menu_name = "mproon", .caption = "O&N", .handler = &T::mproonClick},
    {.menu = &T::mprooff, .menu_name = "mprooff", .caption = "O&FF", .handler = &T::mprooffClick},
    {.menu = &T::mproreset,
     .menu_name = "mproreset",
     .caption = "&All Reset",
     .handler = &T::mproresetClick,
     .when = When::always},

    {.menu = &T::menuother,
     .menu_name = "menuother",
     .caption = "View Comparison File(&O)...",
     .checkable = true,
     .handler = &T::menuotherClick,
     .when = When::document},
    {.menu = &T::menuopaste,
     .menu_name = "menuopaste",
     .caption = "Paste Comparison File(&P)",
     .handler = &T::menuopasteClick,
     .when = When::comparison,
     .grid_edit = true},
    {.menu = &T::menuloglink,
     .menu_name = "menuloglink",
     .caption = "Log Link(&L)",
     .checkable = true,
     .handler = &T::menuloglinkClick,
     .when = When::log_link},
    {.menu = &T::menuotherlog,
     .menu_name = "menuotherlog",
     .caption = "Comparison Lo&g",
     .handler = &T::menuotherlogClick},

    {.button = &T::btnlink,
     .button_name = "btnlink",
     .hint = "Link",
     .image = "link",
     .toggle = true,
     .handler = &T::btnlinkClick,
     .when = When::link_ready},
    {.button = &T::btnmnt,
     .button_name = "btnmnt",
     .hint = "Data Monitor",
     .image = "monitor",
     .handler = &T::btnmntClick,
     .when = When::live},
    {.button = &T::btnlocus,
     .button_name = "btnlocus",
     .hint = "Trace",
     .image = "trace",
     .toggle = true,
     .handler = &T::btnlocusClick,
     .when = When::live},
    {.button = &T::btnatsel,
     .button_name = "btnatsel",
     .hint = "Cursor Trace",
     .image = "cursortrace",
     .toggle = true,
     .handler = &T::btnatselClick,
     .when = When::live},
    {.button = &T::btnlog,
     .button_name = "btnlog",
     .hint = "Data Log",
     .image = "log",
     .handler = &T::btnlogClick},

    {.menu = &T::menuhtile,
     .menu_name = "menuhtile",
     .caption = "Arrange Horizontal(&H)",
     .handler = &T::menuhtileClick},
    {.menu = &T::menuvtile,
     .menu_name = "menuvtile",
     .caption = "Arrange Vertical(&V)",
     .handler = &T::menuvtileClick},
    {.menu = &T::menucascade,
     .menu_name = "menucascade",
     .caption = "Arrange Tiled(&C)",
     .handler = &T::menucascadeClick},
    {.menu = &T::menuminmize,
     .menu_name = "menuminmize",
     .caption = "Minimum View(&M)",
     .handler = &T::menuminmizeClick},
    {.menu = &T::WindowArrangeItem,
     .menu_name = "WindowArrangeItem",
     .caption = "Arrange Icon(&A)",
     .handler = &T::WindowArrangeItemClick},
    {.menu = &T::menuContents,
     .menu_name = "menuContents",
     .caption = "Pavex Dravlo Ver1.1 Help(&C)",
     .handler = &T::menuContentsClick},
    {.menu = &T::menuvsn,
     .menu_name = "menuvsn",
     .caption = "About(&A)...",
     .handler = &T::menuvsnClick},
};

// The choices of the View and Option menus; an item's tag is its place in the group, from 1.
struct RadioGroup {
    std::span<QAction*> (*items)(Tmain&);
    const char* prefix;
    std::vector<const char*> captions;
    void (Tmain::*handler)(int);
    int initial;  // tag checked until the settings choose
};

const RadioGroup kRadioGroups[] = {
    {[](Tmain& m) { return std::span<QAction*>(m.mc); },
     "mc",
     {"1(Minimum)", "2", "3", "4", "5(Maximum)"},
     &T::mc1Click,
     3},
    {[](Tmain& m) { return std::span<QAction*>(m.mcom); },
     "mcom",
     {"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8", "COM9", "COM10", "COM11",
      "COM12", "COM13", "COM14", "COM15"},
     &T::mcom1Click,
     1},
    {[](Tmain& m) { return std::span<QAction*>(m.ml); },
     "ml",
     {"Trace ON", "Long", "Medium", "Short", "Moment"},
     &T::ml1Click,
     3},
    {[](Tmain& m) { return std::span<QAction*>(m.mtr); }, "mtr", {"1", "4"}, &T::mtr1Click, 2},
};

QIcon icon(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
}

}  // namespace

std::span<const Command> command_table() {
    return kCommands;
}

bool command_allowed(When when, bool doc) {
    switch (when) {
        case When::unmanaged:
        case When::always:
            return true;
        case When::document:
            return doc;
        case When::saveable:
            return doc && state.doc_named && state.doc_modified;
        case When::paste:
            return doc && state.clip_has_text;
        case When::link_ready:
            return state.link_ready != 0;
        case When::live:
            return doc && state.link_on;
        case When::comparison:
            return doc && state.compare_loaded;
        case When::log_link:
            return doc && state.log_open;
    }
    return false;
}

void Tmain::build_actions() {
    for (const Command& c : kCommands) {
        auto run = [this, handler = c.handler] { (this->*handler)(); };
        QIcon image = c.image ? icon(c.image) : QIcon();
        if (c.menu) {
            auto* a = new QAction(QString::fromLatin1(c.caption), this);
            a->setObjectName(QLatin1String(c.menu_name));
            if (c.shortcut) a->setShortcut(QKeySequence(QLatin1String(c.shortcut)));
            if (c.menu_icon) a->setIcon(image);
            a->setCheckable(c.checkable);
            connect(a, &QAction::triggered, this, run);
            this->*c.menu = a;
        }
        if (c.button) {
            auto* b = new QAction(image, QString::fromLatin1(c.hint), this);
            b->setObjectName(QLatin1String(c.button_name));
            b->setToolTip(QString::fromLatin1(c.hint));
            b->setCheckable(c.toggle);
            connect(b, &QAction::triggered, this, run);
            this->*c.button = b;
        }
    }
    menuundo->setEnabled(false);

    for (const RadioGroup& g : kRadioGroups) {
        auto* group = new QActionGroup(this);
        group->setExclusive(true);
        std::span<QAction*> items = g.items(*this);
        for (size_t i = 0; i < items.size(); ++i) {
            const int tag = static_cast<int>(i) + 1;
            items[i] = new QAction(QString::fromLatin1(g.captions[i]), group);
            items[i]->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(g.prefix)).arg(tag));
            items[i]->setCheckable(true);
            connect(items[i], &QAction::triggered, this,
                    [this, handler = g.handler, tag] { (this->*handler)(tag); });
        }
        items[static_cast<size_t>(g.initial - 1)]->setChecked(true);
    }
}

void Tmain::build_popup() {
    pmmap = new QMenu(this);
    pmmap->setObjectName(QStringLiteral("pmmap"));
    for (const Command& c : kCommands) {
        if (c.twin == Twin::none) continue;
        QAction* of = this->*c.menu;
        auto* a = new QAction(of->icon(), of->text(), this);
        a->setObjectName(QLatin1String(c.popup_name));
        if (c.twin == Twin::follows_item) {
            connect(a, &QAction::triggered, of, &QAction::trigger);
            a->setEnabled(false);
        } else {
            connect(a, &QAction::triggered, this,
                    [this, handler = c.handler] { (this->*handler)(); });
        }
        this->*c.popup = a;
    }
    pmmap->addAction(pmundo);
    pmmap->addSeparator();
    pmmap->addActions({pmcut, pmcopy, pmpaste});
    pmmap->addSeparator();
    pmmap->addActions({pmconst, pmrate, pmtrim});
}

// The menu item, the tool button and a pop-up twin that follows the item.
void Tmain::enable_command(const Command& c, bool on) {
    if (c.menu) (this->*c.menu)->setEnabled(on);
    if (c.button) (this->*c.button)->setEnabled(on);
    if (c.twin == Twin::follows_item) (this->*c.popup)->setEnabled(on);
}

void Tmain::RefreshCommands() {
    const bool doc = state.doc_open != 0;
    for (const Command& c : kCommands)
        if (c.when != When::unmanaged) enable_command(c, command_allowed(c.when, doc));
    // A table the axis mode does not use is shown in a disabled grid: no edit command may
    // reach it, whatever brought the commands back (activation, a list click).
    if (map_ && !map_->grid_enabled()) EnableEditCommands(false);
    menu_comm_->setEnabled(true);
}

void Tmain::EnableEditCommands(bool on) {
    for (const Command& c : kCommands)
        if (c.grid_edit) enable_command(c, command_allowed(c.when, on));
}

}  // namespace pv
