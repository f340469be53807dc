#include "core/link/lock.h"

#include <cctype>

#include "core/document/unit.h"
#include "core/link/link_timer.h"
#include "core/link/netunit.h"
#include "core/link/transfers.h"
#include "core/ui/hooks.h"
#include "core/ui/prompter.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

void msg_message(uint32_t n, Icon icon = Icon::Error) {
    prompter().message(icon, msg_text(n));
}

std::optional<std::string> ask_number(uint32_t prompt) {
    return prompter().input(text(Catalog::Menu, 45), msg_text(prompt), "");
}

// The checks Data Lock ON and OFF start with: readiness, then the status word.
bool lock_command_checks() {
    if (!unit_ready_check()) return false;
    if (!read_block(103)) {
        show_comm_error(103, false);
        return false;
    }
    return true;
}

}  // namespace

std::optional<bool> read_lock_state() {
    open_port();
    if (!read_block(103)) {
        show_comm_error(103, false);
        return std::nullopt;
    }
    return lock_set();
}

bool check_lock() {
    return read_lock_state().value_or(false);
}

LockEntry parse_lock_number(const std::string& text, uint16_t& number) {
    size_t at = 0, end = text.size();
    while (at < end && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
    while (end > at && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    bool negative = false;
    if (at < end && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    if (at == end) return LockEntry::not_integer;
    long value = 0;
    for (size_t k = at; k < end; ++k) {
        if (!std::isdigit(static_cast<unsigned char>(text[k]))) return LockEntry::not_integer;
        // Saturate: a long row of digits is still a number, just far out of range.
        if (value < 100000) value = value * 10 + (text[k] - '0');
    }
    if (negative || value < 1 || value > 9999) return LockEntry::out_of_range;
    number = static_cast<uint16_t>(value);
    return LockEntry::ok;
}

bool unlock_dialog() {
    auto locked = read_lock_state();
    if (!locked) return false;
    if (!*locked) return true;
    for (;;) {
        shell_views().normal_cursor();
        auto entry = ask_number(42);
        if (!entry) return false;
        uint16_t number = 0;
        LockEntry parsed = parse_lock_number(*entry, number);
        if (parsed == LockEntry::not_integer) {
            msg_message(44);
            continue;
        }
        if (parsed == LockEntry::out_of_range) {
            msg_message(41);
            continue;
        }
        unit.lock_number = number;
        msg_message(43, Icon::Information);

        bool written = false;
        {
            CommandPurpose purpose(cmd_lock);
            if (!write_block(111))
                show_comm_error(111, true);
            else if (!write_block(115))
                show_comm_error(115, true);
            else
                written = true;
        }
        // The number never reached the unit, so the status cannot tell whether it was right.
        if (!written) continue;

        Delay(100);
        open_port();
        if (!read_block(103)) {
            show_comm_error(103, false);
            continue;
        }
        if (lock_set()) {
            prompter().message(Icon::Error, error_text(52));
            continue;
        }
        return true;
    }
}

bool set_lock_dialog() {
    for (;;) {
        auto first = ask_number(37);
        if (!first) return false;
        uint16_t number = 0;
        if (parse_lock_number(*first, number) != LockEntry::ok) {
            msg_message(41);
            continue;
        }
        auto second = ask_number(38);
        if (!second) return false;
        uint16_t again = 0;
        if (parse_lock_number(*second, again) != LockEntry::ok) {
            msg_message(41);
            continue;
        }
        if (again != number) {
            msg_message(40);
            continue;
        }
        msg_message(39, Icon::Information);
        unit.lock_number = number;
        if (!write_block(111)) {
            show_comm_error(111, true);
            continue;
        }
        if (!write_block(115)) {
            show_comm_error(115, true);
            continue;
        }
        return true;
    }
}

bool data_lock_on() {
    set_comm_state(3);
    bool done = false;
    if (lock_command_checks()) {
        if (!setup_complete()) {
            msg_message(25);
        } else {
            if (check_lock() &&
                prompter().ask(Icon::Information, Buttons::OkCancel, msg_text(24)) == Answer::Ok)
                unlock_dialog();
            // Only a unit known to be unlocked takes a new number: on a locked unit the same
            // writes would be taken as an unlock attempt.
            if (read_lock_state() == false) {
                CommandPurpose purpose(cmd_lock);
                done = set_lock_dialog();
            }
        }
    }
    set_comm_state(0);
    return done;
}

bool data_lock_off() {
    set_comm_state(3);
    bool unlocked = false;
    if (lock_command_checks()) {
        if (!setup_complete()) {
            msg_message(26);
        } else if (auto locked = read_lock_state()) {
            if (*locked) {
                CommandPurpose purpose(cmd_lock);
                unlocked = unlock_dialog();
            } else {
                unlocked = true;
            }
        }
    }
    set_comm_state(0);
    return unlocked;
}

bool all_reset() {
    open_port();
    if (!unit_ready_check()) {
        release_port_if_idle();
        return false;
    }
    Answer a = Answer::No;
    {
        UiBusy busy;
        a = prompter().ask(Icon::Warning, Buttons::YesNo, msg_text(27));
    }
    if (a != Answer::Yes) {
        release_port_if_idle();
        return false;
    }

    link_off();
    Busy busy(3);
    bool done = false;
    {
        CommandPurpose purpose(cmd_reset);
        if (!write_block(116)) {
            show_comm_error(116, true);
        } else if (!write_block(115)) {
            show_comm_error(115, true);
        } else {
            // The read lands in the document; closing the map window may still save it, so
            // the document keeps its own pressure unit.
            uint8_t document_unit = data.pressure_unit;
            bool read = read_block(109);
            data.pressure_unit = document_unit;
            if (read) {
                if (state.doc_open) document_flow().close_map_window();
                link_off();
                Delay(50);
                done = true;
            } else {
                show_comm_error(109, false);
            }
            close_port();
        }
    }
    return done;
}

}  // namespace pv
