#include "core/link/transfers.h"

#include <array>
#include <vector>

#include "core/document/document_flow.h"
#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/lock.h"
#include "core/link/netunit.h"
#include "core/link/send_guard.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

constexpr std::array<int, 12> kParameterReads = {105, 106, 107, 108, 109, 110,
                                                 112, 113, 114, 119, 120, 121};
constexpr std::array<int, 8> kParameterWrites = {105, 106, 107, 108, 110, 112, 113, 121};
// The initial setup items: the unit takes them only with cmd_apply_initial.
constexpr std::array<int, 4> kSetupBlocks = {109, 114, 119, 120};

void error_message(uint32_t n) {
    link_error(error_text(n));
}
void msg_message(uint32_t n) {
    prompter().message(Icon::Error, msg_text(n));
}

struct SetupItems {
    uint8_t pressure_unit;
    uint8_t ext_bypass;
    uint16_t normal_boost;
    uint8_t up_boost_offset;
    uint16_t first_boost;

    static SetupItems of_document() {
        return {data.pressure_unit, data.ext_bypass, data.normal_boost, data.up_boost_offset,
                data.first_boost};
    }
    void restore() const {
        data.pressure_unit = pressure_unit;
        data.ext_bypass = ext_bypass;
        data.normal_boost = normal_boost;
        data.up_boost_offset = up_boost_offset;
        data.first_boost = first_boost;
    }
};

bool initial_items_due() {
    return state.doc_is_new || state.setup_override;
}

}  // namespace

void release_port_if_idle() {
    if (!state.link_on && !state.monitor_open) close_port();
}

std::string comm_error_text(int block_id, bool write) {
    int number = block_id * 10 + (write ? 2 : 1);
    static constexpr struct {
        int number;
        uint32_t text;
    } fixed[] = {
        {1031, 4},  {1041, 6},  {1091, 16}, {1092, 17}, {1112, 21}, {1141, 26},
        {1142, 27}, {1152, 29}, {1162, 31}, {1171, 32}, {1181, 34}, {1191, 36},
        {1192, 37}, {1201, 38}, {1202, 39}, {1011, 55}, {1021, 57},
    };
    for (const auto& f : fixed)
        if (f.number == number) return error_text(f.text);
    return error_text(50) + std::to_string(number) + error_text(51);
}

void show_comm_error(int block_id, bool write) {
    link_error(comm_error_text(block_id, write));
}

bool unit_ready_check() {
    if (!read_block(118)) {
        show_comm_error(118, false);
        return false;
    }
    if (unit.unit_link_ready == 0) {
        msg_message(11);
        return false;
    }
    return true;
}

bool start_checks() {
    open_port();
    if (!unit_ready_check()) return false;
    if (!read_block(103)) {
        show_comm_error(103, false);
        return false;
    }
    return true;
}

bool load_parameter_set() {
    if (!read_table(104)) {
        show_comm_error(104, false);
        return false;
    }
    for (int id : kParameterReads) {
        if (!read_block(id)) {
            show_comm_error(id, false);
            return false;
        }
    }
    // The versions only label the data; a unit that will not tell them still loads.
    unit.valve_version_read = read_block(101);
    if (unit.valve_version_read)
        read_target().file_valve_version = unit.valve_version;
    else
        show_comm_error(101, false);
    unit.display_version_read = read_block(102);
    if (unit.display_version_read)
        read_target().file_display_version = unit.display_version;
    else
        show_comm_error(102, false);
    return true;
}

bool send_parameter_set() {
    if (!state.send_allowed) return false;
    if (!write_table(104)) return false;

    // Past this point the unit already holds part of the new set, so the remaining blocks
    // and the closing command still go out after a failure; the result reports it.
    bool ok = true;
    for (int id : kParameterWrites) {
        if (!write_block(id)) {
            show_comm_error(id, true);
            ok = false;
            break;
        }
    }
    bool initial = initial_items_due();
    if (initial) {
        for (int id : kSetupBlocks) {
            if (!write_block(id)) {
                show_comm_error(id, true);
                ok = false;  // the unit would otherwise set itself up with stale items
                break;
            }
        }
    }
    {
        CommandPurpose purpose(initial ? cmd_apply_initial : cmd_apply);
        if (!write_block(115)) {
            show_comm_error(115, true);
            ok = false;
        }
    }
    state.doc_is_new = 0;
    transfer_progress().show_processing_dialog();
    return ok;
}

bool load_all_job() {
    transfer_progress().set_gauge_maximum(28);
    for (int id : kTableIds) {
        if (!read_table(id)) {
            show_comm_error(id, false);
            return false;
        }
    }
    return load_parameter_set();
}

bool send_all_job() {
    transfer_progress().set_gauge_maximum(initial_items_due() ? 29 : 25);
    for (int id : kTableIds) {
        if (!write_table(id)) {
            show_comm_error(id, true);
            return false;
        }
    }
    return send_parameter_set();
}

std::string net_label_text(uint8_t kind) {
    return text(Catalog::Net, kind == 1 ? 2 : 3);
}

bool run_net_dialog(uint8_t kind) {
    state.progress_open = 1;
    bool ok = transfer_progress().run_progress_dialog(
        kind, [kind] { return kind == 1 ? load_all_job() : send_all_job(); });
    state.progress_open = 0;
    return ok;
}

SetupComparison compare_initial_setup() {
    const SetupItems kept = SetupItems::of_document();
    // Reading the blocks overwrites the document's fields; they are put back on every path,
    // so a refused or broken check never changes the document.
    for (int id : kSetupBlocks) {
        if (!read_block(id)) {
            kept.restore();
            show_comm_error(id, false);
            return SetupComparison::failed;
        }
    }
    const SetupItems in_unit = SetupItems::of_document();
    kept.restore();

    std::vector<uint32_t> differing;
    if (kept.pressure_unit != in_unit.pressure_unit) differing.push_back(13);
    if (kept.ext_bypass != in_unit.ext_bypass) differing.push_back(14);
    if (kept.normal_boost != in_unit.normal_boost) differing.push_back(15);
    if (kept.up_boost_offset != in_unit.up_boost_offset) differing.push_back(16);
    if (kept.first_boost != in_unit.first_boost) differing.push_back(17);
    if (differing.empty()) return SetupComparison::same;

    std::string list;
    for (size_t k = 0; k < differing.size(); ++k) {
        if (k > 0) list += msg_text(18);
        list += msg_text(differing[k]);
    }
    std::string text = japanese() ? list + msg_text(19) : msg_text(19) + list + ".";
    prompter().message(Icon::Error, text);
    return SetupComparison::differ;
}

void version_check() {
    bool valve = read_block(101);
    bool display = read_block(102);
    if (!valve || !display) return;
    uint32_t refusal = 0;
    if (is_12x(unit.valve_version)) {
        if (!is_12x(unit.display_version))
            refusal = 59;
        else if (!is_12x(data.file_valve_version) || !is_12x(data.file_display_version))
            refusal = 53;
    } else if (is_12x(data.file_valve_version)) {
        refusal = 54;
    }
    if (refusal != 0) {
        error_message(refusal);
        state.send_allowed = 0;
    }
}

bool load_all_data() {
    if (!start_checks()) {
        release_port_if_idle();
        return false;
    }
    if (!setup_complete()) {
        msg_message(10);
        release_port_if_idle();
        return false;
    }
    if (check_lock()) unlock_dialog();
    if (lock_set() || (state.doc_open && !document_flow().close_map_window())) {
        release_port_if_idle();
        return false;
    }

    link_off();
    Busy busy(1);
    UiBusy ui_busy;
    bool ok = run_net_dialog(1);
    if (ok) {
        document_flow().make_map_window();
        state.doc_is_new = 0;
        document_flow().save_unit_data();
        keep_loaded_point();
        document_flow().set_map_caption(text(Catalog::Map, 23));
        link_on_start();
        state.last_log_file = text(Catalog::Log, 19);
        state.last_other_log_file = text(Catalog::Log, 29);
        log_views().log_captions_reset();
    } else {
        error_message(46);
    }
    return ok;
}

bool load_parameter() {
    bool ready = false;
    {
        Busy busy(3);
        ready = start_checks();
    }
    if (!ready) return false;
    if (!setup_complete()) {
        msg_message(10);
        return false;
    }
    if (!state.doc_open) return false;

    bool grid_was_enabled = document_views().grid_enabled();
    bool loaded = false;
    {
        Busy busy(3);
        if (check_lock()) unlock_dialog();
        // Loading replaces the parameters of a modified document: they are saved first, or kept.
        if (!lock_set() && save_modified_document_if_wanted()) {
            busy.to(1);
            loaded = load_parameter_set();
            if (loaded)
                document_views().setup_grid();
            else
                error_message(42);
        }
    }
    if (!grid_was_enabled) document_views().set_grid_enabled(false);
    return loaded;
}

namespace {

// A locked unit takes no data: the user may give its number first, or the send stops here.
bool unlocked_for_send() {
    if (check_lock() && prompter().ask(Icon::Warning, Buttons::YesNo, msg_text(22)) == Answer::Yes)
        unlock_dialog();
    return !lock_set();
}

}  // namespace

bool send_all_data() {
    document_views().commit_axis_edit();
    Busy busy(3);
    bool sent = false;
    if (unit_ready_check()) {
        state.send_allowed = 0;
        if (!read_block(103)) {
            show_comm_error(103, false);
            busy.to(0);
        } else {
            if (setup_complete()) {
                SetupComparison c = compare_initial_setup();
                if (c == SetupComparison::same) {
                    state.send_allowed = 1;
                } else if (c == SetupComparison::differ) {
                    state.send_allowed = 0;
                    state.setup_override = 0;
                    busy.to(0);
                }
            } else {
                state.send_allowed = 1;
                if (setup_second_run()) {
                    prompter().message(Icon::Warning, msg_text(20));
                    state.send_allowed = 0;
                    state.setup_override = 0;
                } else {
                    bool yes =
                        prompter().ask(Icon::Warning, Buttons::YesNo, msg_text(21)) == Answer::Yes;
                    state.send_allowed = yes;
                    state.setup_override = yes;
                }
            }
        }

        version_check();
        if (state.send_allowed) {
            if (state.link_on) link_off();
            if (state.log_link) {
                log_views().log_link_off();
                state.log_link = 0;
            }
            if (document_views().commit_axis_edit()) {
                busy.to(3);
                if (unlocked_for_send() && guard_send(RestoreCause::before_send_all)) {
                    set_comm_state(2);
                    UiBusy ui_busy;
                    sent = run_net_dialog(2);
                    if (sent) {
                        link_on_start();
                        document_flow().make_map_window();
                    } else {
                        error_message(46);
                    }
                }
                busy.to(0);
            }
        }
    }
    state.send_allowed = 0;
    state.setup_override = 0;
    return sent;
}

bool send_parameter() {
    Busy busy(3);
    bool sent = false;
    if (start_checks()) {
        if (!setup_complete()) {
            msg_message(23);
        } else if (compare_initial_setup() == SetupComparison::same) {
            state.send_allowed = 1;
            version_check();
            if (state.send_allowed && state.doc_open) {
                busy.to(0);
                busy.to(3);
                if (unlocked_for_send() && guard_send(RestoreCause::before_send_parameter)) {
                    busy.to(2);
                    sent = send_parameter_set();
                    if (!sent) error_message(43);
                    busy.to(0);
                }
            }
        }
    }
    state.send_allowed = 0;
    return sent;
}

}  // namespace pv
