// The main window's menus, tool bar and status bar. The commands themselves (captions,
// hints, shortcuts, images, handlers) come from the command table.
#include <QApplication>
#include <QFontMetrics>
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
#include <algorithm>

#include "app/common/qt_prompter.h"
#include "app/common/spoken.h"
#include "app/shell/button_menu.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/ui/texts.h"

namespace pv {

// Panel 0 of the status bar: drawn by the program on every repaint.
class StatusPanel0 : public QFrame {
  public:
    explicit StatusPanel0(QWidget* parent) : QFrame(parent) {
        setObjectName(QStringLiteral("statusbar_panel0"));
        setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
        // 50 pixels, or wider where the font needs it for the longest busy text.
        QFontMetrics fm(font());
        int text = 0;
        for (const char* t : {"CHECK..", "LOCK...", "LOAD...", "SEND..."})
            text = std::max(text, fm.horizontalAdvance(QString::fromLatin1(t)));
        setFixedWidth(std::max(50, text + 2 + 2 * frameWidth() + 4));
        // The panel's text as it reads, the link's own word kept when a transfer covers it.
        speak_text(this, QAccessible::StaticText, [] {
            const QString shown = ui_text(status_panel0_look().text).trimmed();
            const QString link = ui_text(msg_text(6)).trimmed();
            if (shown.isEmpty()) return QStringLiteral("Link off");
            return state.link_on && shown != link ? link + QStringLiteral(", ") + shown : shown;
        });
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
        // White only reads on the filled panel; on the bare panel the busy texts take the
        // normal text colour.
        p.setPen(look.fill == Panel0Look::None ? palette().color(QPalette::WindowText)
                                               : QColor(Qt::white));
        QFont f = font();
        p.setFont(f);
        p.drawText(r.adjusted(2, 1, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextDontClip,
                   ui_text(look.text));
    }
};

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
    QMenu* viewmap = view->addMenu(QStringLiteral("&Map"));
    for (QAction* a : mc) viewmap->addAction(a);
    build_overlay_menu(view);

    menu_comm_ = bar->addMenu(QStringLiteral("Communication(&N)"));
    menu_comm_->addActions({menuread, menupread});
    menu_comm_->addSeparator();
    menu_comm_->addActions({menuwrite, menupwrite});
    menu_comm_->addSeparator();
    QMenu* lock = menu_comm_->addMenu(QStringLiteral("Data &Lock"));
    lock->addActions({mproon, mprooff});
    menu_comm_->addAction(mproreset);
    add_button_items(this, setting, menu_comm_);

    QMenu* option = bar->addMenu(QStringLiteral("Option(&O)"));
    option->addActions({menuother, menuopaste});
    option->addSeparator();
    option->addAction(menuloglink);
    option->addSeparator();
    menu_com_ = option->addMenu(QStringLiteral("&COM Port"));
    for (QAction* a : mcom) menu_com_->addAction(a);
    connect(menu_com_, &QMenu::aboutToShow, this, [this] { refresh_com_captions(); });
    QMenu* trace = option->addMenu(QStringLiteral("&Trace"));
    for (QAction* a : ml) trace->addAction(a);
    QMenu* cursor = option->addMenu(QStringLiteral("C&ursor Trace"));
    for (QAction* a : mtr) cursor->addAction(a);
    option->addSeparator();
    option->addAction(menuotherlog);
    build_history_items(menu_comm_, option);

    menu_window_ = bar->addMenu(QStringLiteral("Window(&W)"));
    connect(menu_window_, &QMenu::aboutToShow, this, [this] { fill_window_menu(); });
    fill_window_menu();

    QMenu* help = bar->addMenu(QStringLiteral("Help(&H)"));
    help->addAction(menuContents);
    help->addSeparator();
    help->addAction(menuvsn);
}

// A click on a toggle button runs its command, which decides whether the button stays down.
// A screen reader's Toggle clicks it too, so the button never shows a state its command did
// not take.
void Tmain::run_command_on_any_toggle(QAction* a) {
    if (auto* b = qobject_cast<QToolButton*>(toolbar_->widgetForAction(a))) toggle_by_click(b);
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
        for (QAction* a : groups[g]) {
            toolbar_->addAction(a);
            if (a->isCheckable()) run_command_on_any_toggle(a);
        }
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
