// The windows open at a time that show the document, the live values or a log. The main
// window keeps one registry and installs it as the document, live and log views; a window
// registers itself when it opens and leaves when it closes, and each call goes out to every
// window that serves that audience, in the order they registered.
#pragma once
#include <algorithm>
#include <string>
#include <type_traits>
#include <vector>

#include "core/ui/hooks.h"

namespace pv {

class ViewRegistry final : public DocumentViews, public LiveViews, public LogViews {
  public:
    // A window joins each list whose interface it implements.
    template <typename W>
    void add(W* w) {
        if constexpr (std::is_base_of_v<DocumentViews, W>) join<DocumentViews>(documents_, w);
        if constexpr (std::is_base_of_v<LiveViews, W>) join<LiveViews>(live_, w);
        if constexpr (std::is_base_of_v<LogViews, W>) join<LogViews>(logs_, w);
    }
    template <typename W>
    void remove(W* w) {
        if constexpr (std::is_base_of_v<DocumentViews, W>) leave<DocumentViews>(documents_, w);
        if constexpr (std::is_base_of_v<LiveViews, W>) leave<LiveViews>(live_, w);
        if constexpr (std::is_base_of_v<LogViews, W>) leave<LogViews>(logs_, w);
    }
    // The interfaces as the core calls them.
    FrontEnd as_front_end(FrontEnd f) {
        f.documents = this;
        f.live = this;
        f.logs = this;
        return f;
    }

    // DocumentViews
    void cell_written(int column, int row, const std::string& text) override {
        each(documents_, [&](DocumentViews* v) { v->cell_written(column, row, text); });
    }
    // Every view gets the chance to end its edit; one refusal stops the command.
    bool commit_axis_edit() override {
        bool ok = true;
        each(documents_, [&](DocumentViews* v) { ok = v->commit_axis_edit() && ok; });
        return ok;
    }
    void setup_grid() override {
        each(documents_, [](DocumentViews* v) { v->setup_grid(); });
    }
    void fill_grid() override {
        each(documents_, [](DocumentViews* v) { v->fill_grid(); });
    }
    void fill_table_list() override {
        each(documents_, [](DocumentViews* v) { v->fill_table_list(); });
    }
    bool grid_enabled() override {
        bool on = true;
        each(documents_, [&](DocumentViews* v) { on = v->grid_enabled() && on; });
        return on;
    }
    void set_grid_enabled(bool on) override {
        each(documents_, [on](DocumentViews* v) { v->set_grid_enabled(on); });
    }
    void repaint_map_grid() override {
        each(documents_, [](DocumentViews* v) { v->repaint_map_grid(); });
    }
    void rebuild_graph() override {
        each(documents_, [](DocumentViews* v) { v->rebuild_graph(); });
    }
    void repaint_graph() override {
        each(documents_, [](DocumentViews* v) { v->repaint_graph(); });
    }

    // LiveViews
    void close_monitor() override {
        each(live_, [](LiveViews* v) { v->close_monitor(); });
    }
    void refresh_monitor() override {
        each(live_, [](LiveViews* v) { v->refresh_monitor(); });
    }
    void update_live_cursor() override {
        each(live_, [](LiveViews* v) { v->update_live_cursor(); });
    }
    void clear_cursor_hold() override {
        each(live_, [](LiveViews* v) { v->clear_cursor_hold(); });
    }
    void release_trace_buttons() override {
        each(live_, [](LiveViews* v) { v->release_trace_buttons(); });
    }

    // LogViews
    void log_link_off() override {
        each(logs_, [](LogViews* v) { v->log_link_off(); });
    }
    void log_captions_reset() override {
        each(logs_, [](LogViews* v) { v->log_captions_reset(); });
    }

  private:
    template <typename I>
    static void join(std::vector<I*>& list, I* v) {
        if (std::find(list.begin(), list.end(), v) == list.end()) list.push_back(v);
    }
    template <typename I>
    static void leave(std::vector<I*>& list, I* v) {
        list.erase(std::remove(list.begin(), list.end(), v), list.end());
    }
    // A call may close a window (the monitor closing itself): walk a copy, skipping whoever
    // left meanwhile.
    template <typename I, typename F>
    static void each(const std::vector<I*>& list, F f) {
        const std::vector<I*> snapshot = list;
        for (I* v : snapshot)
            if (std::find(list.begin(), list.end(), v) != list.end()) f(v);
    }

    std::vector<DocumentViews*> documents_;
    std::vector<LiveViews*> live_;
    std::vector<LogViews*> logs_;
};

}  // namespace pv
