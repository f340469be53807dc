#include "core/params/param_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "core/document/unit.h"

namespace pv {

namespace {

// Limits by kind, in raw units, for a kPa and a PSI document. Kind 3's lower limit and the
// bar maximum are worked out in field_limits.
struct KindRange {
    FieldKind kind;
    int32_t kpa_lo, kpa_hi;
    int32_t psi_lo, psi_hi;
    int psi_decimals;
};
constexpr std::array<KindRange, 8> kKinds = {{
    {FieldKind::voltage, 0, 5000, 0, 5000, 0},
    {FieldKind::percent, 0, 100, 0, 100, 0},
    {FieldKind::set_boost, 0, 250, 0, 360, 1},
    {FieldKind::offset, 1, 199, 1, 199, 0},
    {FieldKind::scramble_boost, 0, 120, 0, 170, 1},
    {FieldKind::scramble_time, 0, 60, 0, 60, 0},
    {FieldKind::boost, 0, 250, 0, 360, 1},
    {FieldKind::drop_boost, 1, 120, 1, 170, 1},
}};

constexpr std::array<PrmFieldDef, kPrmFieldCount> kFields = {{
    {PrmField::closeth, "closeth", FieldKind::voltage, false},
    {PrmField::openth, "openth", FieldKind::voltage, false},
    {PrmField::backlight_level, "backlight_level", FieldKind::percent, false},
    {PrmField::normal_boost, "normal_boost", FieldKind::boost, true},
    {PrmField::first_boost, "first_boost", FieldKind::set_boost, true},
    {PrmField::up_boost_offset, "up_boost_offset", FieldKind::offset, true},
    {PrmField::setboost_a, "setboost_a", FieldKind::set_boost, false},
    {PrmField::offset_a, "offset_a", FieldKind::offset, false},
    {PrmField::setboost_b, "setboost_b", FieldKind::set_boost, false},
    {PrmField::offset_b, "offset_b", FieldKind::offset, false},
    {PrmField::sbc_boost, "sbc_boost", FieldKind::scramble_boost, false},
    {PrmField::sbc_time, "sbc_time", FieldKind::scramble_time, false},
    {PrmField::drop_boost, "drop_boost", FieldKind::drop_boost, false},
    {PrmField::warning_boost, "warning_boost", FieldKind::boost, false},
    {PrmField::barmaxset, "barmaxset", FieldKind::bar_max, false},
}};

int32_t round_to_multiple(long double v, int32_t multiple) {
    if (multiple <= 1) return round_half_even(v);
    return round_half_even(v / multiple) * multiple;
}

// The typed number times 10 to the power `decimals`. The decimal point is moved in the text
// before it is read, so that 0.15 PSI is exactly 1.5 tenths and rounds like it.
std::optional<long double> scaled(const std::string& text, int decimals) {
    if (!parse_number(text)) return std::nullopt;
    if (decimals == 0) return parse_number(text);
    size_t b = text.find_first_not_of(" \t");
    std::string s = text.substr(b, text.find_last_not_of(" \t") + 1 - b);
    long exp = decimals;
    if (size_t e = s.find_first_of("eE"); e != std::string::npos) {
        long written = 0;
        const char* first = s.data() + e + 1 + (s[e + 1] == '+' ? 1 : 0);
        auto r = std::from_chars(first, s.data() + s.size(), written);
        if (r.ec != std::errc()) written = s[e + 1] == '-' ? -100000 : 100000;
        exp += std::clamp(written, -100000L, 100000L);
        s.erase(e);
    }
    return parse_number(s + "e" + std::to_string(exp));
}

}  // namespace

const std::array<PrmFieldDef, kPrmFieldCount>& prm_fields() {
    return kFields;
}

const PrmFieldDef& prm_field(PrmField f) {
    return kFields[static_cast<size_t>(f)];
}

std::optional<PrmField> prm_field_named(std::string_view name) {
    for (const auto& d : kFields)
        if (name == d.name) return d.field;
    return std::nullopt;
}

FieldLimits field_limits(FieldKind kind, bool psi, int barselect, int32_t working_max_boost) {
    if (kind == FieldKind::bar_max) {
        switch (barselect) {
            case bar_speed:
                return {0, 500, 0};
            case bar_rpm:
                return {0, 12000, 0};
            case bar_throttle:
                return {0, 100, 0};
            default:
                kind = FieldKind::boost;
        }
    }
    const KindRange* r = &kKinds[0];
    for (const auto& k : kKinds)
        if (k.kind == kind) r = &k;
    FieldLimits lim = psi ? FieldLimits{r->psi_lo, r->psi_hi, r->psi_decimals}
                          : FieldLimits{r->kpa_lo, r->kpa_hi, 0};
    // A maximum boost above the top (only from a file) must not turn the clamp upside down.
    if (kind == FieldKind::set_boost) lim.lo = std::clamp(working_max_boost, 0, lim.hi);
    return lim;
}

int32_t bar_max_multiple(int barselect) {
    return barselect == bar_speed ? 10 : barselect == bar_rpm ? 100 : 1;
}

std::string field_text(int32_t value, int decimals) {
    return FormatFixed(value, decimals > 0 ? 1 : 0);
}

std::optional<std::string> normalise_text(const std::string& typed, const FieldLimits& lim,
                                          int32_t multiple) {
    auto v = scaled(typed, lim.decimals);
    if (!v) return std::nullopt;
    return field_text(Clamp(round_to_multiple(*v, multiple), lim.lo, lim.hi), lim.decimals);
}

std::optional<std::string> step_text(const std::string& shown, const FieldLimits& lim,
                                     int32_t multiple, int dir) {
    auto v = scaled(shown, lim.decimals);
    if (!v) return std::nullopt;
    long double next = *v + static_cast<long double>(dir) * multiple;
    return field_text(Clamp(round_to_multiple(next, multiple), lim.lo, lim.hi), lim.decimals);
}

std::string pressure_text(int32_t raw, bool psi) {
    return field_text(raw, psi ? 1 : 0);
}

std::optional<int32_t> pressure_raw(const std::string& text, bool psi) {
    auto v = scaled(text, psi ? 1 : 0);
    if (!v) return std::nullopt;
    return round_half_even(*v);
}

std::optional<int32_t> integer_of_text(const std::string& text) {
    return pressure_raw(text, false);
}

std::optional<int32_t> bar_max_stored(const std::string& text, int barselect, bool psi) {
    auto v = parse_number(text);
    if (!v) return std::nullopt;
    switch (barselect) {
        case bar_speed:
            return round_half_even(static_cast<long double>(*v) / 10);
        case bar_rpm:
            return round_half_even(static_cast<long double>(*v) / 100);
        case bar_throttle:
            return round_half_even(*v);
        default:
            return pressure_raw(text, psi);
    }
}

std::string bar_max_text(int32_t stored, int barselect, bool psi) {
    switch (barselect) {
        case bar_speed:
            return std::to_string(stored * 10);
        case bar_rpm:
            return std::to_string(stored * 100);
        case bar_throttle:
            return std::to_string(stored);
        default:
            return pressure_text(stored, psi);
    }
}

uint32_t bar_max_label(int barselect, bool psi) {
    switch (barselect) {
        case bar_speed:
            return 100;
        case bar_rpm:
            return 102;
        case bar_throttle:
            return 104;
        default:
            return psi ? 97 : 96;
    }
}

uint32_t bar_max_hint(int barselect, bool psi) {
    switch (barselect) {
        case bar_speed:
            return 101;
        case bar_rpm:
            return 103;
        case bar_throttle:
            return 105;
        default:
            return psi ? 50 : 41;
    }
}

int cylinder_entry(uint8_t cyls) {
    for (size_t k = 0; k < kCylinderEntries.size(); ++k)
        if (kCylinderEntries[k] == cyls) return static_cast<int>(k);
    return 3;
}

int speed_pulse_entry(uint8_t pulses) {
    for (size_t k = 0; k < kSpeedPulseEntries.size(); ++k)
        if (kSpeedPulseEntries[k] == pulses) return static_cast<int>(k);
    return 1;
}

}  // namespace pv
