#include "core/params/param_form.h"

#include <algorithm>
#include <limits>

#include "core/document/unit.h"

namespace pv {

namespace {

// Value texts of the valve condition page (parameter catalogue).
enum : uint32_t {
    t_off = 61,
    t_on = 62,
    t_start = 64,
    t_finish = 65,
    t_first = 67,
    t_second = 68,
    t_swing = 70,
    t_popet = 71,
    t_mode_a = 73,
    t_mode_b = 74,
    t_rpm = 76,
    t_speed = 77,
    t_dash = 106,
};

bool bit(uint16_t word, int n) {
    return (word >> n) & 1u;
}

// The map function's axes: vertical (throttle) in use, horizontal in use, horizontal is rpm.
struct MapFunction {
    bool vertical;
    bool horizontal;
    uint32_t type;
};
MapFunction map_function(int axis_select_no) {
    switch (axis_select_no) {
        case 1:
            return {true, false, t_dash};
        case 2:
            return {false, true, t_rpm};
        case 3:
            return {false, true, t_speed};
        case 4:
            return {true, true, t_rpm};
        case 5:
            return {true, true, t_speed};
        default:
            return {false, false, t_dash};
    }
}

constexpr std::array<PrmField, 4> kSetBoosts = {PrmField::setboost_a, PrmField::setboost_b,
                                                PrmField::normal_boost, PrmField::first_boost};

int32_t& working_of(PrmForm& f, PrmField field) {
    switch (field) {
        case PrmField::setboost_a:
            return f.w.setboost_a;
        case PrmField::setboost_b:
            return f.w.setboost_b;
        case PrmField::normal_boost:
            return f.w.normal_boost;
        case PrmField::first_boost:
            return f.w.first_boost;
        case PrmField::sbc_boost:
            return f.w.sbc_boost;
        case PrmField::warning_boost:
            return f.w.warning_boost;
        case PrmField::drop_boost:
            return f.w.drop_boost;
        default:
            return f.w.barmaxset;
    }
}

bool is_pressure(PrmField field) {
    switch (field) {
        case PrmField::setboost_a:
        case PrmField::setboost_b:
        case PrmField::normal_boost:
        case PrmField::first_boost:
        case PrmField::sbc_boost:
        case PrmField::warning_boost:
        case PrmField::drop_boost:
            return true;
        default:
            return false;
    }
}

void set_enabled(PrmForm& f, PrmField field, bool on) {
    f.enabled[static_cast<size_t>(field)] = on;
}

void show_unit_texts(PrmForm& f) {
    f.unit_label = f.psi() ? 97 : 96;
    f.boost_hint = f.psi() ? 50 : 41;
    f.low_boost_hint = f.psi() ? 99 : 98;
}

// Label, hint and text of the bar maximum for the current selection, from `stored`.
void show_bar_max(PrmForm& f, int32_t stored) {
    f.bar_label = bar_max_label(f.barselect, f.psi());
    f.bar_hint = bar_max_hint(f.barselect, f.psi());
    f[PrmField::barmaxset] = bar_max_text(stored, f.barselect, f.psi());
}

void show_warning_off(PrmForm& f) {
    f.warning_on = false;
    set_enabled(f, PrmField::warning_boost, false);
    f.w.warning_boost = warning_off_value(f.psi());
    f[PrmField::warning_boost] = pressure_text(boost_top(f.psi()), f.psi());
}

void show_drop_off(PrmForm& f) {
    f.drop_on = false;
    set_enabled(f, PrmField::drop_boost, false);
    f.w.drop_boost = 0;
    f[PrmField::drop_boost] = "0";
}

// A whole number of a field text for a document field of type T. A text that is not a
// number (or does not fit) leaves the document's value.
template <typename T>
void store_integer(const std::optional<int32_t>& v, T& out) {
    if (v && *v >= std::numeric_limits<T>::min() && *v <= std::numeric_limits<T>::max())
        out = static_cast<T>(*v);
}

}  // namespace

ValveLabels valve_labels_of_status(uint16_t s) {
    ValveLabels v;
    v.yaxis = bit(s, 2) ? t_on : t_off;
    v.xaxis = bit(s, 3) ? t_on : t_off;
    v.xaxistype = bit(s, 4) ? t_rpm : t_speed;
    v.select = bit(s, 11) ? t_mode_b : t_mode_a;
    v.valvetype = bit(s, 12) ? t_swing : t_popet;
    v.studyno = bit(s, 13) ? t_second : t_first;
    v.study = bit(s, 14) ? t_finish : t_start;
    v.power = bit(s, 15) ? t_on : t_off;
    return v;
}

ValveLabels valve_labels_of_document(uint16_t status_word, uint8_t axis_select_no) {
    ValveLabels v = valve_labels_of_status(status_word);
    if (!bit(status_word, 4) && axis_select_no == 0) v.xaxistype = t_dash;
    v.power = t_dash;
    return v;
}

uint16_t derived_status_word(const ControllerData& d) {
    uint16_t s = 0;
    if (d.ext_bypass != 1) s |= 1u << 12;
    if (d.rev_sampling == 1) s |= 1u << 7;
    if (d.after_on == 1) s |= 1u << 6;
    if (d.pressure_unit == 0) s |= 1u << 5;
    MapFunction m = map_function(d.axis_select_no);
    if (m.vertical) s |= 1u << 2;
    if (m.horizontal) s |= 1u << 3;
    if (m.type == t_rpm) s |= 1u << 4;
    return s;
}

ValveLabels valve_labels_of_new(const ControllerData& d) {
    ValveLabels v;
    preview_bypass(v, d.ext_bypass);
    preview_map_function(v, d.axis_select_no);
    v.select = v.studyno = v.study = v.power = t_dash;
    return v;
}

void preview_map_function(ValveLabels& v, int axis_select_no) {
    MapFunction m = map_function(axis_select_no);
    v.xaxistype = m.type;
    v.xaxis = m.horizontal ? t_on : t_off;
    v.yaxis = m.vertical ? t_on : t_off;
}

void preview_bypass(ValveLabels& v, int ext_bypass) {
    v.valvetype = ext_bypass == 1 ? t_popet : t_swing;
}

void prm_open(PrmForm& f, const ControllerData& d, bool doc_is_new, uint16_t status) {
    f = PrmForm{};
    f.unit = d.pressure_unit;
    f.doc_is_new = doc_is_new;
    f.w = {d.setboost_a,    d.setboost_b, d.barmaxset,    d.sbc_boost,
           d.warning_boost, d.drop_boost, d.normal_boost, d.first_boost};

    f.cyls_entry = cylinder_entry(d.cyls);
    f.spdpulse_entry = speed_pulse_entry(d.spdpulse);
    f.barselect = d.barselect;
    f.axis_select_no = d.axis_select_no;
    f.ext_bypass = d.ext_bypass;
    f.sampling_time = d.sampling_time;
    f.rev_sampling_on = d.rev_sampling == 1;
    f.after_on = d.after_on == 1;

    f.enabled.fill(true);
    show_unit_texts(f);
    show_bar_max(f, d.barmaxset);
    f[PrmField::closeth] = std::to_string(d.closeth);
    f[PrmField::openth] = std::to_string(d.openth);
    f[PrmField::backlight_level] = std::to_string(d.backlight_level);
    f[PrmField::offset_a] = std::to_string(d.offset_a);
    f[PrmField::offset_b] = std::to_string(d.offset_b);
    f[PrmField::up_boost_offset] = std::to_string(d.up_boost_offset);
    f[PrmField::sbc_time] = std::to_string(d.sbc_time);
    for (PrmField p : kSetBoosts) f[p] = pressure_text(working_of(f, p), f.psi());
    f[PrmField::sbc_boost] = pressure_text(d.sbc_boost, f.psi());

    if (d.warning_boost < warning_off_value(f.psi())) {
        f[PrmField::warning_boost] = pressure_text(d.warning_boost, f.psi());
    } else {
        show_warning_off(f);
        f.w.warning_boost = d.warning_boost;
    }
    if (d.drop_boost != 0) {
        f.drop_on = true;
        f[PrmField::drop_boost] = pressure_text(d.drop_boost, f.psi());
    } else {
        show_drop_off(f);
    }

    f.setup_enabled = doc_is_new;
    for (const auto& def : prm_fields())
        if (def.initial_setup) set_enabled(f, def.field, doc_is_new);

    if (status != kStatusUnknown) {
        f.valve = valve_labels_of_status(status);
        f.derived_status_word = 0;
    } else if (doc_is_new) {
        f.valve = valve_labels_of_new(d);
        f.derived_status_word = derived_status_word(d);
    } else {
        f.valve = valve_labels_of_document(d.status_word, d.axis_select_no);
        f.derived_status_word = d.status_word;
    }
    f.comment = d.comment;
}

FieldLimits prm_limits(const PrmForm& f, PrmField field) {
    return field_limits(prm_field(field).kind, f.psi(), f.barselect, f.w.normal_boost);
}

void prm_enter(PrmForm& f, PrmField field) {
    f.last_valid = f[field];
    f.bar_editing = field == PrmField::barmaxset;
}

bool prm_normalise(PrmForm& f, PrmField field) {
    int32_t multiple = f.bar_editing ? bar_max_multiple(f.barselect) : 1;
    auto t = normalise_text(f[field], prm_limits(f, field), multiple);
    f[field] = t ? *t : f.last_valid;
    f.last_valid = f[field];

    if (field == PrmField::barmaxset) {
        if (auto v = bar_max_stored(f[field], f.barselect, f.psi())) f.w.barmaxset = *v;
    } else if (is_pressure(field)) {
        if (auto v = pressure_raw(f[field], f.psi())) working_of(f, field) = *v;
    }
    if (field == PrmField::normal_boost) {
        for (PrmField p : {PrmField::setboost_a, PrmField::setboost_b, PrmField::first_boost}) {
            if (working_of(f, p) < f.w.normal_boost) {
                working_of(f, p) = f.w.normal_boost;
                f[p] = f[PrmField::normal_boost];
            }
        }
    }
    return t.has_value();
}

bool prm_exit(PrmForm& f, PrmField field) {
    bool ok = prm_normalise(f, field);
    if (field == PrmField::barmaxset) f.bar_editing = false;
    return ok;
}

bool prm_step(PrmForm& f, PrmField field, int dir) {
    int32_t multiple = field == PrmField::barmaxset ? bar_max_multiple(f.barselect) : 1;
    auto t = step_text(f[field], prm_limits(f, field), multiple, dir);
    f[field] = t ? *t : f.last_valid;
    f.last_valid = f[field];
    return t.has_value();
}

void prm_set_warning(PrmForm& f, bool on) {
    f.warning_on = on;
    set_enabled(f, PrmField::warning_boost, on);
}

void prm_set_drop(PrmForm& f, bool on) {
    f.drop_on = on;
    set_enabled(f, PrmField::drop_boost, on);
    if (on && f.w.drop_boost == 0) f[PrmField::drop_boost] = f.psi() ? "0.1" : "1";
}

void prm_select_bar(PrmForm& f, int barselect) {
    f.barselect = barselect;
    int32_t b = f.w.barmaxset;
    switch (barselect) {
        case bar_speed:
            b = std::min(b, 50);
            break;
        case bar_rpm:
            b = std::min(b, 120);
            break;
        case bar_throttle:
            b = std::min(b, 100);
            break;
        default:
            break;
    }
    show_bar_max(f, b);
}

void prm_select_unit(PrmForm& f, int pressure_unit) {
    if (pressure_unit == f.unit) return;
    // The numbers stay as they are: only the limits move between the two units.
    bool was_psi = f.psi();
    for (PrmField p :
         {PrmField::setboost_a, PrmField::setboost_b, PrmField::normal_boost, PrmField::first_boost,
          PrmField::sbc_boost, PrmField::warning_boost, PrmField::drop_boost})
        if (auto v = pressure_raw(f[p], was_psi)) working_of(f, p) = *v;
    if (auto v = bar_max_stored(f[PrmField::barmaxset], f.barselect, was_psi)) f.w.barmaxset = *v;

    f.unit = pressure_unit;
    bool psi = f.psi();
    show_unit_texts(f);
    if (psi) {
        for (PrmField p : kSetBoosts)
            if (working_of(f, p) == 250) working_of(f, p) = 360;
        if (f.w.sbc_boost == 120) f.w.sbc_boost = 170;
    } else {
        for (PrmField p : kSetBoosts) working_of(f, p) = std::min(working_of(f, p), 250);
        f.w.sbc_boost = std::min(f.w.sbc_boost, 120);
    }
    for (PrmField p : kSetBoosts) f[p] = pressure_text(working_of(f, p), psi);
    f[PrmField::sbc_boost] = pressure_text(f.w.sbc_boost, psi);

    int32_t warning_limit = psi ? 250 : 360;  // above it the old unit meant OFF
    if (f.w.warning_boost > warning_limit || !f.warning_on) {
        show_warning_off(f);
    } else {
        f.warning_on = true;
        set_enabled(f, PrmField::warning_boost, true);
        if (psi && f.w.warning_boost == 250) f.w.warning_boost = 360;
        if (!psi) f.w.warning_boost = std::min(f.w.warning_boost, 250);
        f[PrmField::warning_boost] = pressure_text(f.w.warning_boost, psi);
    }
    if (f.w.drop_boost != 0 && f.drop_on) {
        if (psi && f.w.drop_boost == 120) f.w.drop_boost = 170;
        if (!psi) f.w.drop_boost = std::min(f.w.drop_boost, 120);
        f[PrmField::drop_boost] = pressure_text(f.w.drop_boost, psi);
    } else {
        show_drop_off(f);
    }

    if (bar_is_boost(f.barselect)) {
        if (psi && f.w.barmaxset == 250) f.w.barmaxset = 360;
        if (!psi) f.w.barmaxset = std::min(f.w.barmaxset, 250);
    }
    show_bar_max(f, f.w.barmaxset);
}

void prm_select_bypass(PrmForm& f, int ext_bypass) {
    f.ext_bypass = ext_bypass;
    preview_bypass(f.valve, ext_bypass);
}

void prm_select_map_function(PrmForm& f, int axis_select_no) {
    f.axis_select_no = axis_select_no;
    preview_map_function(f.valve, axis_select_no);
}

void prm_select_sampling_time(PrmForm& f, int sampling_time) {
    f.sampling_time = sampling_time;
    // The sampling time list shares the map function's change handler.
    preview_map_function(f.valve, f.axis_select_no);
}

void prm_ok(const PrmForm& f, ControllerData& d, uint16_t status) {
    bool psi = f.psi();
    auto in_list = [](int entry, size_t size) {
        return entry >= 0 && static_cast<size_t>(entry) < size;
    };
    if (in_list(f.cyls_entry, kCylinderEntries.size()))
        d.cyls = kCylinderEntries[static_cast<size_t>(f.cyls_entry)];
    if (in_list(f.spdpulse_entry, kSpeedPulseEntries.size()))
        d.spdpulse = kSpeedPulseEntries[static_cast<size_t>(f.spdpulse_entry)];
    store_integer(integer_of_text(f[PrmField::closeth]), d.closeth);
    store_integer(integer_of_text(f[PrmField::openth]), d.openth);
    store_integer(integer_of_text(f[PrmField::backlight_level]), d.backlight_level);
    store_integer(integer_of_text(f[PrmField::offset_a]), d.offset_a);
    store_integer(integer_of_text(f[PrmField::offset_b]), d.offset_b);
    store_integer(integer_of_text(f[PrmField::sbc_time]), d.sbc_time);
    store_integer(integer_of_text(f[PrmField::up_boost_offset]), d.up_boost_offset);
    store_integer(std::optional<int32_t>(f.barselect), d.barselect);
    store_integer(std::optional<int32_t>(f.axis_select_no), d.axis_select_no);
    store_integer(std::optional<int32_t>(f.ext_bypass), d.ext_bypass);
    store_integer(std::optional<int32_t>(f.sampling_time), d.sampling_time);
    d.rev_sampling = f.rev_sampling_on ? 1 : 0;
    d.after_on = f.after_on ? 1 : 0;

    store_integer(bar_max_stored(f[PrmField::barmaxset], f.barselect, psi), d.barmaxset);
    store_integer(pressure_raw(f[PrmField::setboost_a], psi), d.setboost_a);
    store_integer(pressure_raw(f[PrmField::setboost_b], psi), d.setboost_b);
    store_integer(pressure_raw(f[PrmField::normal_boost], psi), d.normal_boost);
    store_integer(pressure_raw(f[PrmField::first_boost], psi), d.first_boost);
    store_integer(pressure_raw(f[PrmField::sbc_boost], psi), d.sbc_boost);
    if (f.warning_on) {
        if (auto v = pressure_raw(f[PrmField::warning_boost], psi))
            d.warning_boost = static_cast<uint16_t>(std::clamp(*v, 0, boost_top(psi)));
    } else {
        d.warning_boost = static_cast<uint16_t>(warning_off_value(psi));
    }
    if (f.drop_on) {
        if (auto v = pressure_raw(f[PrmField::drop_boost], psi))
            d.drop_boost = static_cast<uint8_t>(std::clamp(*v, 0, low_boost_top(psi)));
    } else {
        d.drop_boost = 0;
    }
    store_integer(std::optional<int32_t>(f.unit), d.pressure_unit);
    d.warning_on = f.warning_on ? 1 : 0;

    if (status != kStatusUnknown)
        d.status_word = status;
    else if (f.doc_is_new)
        d.status_word = derived_status_word(d);  // the choices just made, not those at opening
    else
        d.status_word = f.derived_status_word;
    d.comment = f.comment;
}

}  // namespace pv
