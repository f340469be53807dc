// Restore points: copies of the unit's data as it was read, kept as data files in one folder
// of the user's, so that any earlier state of the unit can be looked at or sent back. The
// file name carries the date, the time and what followed the read; the folder keeps at most
// settings.history_limit points, the oldest going first.
#pragma once
#include <ctime>
#include <string>
#include <vector>

#include "core/document/unit.h"

namespace pv {

enum class RestoreCause { load_all, before_send_all, before_send_parameter };
// "Load All Data", "before Send All Data", "before Send Parameter": fixed English texts,
// they are part of the file names.
const char* restore_cause_name(RestoreCause cause);

struct RestorePoint {
    std::string path;
    std::string when;   // "2026-12-09 23:15:04"
    std::string cause;  // as in the file name
};

// The folder's points, oldest first. Files that are not whole data files (a save that never
// finished, anything else put there) are not points.
std::vector<RestorePoint> list_restore_points(const std::string& folder);

// Writes `d` (its comment left out: the unit holds none) as a new point made at `now`, then
// drops the oldest points beyond the limit. The folder is made when missing. False, with
// nothing half-written left behind, when the point could not be written.
bool keep_restore_point(const ControllerData& d, RestoreCause cause, const std::string& folder,
                        std::time_t now);

// The data of a point; false when it is no longer a readable data file.
bool read_restore_point(const RestorePoint& p, ControllerData& out);

// What changed from one point to the next, as a send would change it: table cells and
// parameters; the comment and the labels are not counted.
struct PointChanges {
    int cells = 0;
    int parameters = 0;
};
PointChanges count_changes(const ControllerData& before, const ControllerData& after);

// The folder the front-end chose (settings.history_folder); empty keeps no points.
inline const std::string& history_folder() {
    return settings.history_folder;
}

}  // namespace pv
