#include "core/logging/log_channels.h"

#include <algorithm>
#include <cstdio>

#include "core/link/netunit.h"
#include "core/ui/keys.h"
#include "core/ui/texts.h"

namespace pv {

const LogSide data_log_side{
    .window_name = "Tlog",
    .dialog_name = "Tlsetdlg",
    .channels = &Settings::log_channels,
    .back_color = &Settings::log_back_color,
    .last_file = &AppState::last_log_file,
    .open_flag = &AppState::log_open,
    .open_folder = []() -> std::string& { return settings.log_dir; },
    .placeholder_text = 19,
    .open_hint_text = 2,
    .open_filter_text = 9,
    .dialog_caption_text = 23,
    .limits = LimitRule::file_and_unit,
    .live_target = &live,
    .cursor = CursorLayer::live_cursor,
    .records = true,
    .opens_empty = false,
    .color_dialog_seed = std::nullopt,
    .form = {.client_width = 616,
             .client_height = 382,
             .title_text = 0,
             .buttons = {LogButton::open, LogButton::save, LogButton::zoom_out, LogButton::zoom_in,
                         LogButton::display_setting},
             .button_panel_height = 61,
             .stamp_in_one_line = false},
};

const LogSide comparison_log_side{
    .window_name = "Totherlog",
    .dialog_name = "Totherlsetdlg",
    .channels = &Settings::other_log_channels,
    .back_color = &Settings::other_log_back_color,
    .last_file = &AppState::last_other_log_file,
    .open_flag = &AppState::other_log_open,
    .open_folder = []() -> std::string& { return state.other_log_dir; },
    .placeholder_text = 29,
    .open_hint_text = 30,
    .open_filter_text = 32,
    .dialog_caption_text = 31,
    .limits = LimitRule::file_only,
    .live_target = &other_live,
    .cursor = CursorLayer::compare_cursor,
    .records = false,
    .opens_empty = true,
    .color_dialog_seed = 0xD8E9EC,
    .form = {.client_width = 345,
             .client_height = 312,
             .title_text = 29,
             .buttons = {LogButton::open, LogButton::display_setting, LogButton::zoom_out,
                         LogButton::zoom_in},
             .button_panel_height = 53,
             .stamp_in_one_line = true},
};

UnitScale current_unit_scale() {
    return {rev_is_rpm(), data.pressure_unit};
}

std::string log_channel_name(int channel, const LogScale& file) {
    switch (channel) {
        case ch_pressure:
            return text(Catalog::Log, 11);
        case ch_peak_hold:
            return text(Catalog::Log, 12);
        case ch_rev:
            return text(Catalog::Log, file.rev_flag == 1 ? 13 : 14);
        case ch_throttle:
            return text(Catalog::Log, 15);
        case ch_boost_correction:
            return text(Catalog::Log, 16);
        case ch_offset_correction:
            return text(Catalog::Log, 17);
        case ch_marking:
            return text(Catalog::Log, 18);
        default:
            return {};
    }
}

namespace {

bool is_pressure(int channel) {
    return channel == ch_pressure || channel == ch_peak_hold;
}

std::string printf_text(const char* format, auto value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

}  // namespace

std::string format_edit_count(int channel, int32_t count, const LogScale& file) {
    if (channel == ch_marking) return {};
    if (is_pressure(channel))
        return printf_text("%5.1f", count / (file.pressure_unit == 1 ? 100.0 : 10.0));
    if (channel == ch_rev) {
        // A speed count above 250 would read beyond anything the unit can show.
        long long shown = file.rev_flag == 1 ? count * 100LL : std::min(count, 250) * 2LL;
        return printf_text("%5lld", shown);
    }
    return std::to_string(count);
}

std::optional<int32_t> parse_edit_count(int channel, const std::string& text,
                                        const LogScale& file) {
    if (is_pressure(channel) || channel == ch_rev) {
        auto number = parse_number(text);
        if (!number) return std::nullopt;
        long double v = *number;
        if (is_pressure(channel))
            v *= file.pressure_unit == 1 ? 100 : 10;
        else
            v /= file.rev_flag == 1 ? 100 : 2;
        return round_half_even(v);
    }
    auto first = text.find_first_not_of(' ');
    auto last = text.find_last_not_of(' ');
    long v = 0;
    if (first == std::string::npos ||
        !parse_integer(text.substr(first, last - first + 1), INT32_MIN, INT32_MAX, v))
        return std::nullopt;
    return static_cast<int32_t>(v);
}

ChannelLimits channel_limits(LimitRule rule, int channel, const LogScale& file,
                             const UnitScale& unit_scale) {
    bool unit_rule = rule == LimitRule::file_and_unit;
    switch (channel) {
        case ch_pressure:
        case ch_peak_hold:
            return {2577, -832};
        case ch_rev: {
            bool speed =
                unit_rule ? !unit_scale.rev_is_rpm && file.rev_flag != 1 : file.rev_flag != 1;
            return {speed ? 250 : 120, 0};
        }
        case ch_throttle:
            return {100, 0};
        case ch_boost_correction: {
            bool psi = unit_rule ? unit_scale.pressure_unit == 1 || file.pressure_unit == 1
                                 : file.pressure_unit >= 1;
            return psi ? ChannelLimits{170, -240} : ChannelLimits{120, -170};
        }
        case ch_offset_correction:
            return {199, 1};
        default:
            return {120, 0};
    }
}

EntryBounds entry_bounds(EditField field, const LogChannel& rec, const ChannelLimits& limits) {
    auto within = [](int64_t v, int64_t lo, int64_t hi) {
        return static_cast<int32_t>(std::clamp(v, lo, hi));
    };
    if (field == EditField::max)
        return {within(int64_t{rec.min} + 1, int64_t{limits.bottom} + 1, limits.top), limits.top};
    return {limits.bottom, within(int64_t{rec.max} - 1, limits.bottom, int64_t{limits.top} - 1)};
}

bool is_step_key(int vkey) {
    return vkey == vk_return || vkey == vk_prior || vkey == vk_next || vkey == vk_up ||
           vkey == vk_down;
}

int32_t step_value(int vkey, int32_t value, const EntryBounds& bounds) {
    if (vkey == vk_prior || vkey == vk_up) return value < bounds.upper ? value + 1 : value;
    if (vkey == vk_next || vkey == vk_down) return value > bounds.lower ? value - 1 : value;
    return value;
}

ChannelSettingsWork::ChannelSettingsWork(const LogSide& side, const std::vector<int>& file_channels,
                                         const LogScale& file, const UnitScale& unit_scale)
    : side_(side), file_(file), unit_(unit_scale), background_(side.background()) {
    const auto& stored = side.channel_settings();
    for (int channel : file_channels) {
        LogChannel rec = is_log_channel(channel) ? stored[channel - 1] : LogChannel{};
        rows_.push_back({channel, log_channel_name(channel, file), rec});
    }
    current_ = rows_.empty() ? 0 : 1;
}

void ChannelSettingsWork::select(int row) {
    if (row >= 1 && row <= static_cast<int>(rows_.size())) current_ = row;
}

ChannelSettingsWork::RowView ChannelSettingsWork::view(int selected_count) const {
    if (current_ == 0) return {false, 0, {}, {}, false, false};
    const Row& r = rows_[current_ - 1];
    bool single = selected_count < 2;
    // The marking channel has no scale; a number that is no channel is never stored.
    bool scaled = is_log_channel(r.channel) && r.channel != ch_marking;
    return {r.rec.draw != 0,
            r.rec.color,
            format_edit_count(r.channel, r.rec.max, file_),
            format_edit_count(r.channel, r.rec.min, file_),
            single,
            single && scaled};
}

ChannelSettingsWork::RowLook ChannelSettingsWork::look(int row, bool selected) const {
    if (rows_[row - 1].rec.draw) return RowLook::normal;
    return selected ? RowLook::hidden_selected : RowLook::hidden;
}

void ChannelSettingsWork::set_draw(const std::vector<int>& selected_rows, bool draw) {
    for (int row : selected_rows)
        if (row >= 1 && row <= static_cast<int>(rows_.size())) rows_[row - 1].rec.draw = draw;
}

void ChannelSettingsWork::set_color(int32_t color) {
    if (current_ != 0) rows_[current_ - 1].rec.color = color;
}

EntryBounds ChannelSettingsWork::bounds(EditField field) const {
    const Row& r = rows_[current_ - 1];
    return entry_bounds(field, r.rec, channel_limits(side_.limits, r.channel, file_, unit_));
}

int32_t& ChannelSettingsWork::value(EditField field) {
    LogChannel& rec = rows_[current_ - 1].rec;
    return field == EditField::max ? rec.max : rec.min;
}

std::string ChannelSettingsWork::shown(EditField field) const {
    const Row& r = rows_[current_ - 1];
    return format_edit_count(r.channel, field == EditField::max ? r.rec.max : r.rec.min, file_);
}

void ChannelSettingsWork::take(EditField field, const std::string& text, bool keep_untouched) {
    EntryBounds b = bounds(field);
    int32_t& v = value(field);
    // For the step keys an untouched text stands for the exact count: read back, a pressure in
    // PSI would lose its hundredths and Up would step from the rounded value forever, never
    // moving. Leaving the edit reads its text back whatever it holds.
    if (keep_untouched && text == shown(field)) {
        v = Clamp(v, b.lower, b.upper);
        return;
    }
    if (auto parsed = parse_edit_count(rows_[current_ - 1].channel, text, file_))
        v = Clamp(*parsed, b.lower, b.upper);
}

std::optional<std::string> ChannelSettingsWork::key(EditField field, int vkey,
                                                    const std::string& text) {
    if (!is_step_key(vkey)) return std::nullopt;
    if (!view(1).edits_enabled) return text;
    take(field, text, true);
    value(field) = step_value(vkey, value(field), bounds(field));
    return shown(field);
}

std::string ChannelSettingsWork::leave(EditField field, const std::string& text) {
    if (!view(1).edits_enabled) return text;
    take(field, text, false);
    return shown(field);
}

void ChannelSettingsWork::commit() const {
    auto& stored = side_.channel_settings();
    for (const Row& r : rows_)
        if (is_log_channel(r.channel)) stored[r.channel - 1] = r.rec;
    side_.background() = background_;
}

}  // namespace pv
