#include "app/shell/main.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "app/common/qt_prompter.h"
#include "app/common/spoken.h"
#include "app/mapedit/graph.h"
#include "app/mapedit/map.h"
#include "app/shell/dialogs.h"
#include "core/document/datafile.h"
#include "core/document/file_name.h"
#include "core/document/unit.h"
#include "core/ui/clock.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"
#include "platform/desktop.h"
#include "platform/program_folder.h"
#include "platform/serial_port.h"

namespace pv {
namespace {

// Settings text in the language's code page; UTF-8 written by a newer run is taken as is.
bool valid_utf8_beyond_ascii(const std::string& s) {
    bool beyond = false;
    for (size_t i = 0; i < s.size();) {
        auto c = static_cast<unsigned char>(s[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        beyond = beyond || len > 1;
        i += len;
    }
    return beyond;
}

SettingsTextCodec settings_codec() {
    SettingsTextCodec c;
    c.to_utf8 = [](const std::string& bytes) {
        return valid_utf8_beyond_ascii(bytes) ? bytes : codepage_to_utf8(bytes, settings.lang_id);
    };
    // A folder name the code page cannot hold is kept in UTF-8 rather than mangled.
    c.from_utf8 = [](const std::string& text) {
        return utf8_to_codepage(text, settings.lang_id).value_or(text);
    };
    return c;
}

}  // namespace

std::string ShellPaths::first_settings_file() const {
    return resources() + "/pvedit.INI";
}

std::string ShellPaths::settings_file() const {
    std::string name = settings_file_of(program_path);
    size_t slash = name.find_last_of('/');
    return (config_dir.empty() ? data_dir : config_dir) + "/" +
           (slash == std::string::npos ? name : name.substr(slash + 1));
}

Panel0Look status_panel0_look() {
    Panel0Look look;
    if (state.link_on) {
        look.fill = Panel0Look::Blue;
    } else if (state.monitor_open) {
        look.fill = Panel0Look::Green;
        look.text = msg_text(state.monitor_log_mode == 1 ? 3 : 4);
    } else if (state.log_link) {
        look.fill = Panel0Look::Green;
    }
    // The second layer is drawn over the monitor's label, so its text wins where it has one.
    if (state.comm_state != 0) {
        switch (state.comm_state) {
            case 1:
                look.text = "LOAD...";
                break;
            case 2:
                look.text = "SEND...";
                break;
            case 3:
                look.text = "CHECK..";
                break;
            default:
                look.text = "LOCK...";
                break;
        }
    } else if (state.log_link) {
        look.text = msg_text(5);
    } else if (state.link_on) {
        look.text = msg_text(6);
    }
    return look;
}

Tmain::Tmain(ShellPaths paths, ShellDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), paths_(std::move(paths)), dialogs_(dialogs) {
    install_transfer_views();
    install_parameter_printout(true);
    views_.add(static_cast<LiveViews*>(this));
    FrontEnd views;
    views.shell = this;
    views.flow = this;
    views.progress = transfers_.get();
    install_front_end(views_.as_front_end(views));
    open_external = open_with_default_program;
    setObjectName(QStringLiteral("main"));
    setWindowTitle(QStringLiteral("Pavex Dravlo"));
    setWindowIcon(QIcon(QStringLiteral(":/images/pvedit.png")));
    setMinimumWidth(870);
    resize(900, 640);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* strip = new QLabel(central);
    strip->setObjectName(QStringLiteral("imgstrip"));
    strip->setPixmap(QPixmap(QStringLiteral(":/images/strip.png")));
    strip->setScaledContents(true);
    strip->setFixedHeight(8);
    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    mdi_ = new QMdiArea(central);
    mdi_->setObjectName(QStringLiteral("mdi"));
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setBackground(QColor(128, 128, 128));
    column->addWidget(strip);
    column->addWidget(Panel1);
    auto* rule = new QFrame(central);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    column->addWidget(rule);
    column->addWidget(mdi_, 1);
    setCentralWidget(central);

    build_actions();
    build_menus();
    build_toolbar();
    build_popup();
    build_status_bar();

    linktimer = new QTimer(this);
    linktimer->setObjectName(QStringLiteral("linktimer"));
    linktimer->setInterval(15);
    connect(linktimer, &QTimer::timeout, this, &Tmain::linktimerTimer);

    RefreshCommands();
}

Tmap* Tmain::map_window() const {
    return map_;
}

Tmain::~Tmain() {
    install_parameter_printout(false);
    install_front_end({});
}

// A stored position or size that no longer fits (another screen, or an edited file) is
// brought back onto the available screen; an oversized window would cost memory on every
// repaint and be written back at close, so each later start would repeat it.
QRect Tmain::within_screen(QRect g) const {
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return g;
    const QRect avail = s->availableGeometry();
    g.setWidth(std::max(std::min(g.width(), avail.width()), minimumWidth()));
    g.setHeight(std::max(std::min(g.height(), avail.height()), minimumHeight()));
    g.moveLeft(
        std::clamp(g.left(), avail.left(), std::max(avail.left(), avail.right() + 1 - g.width())));
    g.moveTop(
        std::clamp(g.top(), avail.top(), std::max(avail.top(), avail.bottom() + 1 - g.height())));
    return g;
}

void Tmain::FormCreate(uint32_t splash_start_tick) {
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState s) {
        if (s == Qt::ApplicationActive) ActiveHandle();
    });
    settings.help_file_j = paths_.resources() + "/pveditJ.html";
    settings.help_file_e = paths_.resources() + "/pveditE.html";
    settings.data_folder = paths_.data_dir;
    InitState();

    // The first settings file shipped with the program stands in for a missing one; the
    // program then writes the user's own at close.
    IniFile ini;
    if (!ini.load(paths_.settings_file())) ini.load(paths_.first_settings_file());
    read_settings(ini, paths_.program_dir, shell_, settings_codec());
    if (!shell_.maximized) {
        QRect g = geometry();
        if (shell_.left > 0) g.moveLeft(shell_.left);
        if (shell_.top > 0) g.moveTop(shell_.top);
        if (shell_.width > 0) g.setWidth(std::max(shell_.width, minimumWidth()));
        if (shell_.height > 0) g.setHeight(shell_.height);
        g = within_screen(g);
        move(g.topLeft());
        resize(g.size());
    } else {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
    // Each stored choice goes through its menu item, as a click would.
    mc1Click(settings.map_font_size);
    make_port_watch();
    mcom1Click(settings.com_port);
    ml1Click(settings.trace_length);
    mtr1Click(settings.auto_select);
    refresh_com_captions();
    opendlg_filename_ = shell_.pvd_dir + "/*.PVD";
    savedlg_filename_ = opendlg_filename_;

    panels_[1]->setFixedWidth(24 * panels_[1]->fontMetrics().horizontalAdvance(QLatin1Char('B')));

    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setPageOrientation(QPageLayout::Landscape);
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setOutputFileName(QString::fromStdString(paths_.data_dir + "/pvedit.pdf"));
    }

    // An installed program's package ships its desktop entry and file types.
    if (paths_.resources() == paths_.program_dir)
        write_file_associations(paths_.program_path, paths_.resources() + "/pvedit.png",
                                ui_text(text(Catalog::Reg, 1)).toStdString(),
                                ui_text(text(Catalog::Reg, 2)).toStdString());

    // The splash stays up for at least a second; it has been painted already.
    while (clock().tick_count() - splash_start_tick < 1000) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        clock().pause();
    }
}

void Tmain::FormShow(const std::vector<std::string>& args) {
    if (args.size() < 2 || !file_exists(args[1])) return;
    const std::string& file = args[1];
    if (has_extension(file, ".PVD")) {
        open_document(file);
    } else if (has_extension(file, ".PVL") && !state.log_open) {
        state.last_log_file = file;
        settings.log_dir = folder_of(file);
        open_log_window(file);
    }
}

void Tmain::ActiveHandle() {
    const QClipboard* clip = QGuiApplication::clipboard();
    state.clip_has_text = clip && !clip->text().isEmpty() ? 1 : 0;
    RefreshCommands();
}

void Tmain::MakeMap() {
    map_ = new Tmap(this, this);
    views_.add(map_.data());
    // A new map window starts with the trace and Cursor Trace off.
    btnlocus->setChecked(false);
    btnatsel->setChecked(false);
    mdi_->addSubWindow(map_);
    map_->show();
    RefreshCommands();
    if (!state.doc_open) return;
    map_->fill_groups();
    mc1Click(map_font_item(settings.map_font_size));
}

void Tmain::SetGridEnabled(bool on) {
    // The map grid and the graph's lists and drawing.
    if (map_)
        views_.set_grid_enabled(on);
    else
        EnableEditCommands(on);
}

void Tmain::set_status_text(int panel, const QString& t) {
    if (panel >= 1 && panel <= 3) panels_[static_cast<size_t>(panel)]->setText(t);
}

QString Tmain::status_text(int panel) const {
    return panel >= 1 && panel <= 3 ? panels_[static_cast<size_t>(panel)]->text() : QString();
}

QWidget* Tmain::status_panel(int panel) const {
    if (panel == 0) return panel0_;
    return panel >= 1 && panel <= 3 ? panels_[static_cast<size_t>(panel)] : nullptr;
}

QAction* Tmain::action(const QString& name) const {
    return findChild<QAction*>(name);
}

void Tmain::repaint_status_bar() {
    panel0_->update();
    texts_changed(panel0_);
}

void Tmain::set_undo_enabled(bool enabled) {
    menuundo->setEnabled(enabled);
    pmundo->setEnabled(enabled);
}

void Tmain::set_save_enabled(bool enabled) {
    menusave->setEnabled(enabled);
    btnsave->setEnabled(enabled);
}

void Tmain::set_windows_busy(bool busy) {
    setEnabled(!busy);
    if (map_) map_->set_controls_enabled(!busy);
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        normal_cursor();
}

void Tmain::normal_cursor() {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

void Tmain::set_link_button(bool down) {
    btnlink->setChecked(down);
}

void Tmain::set_link_timer(uint32_t interval_ms) {
    link_timer_held_ = false;
    if (interval_ms == 0)
        linktimer->stop();
    else
        linktimer->start(static_cast<int>(interval_ms));
}

bool Tmain::hold_link_timer() {
    if (!linktimer->isActive()) return false;
    linktimer->stop();
    link_timer_held_ = true;
    return true;
}

bool Tmain::resume_link_timer(uint32_t next_tick_ms) {
    if (!link_timer_held_) return false;
    link_timer_held_ = false;
    // The first tick comes in the old step; linktimerTimer sets the interval again.
    linktimer->start(static_cast<int>(next_tick_ms));
    return true;
}

void Tmain::release_trace_buttons() {
    for (QAction* a : {btnlocus, btnatsel})
        if (a->isChecked()) a->trigger();
}

void Tmain::comparison_closed() {
    menuother->setChecked(false);
    menuopaste->setEnabled(false);
}

void Tmain::map_closed(Tmap* map) {
    // The graph shows the map window's table and goes with it.
    if (graph_) graph_->close();
    views_.remove(map);
    for (int i = 1; i <= 3; ++i) set_status_text(i, QString());
    menuother->setChecked(false);
    map_ = nullptr;
    RefreshCommands();
}

Tgraph* Tmain::graph_window() const {
    return graph_;
}

Selection Tmain::map_selection() const {
    return map_ ? map_->selection() : Selection{};
}

void Tmain::select_map_cells(const Selection& s) {
    if (map_) map_->select_cells(s);
}

bool Tmain::map_grid_enabled() const {
    return map_ && map_->grid_enabled();
}

void Tmain::graph_closed(Tgraph* graph) {
    views_.remove(graph);
    graph_ = nullptr;
}

void Tmain::closeEvent(QCloseEvent* event) {
    if (state.doc_open && !close_map_window()) {
        event->ignore();
        return;
    }
    if (settings_written_) {
        event->accept();
        return;
    }
    shell_.maximized = isMaximized();
    if (!shell_.maximized) {
        shell_.left = x();
        shell_.top = y();
        shell_.width = width();
        shell_.height = height();
    }
    shell_.pvd_dir = folder_of(opendlg_filename_);
    IniFile ini;
    ini.load(paths_.settings_file());
    write_settings(ini, shell_, settings_codec());
    ini.save(paths_.settings_file());
    settings_written_ = true;
    linktimer->stop();
    event->accept();
}

bool Tmain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == img_tebriklogo && event->type() == QEvent::MouseButtonDblClick) {
        img_tebriklogoDblClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tmain::fill_window_menu() {
    menu_window_->clear();
    menu_window_->addActions({menuhtile, menuvtile, menucascade, menuminmize, WindowArrangeItem});
    const auto windows = mdi_->subWindowList();
    if (windows.isEmpty()) return;
    menu_window_->addSeparator();
    int n = 0;
    for (QMdiSubWindow* w : windows) {
        QAction* a =
            menu_window_->addAction(QStringLiteral("&%1 %2").arg(++n).arg(w->windowTitle()));
        a->setCheckable(true);
        a->setChecked(w == mdi_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] { mdi_->setActiveSubWindow(w); });
    }
}

// Horizontal: the windows one above the other, each as wide as the frame; vertical: side by side.
void Tmain::arrange(Qt::Orientation orientation) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : mdi_->subWindowList())
        if (!w->isMinimized()) windows.append(w);
    if (windows.isEmpty()) return;
    QRect area = mdi_->viewport()->rect();
    const int n = static_cast<int>(windows.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = windows[i];
        w->showNormal();
        if (orientation == Qt::Horizontal) {
            int h = area.height() / n;
            w->setGeometry(0, i * h, area.width(), h);
        } else {
            int wd = area.width() / n;
            w->setGeometry(i * wd, 0, wd, area.height());
        }
    }
}

void Tmain::arrange_icons() {
    QRect area = mdi_->viewport()->rect();
    int x = 0;
    for (QMdiSubWindow* w : mdi_->subWindowList()) {
        if (!w->isMinimized()) continue;
        QSize s = w->size();
        if (x + s.width() > area.width()) x = 0;
        w->move(x, area.height() - s.height());
        x += s.width();
    }
}

}  // namespace pv
