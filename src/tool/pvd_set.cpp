// pvtool pvd set: the parameter dialog from a terminal. Each NAME=TEXT does what a user would
// do in the dialog (type into a field and leave it, pick a list entry, click a radio button),
// in order, and the file is written as OK writes the document.
#include <algorithm>
#include <cctype>
#include <ostream>
#include <span>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/params/memo.h"
#include "core/params/param_form.h"
#include "core/ui/texts.h"
#include "platform/codepage.h"
#include "tool/tool.h"

namespace pvtool {
namespace {

using pv::PrmField;
using pv::PrmForm;

enum class Kind { numeric, list, radio, memo };

struct Item {
    const char* name;
    Kind kind;
    std::span<const char* const> entries = {};
    bool initial_setup = false;
};

// Every item of the dialog, page by page in the order the dialog shows them.
const std::vector<Item>& items() {
    static const std::vector<Item> list = {
        {"ext_bypass", Kind::list, pv::kBypassTexts, true},
        {"pressure_unit", Kind::list, pv::kUnitTexts, true},
        {"cyls", Kind::list, pv::kCylinderTexts},
        {"backlight_level", Kind::numeric},
        {"rev_sampling", Kind::radio},
        {"after_on", Kind::radio},
        {"barselect", Kind::list, pv::kBarSelectTexts},
        {"axis_select_no", Kind::list, pv::kMapFunctionTexts},
        {"spdpulse", Kind::list, pv::kSpeedPulseTexts},
        {"closeth", Kind::numeric},
        {"openth", Kind::numeric},
        {"sampling_time", Kind::list, pv::kSamplingTimeTexts},
        {"normal_boost", Kind::numeric, {}, true},
        {"first_boost", Kind::numeric, {}, true},
        {"up_boost_offset", Kind::numeric, {}, true},
        {"setboost_a", Kind::numeric},
        {"offset_a", Kind::numeric},
        {"setboost_b", Kind::numeric},
        {"offset_b", Kind::numeric},
        {"sbc_boost", Kind::numeric},
        {"sbc_time", Kind::numeric},
        {"drop_boost", Kind::numeric},
        {"warning_boost", Kind::numeric},
        {"barmaxset", Kind::numeric},
        {"comment", Kind::memo},
    };
    return list;
}

// List entries are matched without their blanks and without regard to case, so that
// "RPM+Throttle" finds " RPM +Throttle" without quoting.
std::string squeezed(std::string_view s) {
    std::string out;
    for (char c : s)
        if (c != ' ') out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string trimmed(std::string_view s) {
    size_t b = s.find_first_not_of(' ');
    return b == std::string_view::npos ? std::string() : std::string(s.substr(b));
}

int entry_of(const Item& item, const std::string& text) {
    for (size_t k = 0; k < item.entries.size(); ++k)
        if (squeezed(item.entries[k]) == squeezed(text)) return static_cast<int>(k);
    return -1;
}

bool is_word(const std::string& text, const char* word) {
    return squeezed(text) == squeezed(word);
}

int& list_value(PrmForm& f, const std::string& name) {
    if (name == "ext_bypass") return f.ext_bypass;
    if (name == "pressure_unit") return f.unit;
    if (name == "cyls") return f.cyls_entry;
    if (name == "barselect") return f.barselect;
    if (name == "axis_select_no") return f.axis_select_no;
    if (name == "spdpulse") return f.spdpulse_entry;
    return f.sampling_time;
}

void pick(PrmForm& f, const std::string& name, int entry) {
    if (name == "ext_bypass")
        pv::prm_select_bypass(f, entry);
    else if (name == "pressure_unit")
        pv::prm_select_unit(f, entry);
    else if (name == "barselect")
        pv::prm_select_bar(f, entry);
    else if (name == "axis_select_no")
        pv::prm_select_map_function(f, entry);
    else if (name == "sampling_time")
        pv::prm_select_sampling_time(f, entry);
    else
        list_value(f, name) = entry;
}

bool& radio_of(PrmForm& f, const std::string& name) {
    return name == "rev_sampling" ? f.rev_sampling_on : f.after_on;
}

std::optional<std::string> encode_char(std::string_view c) {
    return pv::utf8_to_codepage(std::string(c), pv::settings.lang_id);
}

// The text the dialog shows for an item: a list entry, ON or OFF, a field's text, the memo.
std::string shown(PrmForm& f, const Item& item, const std::string& memo) {
    switch (item.kind) {
        case Kind::list: {
            int v = list_value(f, item.name);
            if (v >= 0 && static_cast<size_t>(v) < item.entries.size())
                return trimmed(item.entries[static_cast<size_t>(v)]);
            return std::to_string(v);  // a stored value no entry stands for
        }
        case Kind::radio:
            return radio_of(f, item.name) ? "ON" : "OFF";
        case Kind::memo:
            return terminal_safe(memo);
        case Kind::numeric:
            break;
    }
    PrmField field = *pv::prm_field_named(item.name);
    if ((field == PrmField::warning_boost && !f.warning_on) ||
        (field == PrmField::drop_boost && !f.drop_on))
        return "OFF";
    return f[field];
}

struct Refusal {
    std::string why;
};

// One NAME=TEXT; a refusal names the field and says why.
std::optional<Refusal> apply(PrmForm& f, std::string& memo, const std::string& assignment) {
    size_t eq = assignment.find('=');
    if (eq == std::string::npos || eq == 0) return Refusal{"NAME=TEXT expected: " + assignment};
    std::string name = assignment.substr(0, eq), text = assignment.substr(eq + 1);
    auto it =
        std::find_if(items().begin(), items().end(), [&](const Item& i) { return name == i.name; });
    if (it == items().end()) return Refusal{"unknown field \"" + name + "\""};
    const Item& item = *it;
    if (item.initial_setup && !f.setup_enabled)
        return Refusal{name + " is an initial setup item: only a New document (--new) takes it"};

    switch (item.kind) {
        case Kind::list: {
            int entry = entry_of(item, text);
            if (entry < 0) {
                std::string choices;
                for (const char* e : item.entries)
                    choices += (choices.empty() ? "" : ", ") + trimmed(e);
                return Refusal{name + ": \"" + text + "\" is not one of " + choices};
            }
            pick(f, name, entry);
            return std::nullopt;
        }
        case Kind::radio:
            if (!is_word(text, "ON") && !is_word(text, "OFF"))
                return Refusal{name + ": ON or OFF expected, not \"" + text + "\""};
            radio_of(f, name) = is_word(text, "ON");
            return std::nullopt;
        case Kind::memo: {
            pv::MemoFit fit = pv::fit_memo_edit(memo, text, encode_char);
            if (!fit.refused.empty())
                return Refusal{name + ": the data file cannot hold the character \"" + fit.refused +
                               "\""};
            if (fit.cut) return Refusal{name + ": longer than the data file's 255 bytes"};
            memo = fit.text;
            f.comment = fit.bytes;
            return std::nullopt;
        }
        case Kind::numeric:
            break;
    }

    PrmField field = *pv::prm_field_named(name);
    bool has_radio = field == PrmField::warning_boost || field == PrmField::drop_boost;
    auto click = [&](bool on) {
        if (field == PrmField::warning_boost)
            pv::prm_set_warning(f, on);
        else
            pv::prm_set_drop(f, on);
    };
    if (has_radio && (is_word(text, "ON") || is_word(text, "OFF"))) {
        click(is_word(text, "ON"));
        return std::nullopt;
    }
    if (!pv::parse_number(text)) return Refusal{name + ": \"" + text + "\" is not a number"};
    // A number for a switched-off warning or drop boost: the user clicks ON first.
    if (has_radio && !f.is_enabled(field)) click(true);
    pv::prm_enter(f, field);
    f[field] = text;
    pv::prm_exit(f, field);
    return std::nullopt;
}

}  // namespace

int pvd_set_main(const std::vector<std::string>& args, Io io) {
    bool is_new = !args.empty() && args[0] == "--new";
    if (args.size() < (is_new ? 3u : 2u)) {
        io.err << "usage: pvtool pvd set FILE NAME=TEXT ... | pvd set --new OUT NAME=TEXT ...\n";
        return kUsage;
    }
    const std::string& file = args[is_new ? 1 : 0];
    if (is_new) {
        pv::SetDefaultData();
    } else if (!pv::ReadDataFile(file)) {
        say(io.err, pv::msg_text(1));
        return kFailed;
    }

    PrmForm f;
    pv::prm_open(f, pv::data, is_new, pv::kStatusUnknown);
    std::string memo =
        pv::memo_text_of_comment(pv::codepage_to_utf8(pv::data.comment, pv::settings.lang_id));
    for (size_t k = is_new ? 2 : 1; k < args.size(); ++k) {
        if (auto refusal = apply(f, memo, args[k])) {
            io.err << "pvtool: " << refusal->why << "\n";
            return kUsage;
        }
    }

    pv::prm_ok(f, pv::data, pv::kStatusUnknown);  // no unit here: its status stays unknown
    pv::set_status_reader(nullptr);
    if (!pv::WriteDataFile(file)) {
        say(io.err, pv::msg_text(2));
        return kFailed;
    }
    for (const Item& item : items()) io.out << item.name << '\t' << shown(f, item, memo) << '\n';
    return kOk;
}

}  // namespace pvtool
