// Where a recorded drive spent its time on a map: for each cell of a map as the document's
// axis mode shows it, the samples whose operating point had that cell as the live cursor's
// near cell, and the pressure there. The position rule is the live cursor's, so a cell that
// collects time here is the cell the cursor sat on while the drive was replayed.
#pragma once
#include <cstdint>

#include "core/logging/log_file.h"

namespace pv {

// Why a log cannot be placed on the maps of an axis mode.
enum class CellsCheck {
    ok,
    axis_off,      // mode 0: the maps have no axes
    no_rev,        // the mode needs the rev channel and the log has none
    no_throttle,   // the mode needs the throttle channel and the log has none
    rev_is_speed,  // the mode reads engine speed, the log's rev channel holds vehicle speed
    rev_is_rpm,    // the other way round
    no_marking,    // only marked samples should count, and the log has no marking channel
};

// Which samples count: all of them, only those recorded while marked (Space held), or only
// those whose throttle opening is above `throttle` %, so that full-throttle pulls can be
// judged apart from cruising.
struct CellsFilter {
    enum class Kind : uint8_t { all, marked, throttle_above };
    Kind kind = Kind::all;
    int throttle = 0;
    bool operator==(const CellsFilter&) const = default;
};

// The filter's own channel is checked too: throttle_above needs the throttle channel.
CellsCheck check_cells_log(const LogHeader& h, uint8_t axis_select_no,
                           const CellsFilter& filter = {});

struct CellTally {
    int64_t samples = 0;
    int64_t pressure_sum = 0;  // stored counts
    int16_t pressure_peak = 0;
};

struct MapCells {
    int map_id = 0;
    int cols = 5;
    int rows = 1;
    CellTally cells[5][5]{};  // [column-1][row-1]
    int64_t samples = 0;      // every complete sample the filter lets through lands on one cell
    bool has_pressure = false;
};

// The near cell (column, row from 1) of the live cursor for a rev and throttle reading on
// the table the grid shows.
struct NearCell {
    int column;
    int row;
};
NearCell near_cell(uint8_t rev, uint8_t throttle);

// Shows `map_id` in the grid working area as the map window would (shape, header values,
// cells) and tallies every complete sample of `log` that the filter lets through on it. The
// log must have passed check_cells_log for the document's axis mode and the filter. False
// when the file could not be read.
bool tally_map_cells(LogReader& log, int map_id, MapCells& out, const CellsFilter& filter = {});
// The same on the table the grid working area shows now, which it leaves as it is (the map
// window's overlay).
bool tally_grid_cells(LogReader& log, const CellsFilter& filter, MapCells& out);

// The figures of one cell in the units the program shows: seconds spent there, and the mean
// and peak pressure in kPa or PSI by the log's own unit. Mean and peak need samples.
double cell_seconds(const CellTally& c, const LogHeader& h);
double cell_mean_pressure(const CellTally& c, const LogHeader& h);
double cell_peak_pressure(const CellTally& c, const LogHeader& h);

}  // namespace pv
