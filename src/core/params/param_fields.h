// The numeric fields of the parameter dialog and the rules behind them: the kind of each field
// fixes its limits and decimals, typed texts are normalised and stepped in raw units, and
// pressures move between their raw numbers (kPa, or PSI x 10) and the texts the fields show.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace pv {

// The fifteen numeric fields, in the dialog's visual order.
enum class PrmField : int {
    closeth,
    openth,
    backlight_level,
    normal_boost,
    first_boost,
    up_boost_offset,
    setboost_a,
    offset_a,
    setboost_b,
    offset_b,
    sbc_boost,
    sbc_time,
    drop_boost,
    warning_boost,
    barmaxset,
};
inline constexpr int kPrmFieldCount = 15;

enum class FieldKind : uint8_t {
    voltage = 1,         // throttle sensor, mV
    percent = 2,         // backlight
    set_boost = 3,       // set boosts and initial boost: lower limit is the maximum boost
    offset = 4,          // offsets, %
    scramble_boost = 5,  //
    scramble_time = 6,   // s
    bar_max = 7,         // by the bar graph function
    boost = 8,           // maximum boost, warning
    drop_boost = 9,
};

struct PrmFieldDef {
    PrmField field;
    const char* name;  // the document field it edits; the control is "ed" + name
    FieldKind kind;
    bool initial_setup;  // editable only on a document made by New
};
const std::array<PrmFieldDef, kPrmFieldCount>& prm_fields();
const PrmFieldDef& prm_field(PrmField f);
std::optional<PrmField> prm_field_named(std::string_view name);

// Entries of the bar graph function list.
enum BarSelect : int {
    bar_boost_a = 0,
    bar_boost_b = 1,
    bar_speed = 2,
    bar_rpm = 3,
    bar_throttle = 4
};
inline bool bar_is_boost(int barselect) {
    return barselect != bar_speed && barselect != bar_rpm && barselect != bar_throttle;
}

// Limits in raw units (the text shows value / 10 when decimals is 1).
struct FieldLimits {
    int32_t lo;
    int32_t hi;
    int decimals;
};
FieldLimits field_limits(FieldKind kind, bool psi, int barselect, int32_t working_max_boost);

// Typed bar maxima are rounded to whole steps of 10 km/h or 100 rpm; everything else to 1.
int32_t bar_max_multiple(int barselect);

// The normalised text of `typed` (read as a decimal number, scaled by the decimals, rounded to
// a multiple of `multiple`, clamped); nullopt when it is not a number.
std::optional<std::string> normalise_text(const std::string& typed, const FieldLimits& lim,
                                          int32_t multiple);
// One step of `multiple` up (dir 1) or down (dir -1) from the shown text, rounded and clamped
// as normalise_text; nullopt when the shown text is not a number.
std::optional<std::string> step_text(const std::string& shown, const FieldLimits& lim,
                                     int32_t multiple, int dir);

// A raw value as a field shows it: one decimal of value / 10, or the integer.
std::string field_text(int32_t value, int decimals);
// A pressure: "%.1f" of raw / 10 in PSI, the integer in kPa.
std::string pressure_text(int32_t raw, bool psi);
// The raw pressure of a field text: text x 10 rounded in PSI, the integer in kPa.
std::optional<int32_t> pressure_raw(const std::string& text, bool psi);
// The stored bar maximum (km/h / 10, rpm / 100, %, or a raw pressure) of its field text, and
// the text of a stored value.
std::optional<int32_t> bar_max_stored(const std::string& text, int barselect, bool psi);
std::string bar_max_text(int32_t stored, int barselect, bool psi);
// Text numbers (parameter catalogue) of the bar maximum's unit label and hint.
uint32_t bar_max_label(int barselect, bool psi);
uint32_t bar_max_hint(int barselect, bool psi);

// A field text as a whole number (closeth, offsets, ...); nullopt when it is not a number.
std::optional<int32_t> integer_of_text(const std::string& text);

// The special values of the warning and drop boosts.
inline int32_t warning_off_value(bool psi) {
    return psi ? 361 : 251;
}
inline int32_t boost_top(bool psi) {  // maximum of the pressure fields
    return psi ? 360 : 250;
}
inline int32_t low_boost_top(bool psi) {  // maximum of drop and scramble boost
    return psi ? 170 : 120;
}

// Entries of the dialog's lists, as the lists show them.
inline constexpr std::array<const char*, 2> kBypassTexts = {"SWING", "POPET"};
inline constexpr std::array<const char*, 2> kUnitTexts = {"kPa", "PSI"};
inline constexpr std::array<const char*, 6> kCylinderTexts = {" 1", " 2", " 3", " 4", " 6", " 8"};
inline constexpr std::array<const char*, 4> kSpeedPulseTexts = {" 2", " 4", " 8", " 16"};
inline constexpr std::array<const char*, 5> kBarSelectTexts = {" Boost A", " Boost B", " Speed",
                                                               " RPM", " Throttle"};
inline constexpr std::array<const char*, 6> kMapFunctionTexts = {
    " OFF", " Throttle", " RPM", " Speed", " RPM +Throttle", " Speed+Throttle"};
inline constexpr std::array<const char*, 5> kSamplingTimeTexts = {" 1", " 2", " 3", " 4", " 5"};

// Number of cylinders and speed pulses by list entry; the entry of a stored value (values the
// lists do not hold select the usual entry: 4 cylinders, 4 pulses).
inline constexpr std::array<uint8_t, 6> kCylinderEntries = {1, 2, 3, 4, 6, 8};
inline constexpr std::array<uint8_t, 4> kSpeedPulseEntries = {2, 4, 8, 16};
int cylinder_entry(uint8_t cyls);
int speed_pulse_entry(uint8_t pulses);

}  // namespace pv
