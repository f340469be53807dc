// The channels of a log as the two log windows and their settings dialogs see them: what
// tells the data log and the comparison log apart, how a channel's stored counts read in the
// dialog's edits and back, the bounds those edits keep, and the dialog's working copy.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/document/unit.h"
#include "core/logging/live.h"

namespace pv {

inline constexpr int kLogChannels = 7;  // channel numbers 1..7
enum LogChannelNo : int {
    ch_pressure = 1,
    ch_peak_hold = 2,
    ch_rev = 3,
    ch_throttle = 4,
    ch_boost_correction = 5,
    ch_offset_correction = 6,
    ch_marking = 7,
};
constexpr bool is_log_channel(int channel) {
    return channel >= 1 && channel <= kLogChannels;
}

// How a log file scales its counts: its own rev flag (1 = engine speed) and pressure unit.
struct LogScale {
    int rev_flag = 0;
    int pressure_unit = 0;
};
// What the unit and the document say right now; only the data log's limits look at it.
struct UnitScale {
    bool rev_is_rpm = false;
    int pressure_unit = 0;
};
UnitScale current_unit_scale();

// Which map cursor a side's values drive under Log Link.
enum class CursorLayer { live_cursor, compare_cursor };
// Whose flags decide the rev and boost-correction entry limits.
enum class LimitRule {
    file_and_unit,  // the file, and the unit's status and the document's pressure unit
    file_only,
};

// The speed buttons of a log window's button panel.
enum class LogButton { open, save, zoom_out, zoom_in, display_setting };

// How a side's window is laid out.
struct LogForm {
    int client_width;  // design size of the client area
    int client_height;
    uint32_t title_text;             // log catalogue: the title panel over the names; 0 = none
    std::vector<LogButton> buttons;  // left to right, one button width apart
    int button_panel_height;
    bool stamp_in_one_line;  // date and time labels side by side, else one above the other
};

// The one description of a log side. Everything the data log and the comparison log do
// differently is here; the windows and dialogs read it and keep no side switches of their own.
struct LogSide {
    const char* window_name;  // the windows' design names
    const char* dialog_name;
    std::array<LogChannel, kLogChannels> Settings::*channels;
    int32_t Settings::*back_color;
    std::string AppState::*last_file;  // caption remembered while the window is closed
    uint8_t AppState::*open_flag;
    std::string& (*open_folder)();  // where the open dialog starts, last opened from
    uint32_t placeholder_text;      // log catalogue: caption while no file is shown
    uint32_t open_hint_text;        // log catalogue: hint of the open button
    uint32_t open_filter_text;      // log catalogue: filter of the open dialog
    uint32_t dialog_caption_text;   // log catalogue: caption of the settings dialog
    LimitRule limits;
    LiveValues* live_target;  // written under Log Link
    CursorLayer cursor;
    bool records;      // START, the recording timer, save and text export
    bool opens_empty;  // forgets the file shown the last time the window was open
    // The colour dialog's start colour and custom colours; none = the desktop's defaults.
    std::optional<int32_t> color_dialog_seed;
    LogForm form;

    std::array<LogChannel, kLogChannels>& channel_settings() const { return settings.*channels; }
    int32_t& background() const { return settings.*back_color; }
    std::string& remembered_file() const { return state.*last_file; }
    uint8_t& open() const { return state.*open_flag; }
};
extern const LogSide data_log_side;
extern const LogSide comparison_log_side;

// The channel's name as the text export, the names column and the settings list show it;
// empty for a number that is no channel.
std::string log_channel_name(int channel, const LogScale& file);

// A stored count as the dialog's edits show it: pressure in kPa or PSI with one decimal,
// rev in rpm or km/h, the rest as the count; empty for the marking channel.
std::string format_edit_count(int channel, int32_t count, const LogScale& file);
// The inverse of format_edit_count before clamping; none when the text is no number.
std::optional<int32_t> parse_edit_count(int channel, const std::string& text, const LogScale& file);

struct ChannelLimits {
    int32_t top;
    int32_t bottom;
};
ChannelLimits channel_limits(LimitRule rule, int channel, const LogScale& file,
                             const UnitScale& unit_scale);

enum class EditField { max, min };
struct EntryBounds {
    int32_t lower;
    int32_t upper;
};
// The range an edit keeps while it has the focus: the channel's own limit on one side and the
// other edit's value on the other, so that max stays above min. The other edit's value never
// pushes the range past the channel's limits (a stored scale of 0..0 would otherwise let min
// fall below the bottom limit).
EntryBounds entry_bounds(EditField field, const LogChannel& rec, const ChannelLimits& limits);

// The keys an edit takes its text in with: Enter, Page Up, Page Down, Up and Down.
bool is_step_key(int vkey);
// Page Up and Up add one count below the upper bound, Page Down and Down take one away above
// the lower bound; Enter leaves the value alone.
int32_t step_value(int vkey, int32_t value, const EntryBounds& bounds);

// The dialog's working copy: one record per channel of the shown file, in the file's order,
// taken from the side's settings when the dialog opens and written back only by commit().
class ChannelSettingsWork {
  public:
    struct Row {
        int channel;
        std::string name;
        LogChannel rec;
    };
    // What the settings panel shows for the current row.
    struct RowView {
        bool draw;
        int32_t color;
        std::string max_text;
        std::string min_text;
        bool color_enabled;
        bool edits_enabled;
    };
    enum class RowLook { normal, hidden, hidden_selected };

    ChannelSettingsWork(const LogSide& side, const std::vector<int>& file_channels,
                        const LogScale& file, const UnitScale& unit_scale);

    const std::vector<Row>& rows() const { return rows_; }
    int current_row() const { return current_; }  // 1-based; 0 when the file has no channel
    int32_t background() const { return background_; }

    void select(int row);  // makes `row` the current row
    RowView view(int selected_count) const;
    RowLook look(int row, bool selected) const;

    // The Display box applies to every selected row (1-based numbers).
    void set_draw(const std::vector<int>& selected_rows, bool draw);
    void set_color(int32_t color);  // the current row's
    void set_background(int32_t color) { background_ = color; }

    // The range the edit keeps for the current row. It depends only on the other edit's
    // value, which cannot change while this edit has the focus.
    EntryBounds bounds(EditField field) const;
    // A key in the edit, which holds `text`. A step key takes the text into the value first,
    // then steps it; returns the text the edit shows afterwards, or none for any other key.
    std::optional<std::string> key(EditField field, int vkey, const std::string& text);
    // The edit loses the focus: the text is taken; returns the text the edit shows.
    std::string leave(EditField field, const std::string& text);

    // Writes every row back at its channel number, and the background.
    void commit() const;

  private:
    int32_t& value(EditField field);
    // Reads an edit's text into the working value; `keep_untouched`: the text it shows stands for
    // the exact count.
    void take(EditField field, const std::string& text, bool keep_untouched);
    std::string shown(EditField field) const;

    const LogSide& side_;
    LogScale file_;
    UnitScale unit_;
    std::vector<Row> rows_;
    int current_ = 0;
    int32_t background_ = 0;
};

}  // namespace pv
