// The live link with the simulated unit: Send All Data starts it; the monitor, the traces
// and a recording in the data log follow.
#include <sys/stat.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMdiSubWindow>

#include "desktop/scripts.h"

namespace desk {
namespace {

void start_link(Driver& d) {
    d.step("Mode A, then Send All Data: the unit takes the document and the link starts");
    d.click("the Mode A group", list_item(map_window, "lvmap1", QStringLiteral("Mode A")));
    d.click("the Send All Data button", [] { return tool_button(QStringLiteral("btnwrite")); });
    d.wait_until("the link to run", [] { return action_checked("btnlink"); });
    look(d, "link-on");
}

void data_monitor(Driver& d) {
    d.step("the Data Monitor button");
    d.click("the Data Monitor button", [] { return tool_button(QStringLiteral("btnmnt")); });
    d.wait_window(QStringLiteral("Data Monitor"));
    look(d, "data-monitor");
}

void traces(Driver& d) {
    d.step("the Trace and Cursor Trace buttons");
    d.click("the Trace button", [] { return tool_button(QStringLiteral("btnlocus")); });
    d.wait_until("Trace to be on", [] { return action_checked("btnlocus"); });
    d.click("the Cursor Trace button", [] { return tool_button(QStringLiteral("btnatsel")); });
    d.wait_until("Cursor Trace to be on", [] { return action_checked("btnatsel"); });
    look(d, "traces");
}

void recording(Driver& d) {
    d.step("the Data Log button");
    d.click("the Data Log button", [] { return tool_button(QStringLiteral("btnlog")); });
    d.wait_until("the data log window",
                 [] { return data_log_window() && data_log_window()->isVisible(); });
    look(d, "data-log");

    d.step("START: the recording monitor has the keyboard");
    d.click("START", [] { return child_named(data_log_window(), "btnlogstart"); });
    d.wait_until("the recording monitor to have the keyboard", [] {
        QDialog* m = shown_monitor();
        return m && m->isActiveWindow() && QApplication::activeModalWidget() == m;
    });
    look(d, "recording");
    d.step("Space marks, Escape ends the recording");
    d.keys("space");
    Driver::settle(300ms);
    d.keys("Escape");
    d.wait_until("the recording monitor to close", [] { return shown_monitor() == nullptr; });
    const QString caption =
        d.gui([] { return data_log_window() ? data_log_window()->windowTitle() : QString(); });
    if (!caption.endsWith(QLatin1String("TMPLOG.PVL")))
        d.fail("the data log shows \"" + caption.toStdString() + "\", not the recording");
    struct stat st {};
    if (stat(caption.toLocal8Bit().constData(), &st) != 0 || st.st_size == 0)
        d.fail("the recording " + caption.toStdString() + " is missing or empty");
    look(d, "recorded");
    // The map window comes to the front as the recording ends.
    bring_to_front(d, QStringLiteral("TMPLOG.PVL"));
    log_display_setting(d, data_log_window, "Tlsetdlg", "btnok");
}

}  // namespace

void script_live(Driver& d) {
    wait_main_window(d);
    start_link(d);
    data_monitor(d);
    traces(d);
    recording(d);
    exit_program(d);
}

}  // namespace desk
