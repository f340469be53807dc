// A map grid without a window: a table shown as the map window shows it, with the cells
// written and the dialogs opened recorded.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/document/unit.h"
#include "core/mapedit/edit_ops.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "support/program.h"

namespace pv {

struct GridHooks : pvtest::FakeWindows {
    std::vector<std::tuple<int, int, std::string>> cells;
    bool undo_enabled = false;
    void cell_written(int c, int r, const std::string& t) override { cells.emplace_back(c, r, t); }
    void set_undo_enabled(bool e) override { undo_enabled = e; }
};

// Records the input boxes with their initial text and the busy flag while they are open.
struct Dialogs : ScriptedPrompter {
    std::vector<std::string> initials;
    std::vector<uint8_t> busy;
    std::optional<std::string> input(const std::string& caption, const std::string& prompt,
                                     const std::string& initial) override {
        initials.push_back(initial);
        busy.push_back(state.ui_busy);
        return ScriptedPrompter::input(caption, prompt, initial);
    }
};

class MapGrid : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();
        SetDefaultData();
        state.doc_open = 1;
        hooks_.install();
        set_prompter(&dialogs_);
    }
    void TearDown() override { pvtest::reset_program(); }

    // Chooses a table as the map window's list does: shape, bounds, cells, undo point.
    void show(int map_id, int mode, int32_t lo, int32_t hi) {
        data.axis_select_no = static_cast<uint8_t>(mode);
        grid.current_map = map_id;
        Shape s = MapShape(map_id, false);
        grid.grid_cols = s.cols;
        grid.grid_rows = s.rows;
        grid.value_min = lo;
        grid.value_max = hi;
        fill_grid_values();
        take_undo_point();
        ClearChanged();
        hooks_.cells.clear();
    }
    int32_t cell(int c, int r) const { return grid.grid_values[c][r - 1]; }
    int changed_count() const {
        int n = 0;
        for (auto& col : grid.changed_cells)
            for (uint8_t m : col) n += m;
        return n;
    }

    GridHooks hooks_;
    Dialogs dialogs_;
};

}  // namespace pv
