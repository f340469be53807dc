// Drives the program the way a user does: real key presses and clicks through the X server
// (xdotool), while the widget tree is read on the program's own thread. The driver runs on a
// thread of its own; it never touches a widget from there.
#pragma once
#include <QCoreApplication>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>

class QMdiSubWindow;
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace desk {

using namespace std::chrono_literals;

// The longest any step may take before the program counts as hung.
inline constexpr auto kPatience = 10s;

// Runs an external program and waits for it; its exit status (-1 when it could not start).
int run_program(const std::vector<std::string>& args);
// A picture of the whole screen, taken by a separate process so that it works while the
// program hangs. The file's path, or empty when none could be taken.
std::string take_screenshot(const std::string& name);  // into PV_DESKTOP_SHOTS
std::string take_screenshot_in(const std::string& dir, const std::string& name);

// A finder runs on the program's thread and names the widget a step works on; a locator
// names a point on the screen (a list item, a cell, a tab), empty while there is none.
using Finder = std::function<QWidget*()>;
using Locator = std::function<std::optional<QPoint>()>;
// The centre of the widget `find` names, while it is shown and enabled.
Locator centre(Finder find);
// The centre of `local` in `w`'s coordinates, while `w` is shown.
std::optional<QPoint> global_centre(QWidget* w, const QRect& local);

class Driver {
  public:
    explicit Driver(std::string name) : name_(std::move(name)) {}

    // Prints what failed with the step it failed in, takes a screenshot and ends the process.
    [[noreturn]] void fail(const std::string& why);
    void step(const std::string& what);
    const std::string& current_step() const { return step_; }

    // Runs `f` on the program's thread, also while a modal dialog runs its own loop.
    template <class F>
    auto gui(F f) -> std::invoke_result_t<F&> {
        using R = std::invoke_result_t<F&>;
        auto task = std::make_shared<std::packaged_task<R()>>(std::move(f));
        std::future<R> result = task->get_future();
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [task] { (*task)(); }, Qt::QueuedConnection);
        if (result.wait_for(kPatience) != std::future_status::ready)
            fail("the program did not answer for 10 s (hung)");
        return result.get();
    }

    // Waits until `ready` (run on the program's thread) holds. Meanwhile any message box that
    // is not the one `expected_box` names fails the run.
    void wait_until(const std::string& what, const std::function<bool()>& ready,
                    std::chrono::milliseconds patience = kPatience);
    // A short pause for what the X server gives no signal of (a pointer that has just moved).
    static void settle(std::chrono::milliseconds t = 30ms);

    // Input through the X server.
    void keys(const std::string& keys);  // "alt+f", "Escape", "ctrl+o"
    void type(const std::string& text);
    void click_at(QPoint global, int button = 1, int count = 1);
    void move_to(QPoint global);
    // Where `locate` points once it holds still; clicks there.
    QPoint point_of(const std::string& what, const Locator& locate);
    void click(const std::string& what, const Locator& locate, int button = 1, int count = 1);
    // Clicks the centre of the widget `find` names; fails when another window or widget
    // covers that point, as a hand would find it covered.
    void click(const std::string& what, const Finder& find, int button = 1);

    // A window (a top-level window or a child window of the main window) with this caption.
    QWidget* window_titled(const QString& title) const;  // program's thread only
    void wait_window(const QString& title);
    void wait_gone(const QString& title);
    // Waits until the dialog or window titled `title` has the keyboard: keys go to it.
    void wait_active(const QString& title);

    // A message box whose text contains `part` (any box: "") appears; `answer` is pressed in
    // it and it goes. Its text is returned.
    std::string expect_message(const std::string& part, const std::string& answer);
    // A menu of the menu bar opened with its mnemonic, then the item with its own.
    void menu(const std::string& open_keys, const std::string& item_keys);
    // Clicks a menu item by its object name in whatever menu is open.
    void click_menu_item(const std::string& action_name);

    // The end of the script: the program's message loop has returned.
    void app_returned();
    bool wait_app_returned(std::chrono::milliseconds patience = kPatience);

  private:
    // Texts of the message boxes on screen that no step expects.
    std::vector<std::string> unexpected_boxes();

    std::string name_;
    std::string step_ = "start";
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    // While expect_message waits: a box with this in its text is the one expected.
    std::string expected_box_;
    std::atomic<bool> expecting_{false};
    std::optional<QPoint> pointer_;  // where the driver last put the pointer
    std::mutex m_;
    std::condition_variable cv_;
    bool returned_ = false;
};

// Helpers for finders (program's thread).
QWidget* main_window();
QWidget* child_named(QWidget* root, const QString& object_name);
QWidget* child_by_accessible_name(QWidget* root, const QString& name);
// The tool button that shows the main window's action `action_name` ("btngraph").
QWidget* tool_button(const QString& action_name);
QWidget* active_modal();
// The close button in the title bar of a child window of the main window.
std::optional<QPoint> close_button(QMdiSubWindow* w);

}  // namespace desk
