#include "desktop/driver.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QToolBar>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

namespace desk {

int run_program(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    // A tool that waits for an X event which never comes (xdotool's --sync) must not hold
    // the run longer than any other step.
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) break;
        if (r < 0 && errno != EINTR) return -1;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            std::fprintf(stderr, "%s did not end within 10 s\n", args[0].c_str());
            return -1;
        }
        std::this_thread::sleep_for(2ms);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string take_screenshot(const std::string& name) {
    const char* dir = std::getenv("PV_DESKTOP_SHOTS");
    return dir && *dir ? take_screenshot_in(dir, name) : std::string();
}

std::string take_screenshot_in(const std::string& dir, const std::string& name) {
    char self[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    self[n] = '\0';
    std::string file = dir + "/" + name + ".png";
    for (char& c : file)
        if (c == ' ') c = '_';
    if (run_program({self, "--shot", file}) != 0) return {};
    return file;
}

void Driver::step(const std::string& what) {
    step_ = what;
    const double t =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    std::fprintf(stderr, "[%s %5.1f s] %s\n", name_.c_str(), t, what.c_str());
}

void Driver::fail(const std::string& why) {
    std::fprintf(stderr, "[%s] FAILED in step \"%s\": %s\n", name_.c_str(), step_.c_str(),
                 why.c_str());
    const std::string shot = take_screenshot(name_ + "-failed");
    if (!shot.empty()) std::fprintf(stderr, "[%s] screenshot: %s\n", name_.c_str(), shot.c_str());
    std::fflush(stderr);
    // The program's thread may be hung or in the middle of a dialog: end here.
    std::_Exit(3);
}

void Driver::settle(std::chrono::milliseconds t) {
    std::this_thread::sleep_for(t);
}

std::vector<std::string> Driver::unexpected_boxes() {
    std::vector<std::string> texts;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* box = qobject_cast<QMessageBox*>(w);
        if (!box || !box->isVisible()) continue;
        const std::string text = box->text().toStdString();
        if (expecting_ && text.find(expected_box_) != std::string::npos) continue;
        texts.push_back(text);
    }
    return texts;
}

void Driver::wait_until(const std::string& what, const std::function<bool()>& ready,
                        std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        std::vector<std::string> boxes;
        const bool done = gui([&] {
            boxes = unexpected_boxes();
            return boxes.empty() && ready();
        });
        if (!boxes.empty()) fail("a message box nobody expected: \"" + boxes.front() + "\"");
        if (done) return;
        if (std::chrono::steady_clock::now() > deadline)
            fail("waited " + std::to_string(patience.count() / 1000) + " s for " + what);
        std::this_thread::sleep_for(20ms);
    }
}

void Driver::keys(const std::string& keys) {
    std::vector<std::string> args = {"xdotool", "key", "--delay", "20"};
    size_t start = 0;
    while (start < keys.size()) {
        size_t end = keys.find(' ', start);
        if (end == std::string::npos) end = keys.size();
        if (end > start) args.push_back(keys.substr(start, end - start));
        start = end + 1;
    }
    if (run_program(args) != 0) fail("xdotool key " + keys + " failed");
}

void Driver::type(const std::string& text) {
    if (run_program({"xdotool", "type", "--delay", "20", text}) != 0)
        fail("xdotool type " + text + " failed");
}

void Driver::move_to(QPoint p) {
    // xdotool's --sync waits for the pointer to move, which it never does when it is there.
    if (pointer_ && *pointer_ == p) return;
    pointer_ = p;
    if (run_program(
            {"xdotool", "mousemove", "--sync", std::to_string(p.x()), std::to_string(p.y())}) != 0)
        fail("xdotool mousemove failed");
}

void Driver::click_at(QPoint p, int button, int count) {
    move_to(p);
    // The program sees the pointer arrive before the press, as it would from a hand.
    settle();
    if (run_program({"xdotool", "click", "--repeat", std::to_string(count), "--delay", "60",
                     std::to_string(button)}) != 0)
        fail("xdotool click failed");
}

Locator centre(Finder find) {
    return [find = std::move(find)]() -> std::optional<QPoint> {
        QWidget* w = find();
        if (!w || !w->isEnabled()) return std::nullopt;
        return global_centre(w, w->rect());
    };
}

std::optional<QPoint> global_centre(QWidget* w, const QRect& local) {
    if (!w || !w->isVisible() || !local.isValid()) return std::nullopt;
    return w->mapToGlobal(local.center());
}

QPoint Driver::point_of(const std::string& what, const Locator& locate) {
    QPoint at;
    std::optional<QPoint> before;
    // The window manager may still be placing a new window: the point must hold still over
    // two looks before the pointer goes there.
    wait_until(what + " on screen", [&] {
        std::optional<QPoint> now = locate();
        const bool still = now && before && *now == *before;
        before = now;
        if (now) at = *now;
        return still;
    });
    return at;
}

void Driver::click(const std::string& what, const Locator& locate, int button, int count) {
    click_at(point_of(what, locate), button, count);
}

void Driver::click(const std::string& what, const Finder& find, int button) {
    const QPoint p = point_of(what, centre(find));
    const QString cover = gui([&] {
        QWidget* w = find();
        QWidget* top = QApplication::widgetAt(p);
        if (!w || top == w || w->isAncestorOf(top)) return QString();
        if (!top) return QStringLiteral("nothing of the program");
        return QStringLiteral("%1 \"%2\" of the window \"%3\"")
            .arg(QLatin1String(top->metaObject()->className()), top->objectName(),
                 top->window()->windowTitle());
    });
    if (!cover.isEmpty()) fail(what + " is covered by " + cover.toStdString());
    click_at(p, button);
}

QWidget* Driver::window_titled(const QString& title) const {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->windowTitle() == title) return w;
    if (auto* main = qobject_cast<QMainWindow*>(main_window())) {
        if (auto* mdi = main->findChild<QMdiArea*>())
            for (QMdiSubWindow* w : mdi->subWindowList())
                if (w->isVisible() && w->windowTitle() == title) return w;
    }
    return nullptr;
}

void Driver::wait_window(const QString& title) {
    wait_until("the window \"" + title.toStdString() + "\"",
               [&] { return window_titled(title) != nullptr; });
}

void Driver::wait_gone(const QString& title) {
    wait_until("the window \"" + title.toStdString() + "\" to close",
               [&] { return window_titled(title) == nullptr; });
}

void Driver::wait_active(const QString& title) {
    wait_until("the window \"" + title.toStdString() + "\" to have the keyboard", [&] {
        QWidget* w = window_titled(title);
        if (!w) return false;
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return sub->mdiArea() && sub->mdiArea()->activeSubWindow() == sub &&
                   sub->mdiArea()->window()->isActiveWindow();
        return w->isActiveWindow();
    });
}

std::string Driver::expect_message(const std::string& part, const std::string& answer) {
    expected_box_ = part;
    expecting_ = true;
    std::string text;
    wait_until("a message box saying \"" + part + "\"", [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible() && box->isActiveWindow() &&
                box->text().toStdString().find(part) != std::string::npos) {
                text = box->text().toStdString();
                return true;
            }
        }
        return false;
    });
    std::fprintf(stderr, "[%s]   message box: \"%s\" -> %s\n", name_.c_str(), text.c_str(),
                 answer.c_str());
    keys(answer);
    wait_until("the message box to close", [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w);
                box && box->isVisible() && box->text().toStdString() == text)
                return false;
        return true;
    });
    expecting_ = false;
    return text;
}

void Driver::menu(const std::string& open_keys, const std::string& item_keys) {
    keys(open_keys);
    wait_until("the menu of " + open_keys, [] {
        auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        return m && m->isVisible();
    });
    keys(item_keys);
}

void Driver::click_menu_item(const std::string& action_name) {
    const QString name = QString::fromStdString(action_name);
    click("the menu item " + action_name, Locator([name]() -> std::optional<QPoint> {
              auto* m = qobject_cast<QMenu*>(QApplication::activePopupWidget());
              if (!m) return std::nullopt;
              for (QAction* a : m->actions())
                  if (a->objectName() == name) return global_centre(m, m->actionGeometry(a));
              return std::nullopt;
          }));
}

void Driver::app_returned() {
    std::lock_guard lock(m_);
    returned_ = true;
    cv_.notify_all();
}

bool Driver::wait_app_returned(std::chrono::milliseconds patience) {
    std::unique_lock lock(m_);
    return cv_.wait_for(lock, patience, [this] { return returned_; });
}

QWidget* main_window() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("main") && w->inherits("QMainWindow")) return w;
    return nullptr;
}

QWidget* child_named(QWidget* root, const QString& object_name) {
    return root ? root->findChild<QWidget*>(object_name) : nullptr;
}

QWidget* child_by_accessible_name(QWidget* root, const QString& name) {
    if (!root) return nullptr;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible()) continue;
        if (w->accessibleName() == name) return w;
        if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
            a && a->text(QAccessible::Name) == name)
            return w;
    }
    return nullptr;
}

QWidget* tool_button(const QString& action_name) {
    QWidget* main = main_window();
    if (!main) return nullptr;
    auto* action = main->findChild<QAction*>(action_name);
    if (!action) return nullptr;
    for (QToolBar* bar : main->findChildren<QToolBar*>())
        if (QWidget* b = bar->widgetForAction(action)) return b;
    return nullptr;
}

std::optional<QPoint> close_button(QMdiSubWindow* w) {
    if (!w || !w->isVisible()) return std::nullopt;
    QStyleOptionTitleBar opt;
    opt.initFrom(w);
    opt.subControls = QStyle::SC_All;
    opt.titleBarFlags = w->windowFlags();
    opt.titleBarState = static_cast<int>(w->windowState());
    opt.text = w->windowTitle();
    const int height = w->style()->pixelMetric(QStyle::PM_TitleBarHeight, &opt, w);
    opt.rect = QRect(0, 0, w->width(), height);
    const QRect r =
        w->style()->subControlRect(QStyle::CC_TitleBar, &opt, QStyle::SC_TitleBarCloseButton, w);
    return global_centre(w, r);
}

QWidget* active_modal() {
    return QApplication::activeModalWidget();
}

}  // namespace desk
