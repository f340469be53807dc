// The main window's commands of monitoring and logging, and the host of the log windows:
// the data log opened from "Data Log" or the command line, Log Link, and what a log window
// asks of the program around it (file dialogs, the recording monitor, the map's cursor).
#include <QMdiArea>
#include <QPointer>

#include "app/common/modal.h"
#include "app/link/port_watch.h"
#include "app/logging/log.h"
#include "app/logging/lset.h"
#include "app/logging/mnt.h"
#include "app/mapedit/map.h"
#include "app/shell/dialogs.h"
#include "app/shell/main.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
#include "core/logging/monitor.h"
#include "core/mapedit/live_cursor.h"
#include "core/ui/hooks.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

// Lives as long as the main window (its Qt child) and keeps the log windows it made.
class LogCommands : public QObject, public LogWindowHost, public LogViews {
  public:
    explicit LogCommands(Tmain* main) : QObject(main), main_(*main) {
        setObjectName(QStringLiteral("logcommands"));
        main_.views().add(this);
    }
    ~LogCommands() override { main_.views().remove(this); }

    Tlog* window(const LogSide& side) const {
        return &side == &data_log_side ? data_log_.data() : other_log_.data();
    }

    // Brings the side's window to the front, or makes it.
    Tlog* open(const LogSide& side) {
        if (Tlog* w = window(side)) {
            main_.mdi_area()->setActiveSubWindow(w);
            return w;
        }
        auto* w = new Tlog(side, *this);
        // A sub-window made without a parent takes the style's generic icon, not the program's.
        w->setWindowIcon(main_.windowIcon());
        main_.mdi_area()->addSubWindow(w);
        (&side == &data_log_side ? data_log_ : other_log_) = w;
        w->show();
        main_.RefreshCommands();
        return w;
    }

    // Log Link on or off (menuloglinkClick, steps 2 and 3).
    void set_log_link(bool on) {
        state.log_link = on ? 1 : 0;
        if (main_.menuloglink) main_.menuloglink->setChecked(on);
        main_.repaint_status_bar();
        live_views().clear_cursor_hold();
        log_channels_changed();
        if (on) {
            for (Tlog* w : {data_log_.data(), other_log_.data()})
                if (w) w->log_link_changed();
        } else if (main_.map_window()) {
            document_views().repaint_map_grid();
        }
    }

    // LogWindowHost
    std::optional<std::string> open_log_file(QWidget* parent, const std::string& initial,
                                             uint32_t filter_text) override {
        if (!main_.dialogs()) return std::nullopt;
        return main_.dialogs()->open_log_file(parent, initial, text(Catalog::Log, filter_text));
    }
    std::optional<std::string> save_log_file(QWidget* parent, const std::string& initial) override {
        if (!main_.dialogs()) return std::nullopt;
        return main_.dialogs()->save_log_file(parent, initial, text(Catalog::Log, 10));
    }
    bool run_log_settings(QWidget* parent, const LogSide& side, const LogHeader& h) override {
        return Tlsetdlg::run(side, h, desktop_color_dialog, parent);
    }
    // The data monitor in its log mode (monitor_log_mode is set), modal until it closes.
    void run_recording_monitor(const std::function<void(QDialog*)>& started) override {
        auto* m = new Tmntdlg(&main_);
        main_.views().add(m);
        connect(m, &Tmntdlg::closed, this, [this, m] { main_.views().remove(m); });
        m->activate_font_item();
        started(m);
        run_modal(*m);
    }
    bool close_data_monitor() override {
        live_views().close_monitor();
        return state.monitor_open == 0;
    }
    void refresh_data_monitor() override { live_views().refresh_monitor(); }
    void log_cursor_moved(const LogSide& side) override {
        if (side.cursor == CursorLayer::live_cursor)
            live_views().update_live_cursor();
        else
            live_views().update_compare_cursor();
    }
    void log_channels_changed() override {
        if (Tmap* map = main_.map_window()) {
            cursors.cursor_enabled = log_cursor_allowed_on(grid.current_map) ? 1 : 0;
            map->overlay_logs_changed();
            map->repaint_grid();
        }
    }
    void recording_ended(RecordingEnd why) override {
        if (why == RecordingEnd::unit_silent && main_.port_watch())
            main_.port_watch()->show_notice(msg_text(225), false);
    }
    void log_window_closed(const LogSide& side) override {
        (&side == &data_log_side ? data_log_ : other_log_) = nullptr;
        if (Tmap* map = main_.map_window()) map->overlay_logs_changed();
        // FormClose: Log Link goes with the window, then the commands follow.
        if (state.log_link) set_log_link(false);
        main_.RefreshCommands();
    }

    // LogViews: the live link switched Log Link off (it clears log_link itself).
    void log_link_off() override {
        if (main_.menuloglink) main_.menuloglink->setChecked(false);
    }

  private:
    Tmain& main_;
    QPointer<Tlog> data_log_;
    QPointer<Tlog> other_log_;
};

LogCommands& log_commands(Tmain* main) {
    auto* c =
        main->findChild<LogCommands*>(QStringLiteral("logcommands"), Qt::FindDirectChildrenOnly);
    return c ? *c : *new LogCommands(main);
}

}  // namespace

std::string Tmain::shown_log_file(OverlaySource side) const {
    const Tlog* w = log_commands(const_cast<Tmain*>(this))
                        .window(side == OverlaySource::data_log ? data_log_side
                                                                : comparison_log_side);
    return w && w->viewer().shows_file() ? w->viewer().caption() : std::string();
}

void Tmain::open_log_window(const std::string& /*path*/) {
    // The window shows last_log_file, which the command line has just set.
    log_commands(this).open(data_log_side);
}

void Tmain::btnmntClick() {
    if (Tmntdlg* open = Tmntdlg::current()) {
        open->show();
        open->raise();
        open->activateWindow();
        return;
    }
    monitor_open_sequence([this](bool linked) {
        // Its result does not matter here: the monitor only reads the document.
        if (linked) document_views().commit_axis_edit();
        auto* m = new Tmntdlg(this);
        views_.add(m);
        connect(m, &Tmntdlg::closed, this, [this, m] { views_.remove(m); });
        m->show();
        // With the link on the window took only its frame size, which in Manual mode left
        // the fonts at their design size; the stored font size applies in every case.
        if (!linked || settings.monitor_size != 1) m->activate_font_item();
        m->activate_frame_item();
    });
}

void Tmain::btnlogClick() {
    LogCommands& logs = log_commands(this);
    if (!logs.window(data_log_side) && !state.port_open) open_port();
    logs.open(data_log_side);
}

void Tmain::menuloglinkClick() {
    // The live link and Log Link never run together.
    if (state.link_on) pv::link_off();
    log_commands(this).set_log_link(state.log_link == 0);
}

void Tmain::menuotherlogClick() {
    // The comparison log reads files only; the serial port stays as it is.
    log_commands(this).open(comparison_log_side);
}

}  // namespace pv
