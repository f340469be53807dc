// The map window's log overlay, worked out without a window: where a recorded drive spent its
// time on the table shown and what boost it made there (the figures of tally_grid_cells, so
// the overlay and `pvtool pvl cells` always agree), turned into one colour scale over the
// cells, a legend, each cell's tooltip, and the reason when nothing can be drawn.
//
// Sharing the cells with the other layers: the overlay is the cell's background, under every
// other layer. The live trace then marks its cells with a green frame instead of a full fill,
// and the selection with a frame in the highlight colour, so the overlay's colour stays
// visible under both; the comparison file keeps its grey second line and its yellow and cyan
// behind the value text, a changed value keeps its red on the window colour, and the live
// and comparison-log cursors are drawn over everything as before. With the overlay off the
// grid looks exactly as without it.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/logging/log_file.h"
#include "core/logging/map_cells.h"
#include "core/logging/overlay_choice.h"

namespace pv {

// The overlay's menu choices as the settings keep them (settings.overlay_*).
OverlayChoice overlay_choice();
OverlaySource overlay_source();
CellsFilter overlay_filter();

// Why the overlay shows nothing although it is on.
enum class OverlayProblem {
    none,
    no_log,       // the chosen log window shows no file
    not_a_map,    // an axis table is shown
    unreadable,   // the file could not be read
    refused,      // check_cells_log refused it; `why` says how
    no_pressure,  // mean or peak boost of a log without the pressure channel
};

// The tally of one log on the table shown, computed again only when something it depends on
// changed: the file (name, size, time of change), the table and its axes, the filter.
class OverlayTally {
  public:
    // Brings the tally up to date for the log file `path` (empty: none) on the table of the
    // grid working area. True when it had to compute.
    bool update(const std::string& path, const CellsFilter& filter);
    // Forgets the tally, so that the next update computes.
    void clear();

    OverlayProblem problem() const { return problem_; }
    CellsCheck why() const { return why_; }
    const MapCells& cells() const { return cells_; }
    const LogHeader& header() const { return header_; }
    const CellsFilter& filter() const { return key_.filter; }
    int computations() const { return computations_; }

  private:
    struct Key {
        std::string path;
        int64_t size = -1;
        int64_t changed_ns = 0;
        int map_id = 0;
        int axis_select_no = 0;
        int cols = 0;
        int rows = 0;
        std::array<int32_t, 5> col_heads{};
        std::array<int32_t, 5> row_heads{};
        CellsFilter filter;
        bool operator==(const Key&) const = default;
    };
    bool have_ = false;
    Key key_;
    OverlayProblem problem_ = OverlayProblem::no_log;
    CellsCheck why_ = CellsCheck::ok;
    MapCells cells_;
    LogHeader header_;
    int computations_ = 0;
};

struct OverlayRgb {
    uint8_t r = 255;
    uint8_t g = 255;
    uint8_t b = 255;
    bool operator==(const OverlayRgb&) const = default;
};

// The scale: light yellow for the least, through orange and red, to dark red for the most.
OverlayRgb overlay_colour(double t);  // t from 0 to 1
// Black or white, whichever reads better on `back`.
OverlayRgb overlay_ink(OverlayRgb back);

struct OverlayCell {
    bool filled = false;  // a cell without samples keeps the window colour
    OverlayRgb fill;
    OverlayRgb ink;       // for the value text on the fill
    std::string figure;   // the chosen figure as printed ("-" without samples)
    std::string tooltip;  // seconds, samples, mean and peak boost, one per line
};

struct OverlayLegend {
    std::string title;   // the choice and its unit: "Time in cell [s]"
    std::string high;    // the figure at the dark end of the scale
    std::string low;     // ... and at the light end
    std::string source;  // "Data Log" or "Comparison Log"
    std::string filter;  // which samples count
    std::string empty;   // the swatch of cells without samples
};

struct OverlayLook {
    bool on = false;     // the choice is not Off
    bool drawn = false;  // cells carry colours
    std::string note;    // why nothing is drawn (8-bit text), else empty
    OverlayLegend legend;
    OverlayCell cells[5][5];  // [column-1][row-1]
};

// The look of `choice` over the tally. Texts are the text library's 8-bit texts.
OverlayLook overlay_look(const OverlayTally& tally, OverlayChoice choice, OverlaySource source);
// The title of the printed overlay grid: "Log overlay: Time in cell [s]  Data Log  All
// samples".
std::string overlay_print_line(const OverlayLook& look);

}  // namespace pv
