// The one set of controller data the program edits, the grid working area through which the
// map window shows one table, the program-wide state flags and settings, and the
// conversions between stored values and grid texts.
//
// All of it is process-wide plain data touched on the user-interface thread only.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace pv {

inline constexpr uint16_t kLangJapanese = 1041;
inline constexpr uint16_t kLangEnglish = 1033;
inline constexpr int16_t program_version = 1150;
inline constexpr uint16_t kStatusUnknown = 0x6603;  // the unit did not deliver its status word

// A firmware version (x 100) of the 1.2x family, which takes the wider boost range.
constexpr bool is_12x(uint8_t version) {
    return version >= 120 && version <= 129;
}

// Table codes. 101 to 121 name the unit's further data blocks (see the link's block table).
enum MapId : int {
    map_rpm_axis = 11,
    map_speed_axis = 12,
    map_throttle_axis = 14,
    map_boost_a = 21,
    map_offset_a = 22,
    map_boost_b = 25,
    map_offset_b = 26,
};
inline constexpr std::array<int, 7> kTableIds = {11, 12, 14, 21, 22, 25, 26};

bool is_axis(int map_id);
bool is_map(int map_id);
bool is_boost_map(int map_id);   // 21, 25: signed 16-bit pressure cells
bool is_offset_map(int map_id);  // 22, 26: unsigned byte cells

using Axis = std::array<uint8_t, 5>;
// map[i][j]: i the horizontal-axis point (rpm or speed), j the throttle point.
template <typename T>
using Map = std::array<std::array<T, 5>, 5>;

struct ControllerData {
    Axis rpm_axis{};             // 100 rpm
    Axis speed_axis{};           // 10 km/h
    Axis throttle_axis{};        // %
    Map<int16_t> boost_map_a{};  // kPa, or PSI x 10
    Map<uint8_t> offset_map_a{};
    Map<int16_t> boost_map_b{};
    Map<uint8_t> offset_map_b{};

    uint8_t cyls = 0;
    uint8_t spdpulse = 0;
    uint16_t closeth = 0;
    uint16_t openth = 0;
    uint8_t barselect = 0;
    uint8_t axis_select_no = 0;
    uint8_t pressure_unit = 0;  // 0 kPa, 1 PSI
    uint8_t backlight_level = 0;
    uint8_t rev_sampling = 0;
    uint8_t after_on = 0;
    uint8_t ext_bypass = 0;
    uint8_t sampling_time = 0;
    uint8_t offset_a = 0;
    uint8_t offset_b = 0;
    uint8_t sbc_time = 0;
    uint8_t sbc_boost = 0;
    uint16_t barmaxset = 0;
    uint16_t setboost_a = 0;
    uint16_t setboost_b = 0;
    uint16_t warning_boost = 0;
    uint8_t drop_boost = 0;
    uint8_t up_boost_offset = 0;
    uint16_t normal_boost = 0;
    uint16_t first_boost = 0;
    uint8_t warning_on = 1;  // parameter dialog state, not stored in the data file

    std::string comment;  // 8-bit text in the system code page, at most 255 characters
    uint16_t status_word = 0;
    uint8_t file_valve_version = 0;  // x 100: 120 = 1.20
    uint8_t file_display_version = 0;
    std::array<uint16_t, 6> save_stamp{};  // year, month, day, hour, minute, second
    std::string save_date_text;
    std::string save_time_text;
    int16_t file_version = 0;  // version word of the data file last opened
};

// What the program knows of the connected unit beyond the document.
struct UnitState {
    uint8_t valve_version = 0;  // live firmware versions, x 100
    uint8_t display_version = 0;
    std::array<uint8_t, 16> status_flags{};  // one per bit of the last status word read
    uint8_t unit_link_ready = 0;
    uint16_t throttle_voltage = 0;  // mV
    uint16_t lock_number = 0;
    uint8_t unit_command = 0;
    uint8_t status_poll_count = 0;
    uint16_t derived_status_word = 0;  // composed by the parameter dialog
    // Whether the last parameter load got each firmware version (else the document keeps
    // the versions it had).
    uint8_t valve_version_read = 0;
    uint8_t display_version_read = 0;
};

struct AppState {
    uint8_t doc_open = 0;
    uint8_t doc_named = 0;
    uint8_t doc_modified = 0;
    uint8_t doc_is_new = 0;
    uint8_t clip_has_text = 0;
    uint8_t compare_loaded = 0;
    std::string compare_file;  // the data file View Comparison File shows beside the table
    uint8_t graph_open = 0;
    uint8_t log_open = 0;
    uint8_t other_log_open = 0;
    uint8_t monitor_open = 0;
    uint8_t monitor_log_mode = 0;  // 1 while the monitor records a log
    uint8_t ui_busy = 0;
    // The table shown holds changes that Undo takes back; for an axis, an edit not yet
    // committed (sorted and carried into the maps).
    uint8_t edit_pending = 0;
    uint8_t log_link = 0;
    uint8_t port_open = 0;
    uint8_t link_on = 0;
    uint8_t link_ready = 0;
    uint8_t transfer_active = 0;
    uint8_t comm_state = 0;  // 0 none, 1 load, 2 send, 3 check, other lock
    uint8_t progress_open = 0;
    uint8_t last_frame_flag = 0;
    uint8_t poll_busy = 0;
    uint16_t poll_misses = 0;    // consecutive failed polls of the live link
    uint8_t send_allowed = 0;    // the checks before a send passed
    uint8_t setup_override = 0;  // the user agreed to send to a unit whose setup is not complete
    uint8_t prm_page = 0;        // page the parameter dialog opens on
    uint32_t link_interval_ms = 15;  // live link poll interval
    std::string last_log_file;       // caption of the log window while no log is open
    std::string last_other_log_file;
    std::string other_log_dir;  // the comparison log's open folder, kept while the program runs
};

struct LogChannel {
    int32_t max = 0;
    int32_t min = 0;
    int32_t color = 0;
    uint8_t draw = 0;
};

struct Settings {
    uint8_t com_port = 1;  // 1..15
    uint8_t trace_length = 1;
    uint8_t auto_select = 1;
    uint8_t map_font_size = 1;
    // View > Log Overlay: 0 off, 1 time in cell, 2 mean boost, 3 peak boost; from the data
    // log (0) or the comparison log (1); every sample (0), the marked ones (1) or those above
    // overlay_throttle % (2).
    uint8_t overlay_choice = 0;
    uint8_t overlay_log = 0;
    uint8_t overlay_filter = 0;
    uint8_t overlay_throttle = 80;
    uint8_t monitor_font_index = 0;
    int16_t monitor_width = 0;
    int16_t monitor_height = 0;
    uint8_t monitor_size = 0;
    int32_t log_back_color = 0;
    int32_t other_log_back_color = 0;
    std::array<LogChannel, 7> log_channels{};
    std::array<LogChannel, 7> other_log_channels{};
    std::string log_dir;
    uint8_t spl_header = 0xE5;
    // Device path of each COM number from the settings file ("PORTS"/"COM"+n); empty = default.
    std::array<std::string, 16> port_paths{};
    uint16_t lang_id = kLangEnglish;
    std::string help_file_j = "pveditJ.chm";
    std::string help_file_e = "pveditE.chm";
    // Folder of the files the program writes beside itself (UNITDATA.PVD, TMPLOG.PVL, the
    // settings file): the program's folder, or the user's config folder when that is read-only.
    std::string data_folder = ".";
    // Restore points of the unit: their folder (empty keeps none), how many are kept, and
    // whether a send first reads the unit to keep one. Review shows a send's changes first.
    std::string history_folder;
    uint32_t history_limit = 200;
    uint8_t history_before_send = 1;
    uint8_t review_send = 0;
};

// The grid working area: one table shown by the map window.
struct GridArea {
    int current_map = map_rpm_axis;
    int grid_cols = 5;
    int grid_rows = 1;
    int32_t value_min = 0;
    int32_t value_max = 0;
    std::array<int32_t, 5> col_axis_values{};
    int32_t grid_values[6][5]{};     // [0][r] row headers; [c][r] cell (column c, row r+1)
    int32_t undo_values[5][5]{};     // [column-1][row-1]
    int32_t compare_values[5][5]{};  // [column-1][row-1]
    uint8_t changed_cells[5][5]{};   // [column-1][row-1]
};

extern ControllerData data;
extern UnitState unit;
extern AppState state;
extern Settings settings;
extern GridArea grid;

// ui_busy for the length of a scope, cleared on every way out.
class UiBusy {
  public:
    UiBusy() { state.ui_busy = 1; }
    ~UiBusy() { state.ui_busy = 0; }
    UiBusy(const UiBusy&) = delete;
    UiBusy& operator=(const UiBusy&) = delete;
};

// Resets the state flags, comm_state, the unit-status fields and the log placeholders.
void InitState();
// The document made by New.
void SetDefaultData();

struct Shape {
    int cols;
    int rows;
};
Shape MapShape(int map_id, bool for_file);

// The stored element behind grid cell (column, row), both from 1, of a table in the
// current axis mode. Axes use only the column.
struct MapCell {
    int i;
    int j;
};
MapCell map_cell_of(int column, int row);

// A decimal number as the grid and the input boxes accept it: optional sign, fraction and
// exponent, blanks around it, nothing else (no hexadecimal, "inf" or "nan").
std::optional<double> parse_number(const std::string& text);
// A whole decimal number within lo..hi, nothing around it (command-line values).
bool parse_integer(const std::string& text, long lo, long hi, long& out);
std::string FormatCell(int32_t value);
std::optional<int32_t> ParseCell(const std::string& text);
void SetCell(int column, int row, const std::string& text);

// The value of one element of a table (axis point `i`, or map[i][j]) and its counterpart
// for writing; the write truncates to the element's width exactly as a stored byte would.
int32_t table_element(const ControllerData& d, int map_id, int i, int j);
void set_table_element(ControllerData& d, int map_id, int i, int j, int32_t value);
inline int32_t table_element(int map_id, int i, int j) {
    return table_element(data, map_id, i, j);
}
inline void set_table_element(int map_id, int i, int j, int32_t value) {
    set_table_element(data, map_id, i, j, value);
}

void MarkModified();
void ClearChanged();

constexpr int32_t Clamp(int32_t v, int32_t lo, int32_t hi) {
    return v < lo ? lo : v > hi ? hi : v;
}
int64_t Power(int64_t base, unsigned n);
std::string FormatFixed(int64_t number, int decimals);
std::string PressureUnitText();

// Rounds to the nearest integer, halves to the even neighbour, saturating at the int32 range.
int32_t round_half_even(long double v);

// Sets save_stamp and rebuilds save_date_text / save_time_text.
void set_save_stamp(const std::array<uint16_t, 6>& stamp);
// The version number of a data file as the map window shows it after "Data File Ver ":
// value / 1000 with three decimals, or two when the value is a multiple of 10.
std::string file_version_text(int16_t version);

// Busy wait of more than `ms` milliseconds on the Clock seam; pumps no messages.
void Delay(uint32_t ms);

}  // namespace pv
