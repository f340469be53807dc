#include "core/link/port_catalogue.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/document/unit.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

PortCatalogue* installed = nullptr;

bool is_adapter(const PortEntry& e) {
    return e.kind == PortKind::usb || e.kind == PortKind::acm || e.kind == PortKind::pseudo;
}

bool names(const PortEntry& e, const std::string& path) {
    return !path.empty() && (e.id == path || e.device == path);
}

const PortEntry* find(const std::vector<PortEntry>& list, const std::string& path) {
    for (const PortEntry& e : list)
        if (names(e, path)) return &e;
    return nullptr;
}

std::string default_device(int com_number) {
    return "/dev/ttyS" + std::to_string(com_number - 1);
}

std::string base_name(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

// The on-board port that COM n stands for when the settings name none: ttyS(n-1).
const PortEntry* onboard_of(const std::vector<PortEntry>& list, int com_number) {
    const std::string tty = base_name(default_device(com_number));
    for (const PortEntry& e : list)
        if (e.kind == PortKind::onboard && e.present && base_name(e.device) == tty) return &e;
    return nullptr;
}

const char* port_override() {
    const char* env = std::getenv("PVEDIT_PORT");
    return env && *env ? env : nullptr;
}

}  // namespace

PortList& port_list() {
    static PortList list;
    return list;
}

void set_port_catalogue(PortCatalogue* catalogue) {
    installed = catalogue;
}

PortCatalogue* port_catalogue() {
    return installed;
}

std::string com_port_name(int com_number) {
    if (const char* env = port_override()) return env;
    if (com_number >= 0 && static_cast<size_t>(com_number) < settings.port_paths.size() &&
        !settings.port_paths[static_cast<size_t>(com_number)].empty())
        return settings.port_paths[static_cast<size_t>(com_number)];
    if (const PortEntry* e = onboard_of(port_list().entries(), com_number)) return e->device;
    return default_device(com_number);
}

bool assign_com_numbers(const std::vector<PortEntry>& ports,
                        std::array<std::string, 16>& port_paths) {
    bool given = false;
    for (const PortEntry& e : ports) {
        if (!e.present || !is_adapter(e)) continue;
        bool known = false;
        for (int n = 1; n <= kComCount && !known; ++n) known = names(e, port_paths[size_t(n)]);
        if (known) continue;
        for (int n = 1; n <= kComCount; ++n) {
            if (!port_paths[size_t(n)].empty()) continue;
            if (onboard_of(ports, n)) continue;
            port_paths[size_t(n)] = e.id;
            given = true;
            break;
        }
    }
    return given;
}

void PortList::refresh() {
    std::vector<PortEntry> now = installed ? installed->scan() : std::vector<PortEntry>{};
    // The names of the settings file that no scan lists still stand for their number.
    for (int n = 1; n <= kComCount; ++n) {
        const std::string& path = settings.port_paths[size_t(n)];
        if (path.empty() || find(now, path)) continue;
        PortEntry named;
        named.id = named.device = path;
        named.present = false;
        now.push_back(named);
    }
    assign_com_numbers(now, settings.port_paths);

    std::vector<PortEntry> appeared, removed;
    for (const PortEntry& e : now) {
        if (!e.present) continue;
        const PortEntry* before = find(entries_, e.id);
        if (!before || !before->present) appeared.push_back(e);
    }
    for (const PortEntry& e : entries_) {
        if (!e.present) continue;
        const PortEntry* after = find(now, e.id);
        if (!after || !after->present) removed.push_back(e);
    }
    entries_ = std::move(now);
    if (on_change && (!appeared.empty() || !removed.empty())) on_change(appeared, removed);
}

const PortEntry* PortList::entry_of(int com_number) const {
    return find(entries_, com_port_name(com_number));
}

std::string PortList::caption(int com_number) const {
    std::string head = "COM" + std::to_string(com_number) + "  ";
    const std::string name = com_port_name(com_number);
    const PortEntry* e = entry_of(com_number);
    if (e && e->present) {
        std::string what = e->description.empty() ? base_name(e->id) : e->description;
        return head + what + " (" + e->device + ")";
    }
    const bool named =
        port_override() || !settings.port_paths[static_cast<size_t>(com_number)].empty();
    if (!named) return head + "(" + msg_text(211) + ")";
    // A path of one's own (a pseudo-terminal) that no catalogue lists, but that is there.
    std::error_code ec;
    if (std::filesystem::exists(name, ec)) return head + "(" + name + ")";
    // A by-id name says what the adapter is; its folder says nothing.
    const bool by_id = name.find("/by-id/") != std::string::npos;
    return head + "(" + msg_text(212) + ": " + (by_id ? base_name(name) : name) + ")";
}

}  // namespace pv
