// The main window's menus, tool bar, grid pop-up menu and status bar, with the captions,
// hints and shortcuts of the window's design.
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/shell/main.h"
#include "app/shell/qt_prompter.h"
#include "core/ui/texts.h"

namespace pv {

// Panel 0 of the status bar: drawn by the program on every repaint.
class StatusPanel0 : public QFrame {
  public:
    explicit StatusPanel0(QWidget* parent) : QFrame(parent) {
        setObjectName(QStringLiteral("statusbar_panel0"));
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        setFixedWidth(50);
    }

  protected:
    void paintEvent(QPaintEvent* e) override {
        QFrame::paintEvent(e);
        Panel0Look look = status_panel0_look();
        QPainter p(this);
        QRect r = contentsRect();
        if (look.fill == Panel0Look::Blue) p.fillRect(r, QColor(0, 0, 255));
        if (look.fill == Panel0Look::Green) p.fillRect(r, QColor(0, 128, 0));
        if (look.text.empty()) return;
        p.setPen(Qt::white);
        QFont f = font();
        p.setFont(f);
        p.drawText(r.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                   ui_text(look.text));
    }
};

namespace {

QIcon icon(const char* name) {
    return QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name)));
}

}  // namespace

void Tmain::build_actions() {
    auto make = [this](QAction*& a, const char* name, const char* caption) {
        a = new QAction(QString::fromLatin1(caption), this);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    make(menunew, "menunew", "New File(&N)...")
        ->setShortcut(QKeySequence(QStringLiteral("Ctrl+N")));
    make(menuopen, "menuopen", "Open(&O)...")->setShortcut(QKeySequence(QStringLiteral("Ctrl+O")));
    make(menusave, "menusave", "Save(&S)")->setShortcut(QKeySequence(QStringLiteral("Ctrl+S")));
    make(menusaveas, "menusaveas", "Save As(&A)...");
    make(menuprint, "menuprint", "Print(&P)...");
    make(menuexit, "menuexit", "Exit(&X)");
    make(menuundo, "menuundo", "Undo(&U)");
    make(menucut, "menucut", "Cut(&T)")->setShortcut(QKeySequence(QStringLiteral("Ctrl+X")));
    make(menucopy, "menucopy", "Copy(&C)")->setShortcut(QKeySequence(QStringLiteral("Ctrl+C")));
    make(menupaste, "menupaste", "Paste(&P)")->setShortcut(QKeySequence(QStringLiteral("Ctrl+V")));
    make(menuconst, "menuconst", "Constant Trim(&A)");
    make(menurate, "menurate", "Multiplier Trim(&R)");
    make(menutrim, "menutrim", "Equal Divide(&D)");
    make(menuparam, "menuparam", "Parameter Setting(&P)...");
    make(menuread, "menuread", "Load All Data(&R)");
    make(menupread, "menupread", "Load Parameter(&T)");
    make(menuwrite, "menuwrite", "Send All Data(&W)");
    make(menupwrite, "menupwrite", "Send Parameter(&Y)");
    make(mproon, "mproon", "ON");
    make(mprooff, "mprooff", "OFF");
    make(mproreset, "mproreset", "All Reset");
    make(menuother, "menuother", "View Comparison File(&O)...");
    make(menuopaste, "menuopaste", "Paste Comparison File(&P)");
    make(menuloglink, "menuloglink", "Log Link(&L)");
    make(menuotherlog, "menuotherlog", "Comparison Log");
    make(menuhtile, "menuhtile", "Arrange Horizontal(&H)");
    make(menuvtile, "menuvtile", "Arrange Vertical(&V)");
    make(menucascade, "menucascade", "Arrange Tiled(&C)");
    make(menuminmize, "menuminmize", "Minimum View(&M)");
    make(WindowArrangeItem, "WindowArrangeItem", "Arrange Icon(&A)");
    make(menuContents, "menuContents", "Pavex Dravlo Ver1.1 Help(&C)");
    make(menuvsn, "menuvsn", "About(&A)...");
    menuother->setCheckable(true);
    menuundo->setEnabled(false);

    // Radio groups: the item's tag is its place in the group, from 1.
    auto radio = [this](auto& items, const char* prefix, const std::vector<const char*>& captions,
                        void (Tmain::*handler)(int)) {
        auto* group = new QActionGroup(this);
        group->setExclusive(true);
        for (size_t i = 0; i < items.size(); ++i) {
            int tag = static_cast<int>(i) + 1;
            items[i] = new QAction(QString::fromLatin1(captions[i]), group);
            items[i]->setObjectName(QStringLiteral("%1%2").arg(QLatin1String(prefix)).arg(tag));
            items[i]->setCheckable(true);
            connect(items[i], &QAction::triggered, this,
                    [this, handler, tag] { (this->*handler)(tag); });
        }
    };
    radio(mc, "mc", {"1(Minimum)", "2", "3", "4", "5(Maximum)"}, &Tmain::mc1Click);
    std::vector<const char*> coms;
    static const char* com_names[] = {"COM1",  "COM2",  "COM3",  "COM4",  "COM5",
                                      "COM6",  "COM7",  "COM8",  "COM9",  "COM10",
                                      "COM11", "COM12", "COM13", "COM14", "COM15"};
    coms.assign(std::begin(com_names), std::end(com_names));
    radio(mcom, "mcom", coms, &Tmain::mcom1Click);
    radio(ml, "ml", {"Trace ON", "Long", "Medium", "Short", "Moment"}, &Tmain::ml1Click);
    radio(mtr, "mtr", {"1", "4"}, &Tmain::mtr1Click);
    mc[2]->setChecked(true);
    mcom[0]->setChecked(true);
    ml[2]->setChecked(true);
    mtr[1]->setChecked(true);

    struct Button {
        QAction** action;
        const char* name;
        const char* hint;
        const char* image;
        bool toggle;
    };
    const Button buttons[] = {
        {&btnnew, "btnnew", "New File", "new", false},
        {&btnopen, "btnopen", "Open", "open", false},
        {&btnsave, "btnsave", "Save", "save", false},
        {&btnprint, "btnprint", "Print", "print", false},
        {&btncut, "btncut", "Cut", "cut", false},
        {&btncopy, "btncopy", "Copy", "copy", false},
        {&btnpaste, "btnpaste", "Paste", "paste", false},
        {&btnconst, "btnconst", "Constant Trim", "const", false},
        {&btnrate, "btnrate", "Multiplier Trim", "rate", false},
        {&btntrim, "btntrim", "Equal Divide", "trim", false},
        {&btnparam, "btnparam", "Parameter Setting", "param", false},
        {&btngraph, "btngraph", "Graph", "graph", false},
        {&btnread, "btnread", "Load All Data", "read", false},
        {&btnwrite, "btnwrite", "Send All Data", "write", false},
        {&btnlink, "btnlink", "Link", "link", true},
        {&btnmnt, "btnmnt", "Data Monitor", "monitor", false},
        {&btnlocus, "btnlocus", "Trace", "trace", true},
        {&btnatsel, "btnatsel", "Cursor Trace", "cursortrace", true},
        {&btnlog, "btnlog", "Data Log", "log", false},
    };
    for (const auto& b : buttons) {
        *b.action = new QAction(icon(b.image), QString::fromLatin1(b.hint), this);
        (*b.action)->setObjectName(QLatin1String(b.name));
        (*b.action)->setToolTip(QString::fromLatin1(b.hint));
        (*b.action)->setCheckable(b.toggle);
    }
    menunew->setIcon(icon("new"));
    menuopen->setIcon(icon("open"));
    menusave->setIcon(icon("save"));
    menuprint->setIcon(icon("print"));
    menucut->setIcon(icon("cut"));
    menucopy->setIcon(icon("copy"));
    menupaste->setIcon(icon("paste"));

    auto on = [this](QAction* a, void (Tmain::*handler)()) {
        connect(a, &QAction::triggered, this, [this, handler] { (this->*handler)(); });
    };
    on(menunew, &Tmain::menunewClick);
    on(btnnew, &Tmain::menunewClick);
    on(menuopen, &Tmain::menuopenClick);
    on(btnopen, &Tmain::menuopenClick);
    on(menusave, &Tmain::menusaveClick);
    on(btnsave, &Tmain::menusaveClick);
    on(menusaveas, &Tmain::menusaveasClick);
    on(menuprint, &Tmain::menuprintClick);
    on(btnprint, &Tmain::menuprintClick);
    on(menuexit, &Tmain::menuexitClick);
    on(menuundo, &Tmain::menuundoClick);
    on(menucut, &Tmain::menucutClick);
    on(btncut, &Tmain::menucutClick);
    on(menucopy, &Tmain::menucopyClick);
    on(btncopy, &Tmain::menucopyClick);
    on(menupaste, &Tmain::menupasteClick);
    on(btnpaste, &Tmain::menupasteClick);
    on(menuconst, &Tmain::menuconstClick);
    on(btnconst, &Tmain::menuconstClick);
    on(menurate, &Tmain::menurateClick);
    on(btnrate, &Tmain::menurateClick);
    on(menutrim, &Tmain::menutrimClick);
    on(btntrim, &Tmain::menutrimClick);
    on(menuparam, &Tmain::menuparamClick);
    on(btnparam, &Tmain::menuparamClick);
    on(btngraph, &Tmain::btngraphClick);
    on(menuread, &Tmain::menureadClick);
    on(btnread, &Tmain::menureadClick);
    on(menupread, &Tmain::menupreadClick);
    on(menuwrite, &Tmain::menuwriteClick);
    on(btnwrite, &Tmain::menuwriteClick);
    on(menupwrite, &Tmain::menupwriteClick);
    on(mproon, &Tmain::mproonClick);
    on(mprooff, &Tmain::mprooffClick);
    on(mproreset, &Tmain::mproresetClick);
    on(menuother, &Tmain::menuotherClick);
    on(menuopaste, &Tmain::menuopasteClick);
    on(menuloglink, &Tmain::menuloglinkClick);
    on(menuotherlog, &Tmain::menuotherlogClick);
    on(btnlink, &Tmain::btnlinkClick);
    on(btnmnt, &Tmain::btnmntClick);
    on(btnlocus, &Tmain::btnlocusClick);
    on(btnatsel, &Tmain::btnatselClick);
    on(btnlog, &Tmain::btnlogClick);
    on(menuContents, &Tmain::menuContentsClick);
    on(menuvsn, &Tmain::menuvsnClick);
    connect(menuhtile, &QAction::triggered, this, [this] { arrange(Qt::Horizontal); });
    connect(menuvtile, &QAction::triggered, this, [this] { arrange(Qt::Vertical); });
    connect(menucascade, &QAction::triggered, this, [this] { mdi_->cascadeSubWindows(); });
    connect(menuminmize, &QAction::triggered, this, [this] {
        for (auto* w : mdi_->subWindowList()) w->showMinimized();
    });
    connect(WindowArrangeItem, &QAction::triggered, this, [this] { arrange_icons(); });
}

void Tmain::build_menus() {
    QMenuBar* bar = menuBar();
    QMenu* file = bar->addMenu(QStringLiteral("File(&F)"));
    file->addActions({menunew, menuopen, menusave, menusaveas});
    file->addSeparator();
    file->addAction(menuprint);
    file->addSeparator();
    file->addAction(menuexit);

    QMenu* edit = bar->addMenu(QStringLiteral("Edit(&E)"));
    edit->addAction(menuundo);
    edit->addSeparator();
    edit->addActions({menucut, menucopy, menupaste});
    edit->addSeparator();
    edit->addActions({menuconst, menurate, menutrim});

    QMenu* setting = bar->addMenu(QStringLiteral("Setting(&S)"));
    setting->addAction(menuparam);

    QMenu* view = bar->addMenu(QStringLiteral("View(&V)"));
    QMenu* viewmap = view->addMenu(QStringLiteral("Map"));
    for (QAction* a : mc) viewmap->addAction(a);

    menu_comm_ = bar->addMenu(QStringLiteral("Communication(&N)"));
    menu_comm_->addActions({menuread, menupread});
    menu_comm_->addSeparator();
    menu_comm_->addActions({menuwrite, menupwrite});
    menu_comm_->addSeparator();
    QMenu* lock = menu_comm_->addMenu(QStringLiteral("Data Lock"));
    lock->addActions({mproon, mprooff});
    menu_comm_->addAction(mproreset);

    QMenu* option = bar->addMenu(QStringLiteral("Option(&O)"));
    option->addActions({menuother, menuopaste});
    option->addSeparator();
    option->addAction(menuloglink);
    option->addSeparator();
    menu_com_ = option->addMenu(QStringLiteral("COM Port"));
    for (QAction* a : mcom) menu_com_->addAction(a);
    connect(menu_com_, &QMenu::aboutToShow, this, [this] { refresh_com_captions(); });
    QMenu* trace = option->addMenu(QStringLiteral("Trace"));
    for (QAction* a : ml) trace->addAction(a);
    QMenu* cursor = option->addMenu(QStringLiteral("Cursor Trace"));
    for (QAction* a : mtr) cursor->addAction(a);
    option->addSeparator();
    option->addAction(menuotherlog);

    menu_window_ = bar->addMenu(QStringLiteral("Window(&W)"));
    connect(menu_window_, &QMenu::aboutToShow, this, [this] { fill_window_menu(); });
    fill_window_menu();

    QMenu* help = bar->addMenu(QStringLiteral("Help(&H)"));
    help->addAction(menuContents);
    help->addSeparator();
    help->addAction(menuvsn);
}

void Tmain::build_toolbar() {
    toolbar_ = new QToolBar(QStringLiteral("Panel1"), Panel1);
    toolbar_->setObjectName(QStringLiteral("Panel1_buttons"));
    toolbar_->setIconSize(QSize(24, 24));
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    const std::vector<std::vector<QAction*>> groups = {
        {btnnew, btnopen, btnsave, btnprint},
        {btncut, btncopy, btnpaste, btnconst, btnrate, btntrim},
        {btnparam, btngraph},
        {btnread, btnwrite},
        {btnlink, btnmnt, btnlocus, btnatsel, btnlog},
    };
    for (size_t g = 0; g < groups.size(); ++g) {
        if (g) toolbar_->addSeparator();
        for (QAction* a : groups[g]) toolbar_->addAction(a);
    }
    img_tebriklogo = new QLabel(Panel1);
    img_tebriklogo->setObjectName(QStringLiteral("img_tebriklogo"));
    img_tebriklogo->setPixmap(QPixmap(QStringLiteral(":/images/logo.png")));
    img_tebriklogo->setToolTip(
        QStringLiteral("Double click to connect to the internet and open Tebrik homepage."));
    img_tebriklogo->installEventFilter(this);

    auto* row = new QHBoxLayout(Panel1);
    row->setContentsMargins(2, 1, 6, 1);
    row->addWidget(toolbar_);
    row->addStretch(1);
    row->addWidget(img_tebriklogo);
}

void Tmain::build_popup() {
    pmmap = new QMenu(this);
    pmmap->setObjectName(QStringLiteral("pmmap"));
    auto twin = [this](QAction*& a, const char* name, QAction* of) {
        a = new QAction(of->icon(), of->text(), this);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, of, &QAction::trigger);
        return a;
    };
    pmmap->addAction(twin(pmundo, "pmundo", menuundo));
    pmmap->addSeparator();
    pmmap->addAction(twin(pmcut, "pmcut", menucut));
    pmmap->addAction(twin(pmcopy, "pmcopy", menucopy));
    pmmap->addAction(twin(pmpaste, "pmpaste", menupaste));
    pmmap->addSeparator();
    pmmap->addAction(twin(pmconst, "pmconst", menuconst));
    pmmap->addAction(twin(pmrate, "pmrate", menurate));
    pmmap->addAction(twin(pmtrim, "pmtrim", menutrim));
    // The twins run the menu's handler even while the menu item itself is disabled.
    for (QAction* a : {pmcut, pmcopy, pmconst, pmrate, pmtrim}) {
        disconnect(a, &QAction::triggered, nullptr, nullptr);
    }
    connect(pmcut, &QAction::triggered, this, &Tmain::menucutClick);
    connect(pmcopy, &QAction::triggered, this, &Tmain::menucopyClick);
    connect(pmconst, &QAction::triggered, this, &Tmain::menuconstClick);
    connect(pmrate, &QAction::triggered, this, &Tmain::menurateClick);
    connect(pmtrim, &QAction::triggered, this, &Tmain::menutrimClick);
    pmundo->setEnabled(false);
    pmpaste->setEnabled(false);
}

void Tmain::build_status_bar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusbar"));
    bar->setSizeGripEnabled(true);
    panel0_ = new StatusPanel0(bar);
    bar->addWidget(panel0_);
    const int widths[] = {0, 24 * fontMetrics().horizontalAdvance(QLatin1Char('B')), 250, 50};
    for (int i = 1; i <= 3; ++i) {
        auto* l = new QLabel(bar);
        l->setObjectName(QStringLiteral("statusbar_panel%1").arg(i));
        l->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        l->setMinimumWidth(widths[i]);
        if (i < 3) l->setFixedWidth(widths[i]);
        panels_[static_cast<size_t>(i)] = l;
        bar->addWidget(l, i == 3 ? 1 : 0);
    }
}

}  // namespace pv
