#include "core/link/detect.h"

#include <cstdlib>

#include "core/document/unit.h"
#include "core/link/frames.h"
#include "core/link/netunit.h"
#include "core/link/port_catalogue.h"
#include "core/link/port_failure.h"
#include "core/ui/texts.h"

namespace pv {

namespace {

Probe probe(Port& p, int com_number) {
    if (!p.open(com_number)) return Probe::unopened;
    if (!p.configure()) {
        p.close();
        return Probe::unopened;
    }
    const LinkFrame request =
        make_read_request(settings.spl_header, frame_address(*find_block(118), 1, 1));
    Probe outcome = Probe::silent;
    for (int attempt = 0; attempt < kAttempts && outcome != Probe::found; ++attempt) {
        p.purge();
        if (!p.write(request.bytes.data(), kFrameSize)) break;
        LinkFrame reply;
        size_t got = 0;
        const bool line_ok = p.read(reply.bytes.data(), kFrameSize, got);
        if (got > 0 && reply_valid(request, reply.bytes.data(), got))
            outcome = Probe::found;
        else if (got > 0)
            outcome = Probe::other;
        if (!line_ok) break;
    }
    p.close();
    return outcome;
}

}  // namespace

std::vector<ProbeResult> detect_unit(const PortMaker& make_port) {
    std::vector<ProbeResult> results;
    std::vector<std::pair<int, std::string>> candidates;
    if (const char* env = std::getenv("PVEDIT_PORT"); env && *env) {
        candidates.emplace_back(settings.com_port, env);
    } else {
        for (int n = 1; n <= kComCount; ++n)
            if (const PortEntry* e = port_list().entry_of(n); e && e->present)
                candidates.emplace_back(n, e->device);
    }
    for (const auto& [n, device] : candidates) {
        ProbeResult r;
        r.com_number = n;
        r.device = device;
        if (state.port_open && n == settings.com_port) {
            r.outcome = Probe::in_use;
        } else {
            std::unique_ptr<Port> p = make_port(device);
            r.outcome = probe(*p, n);
            if (r.outcome == Probe::unopened) r.failure = p->failure();
        }
        results.push_back(r);
        if (r.outcome == Probe::found) {
            settings.com_port = static_cast<uint8_t>(n);
            break;
        }
    }
    return results;
}

std::string detect_report(const std::vector<ProbeResult>& results) {
    if (results.empty()) return msg_text(224);
    std::string text = msg_text(217);
    const ProbeResult* found = nullptr;
    for (const ProbeResult& r : results) {
        text += "\r\nCOM" + std::to_string(r.com_number) + " (" + r.device + "): ";
        switch (r.outcome) {
            case Probe::found:
                text += msg_text(218);
                found = &r;
                break;
            case Probe::silent:
                text += msg_text(219);
                break;
            case Probe::other:
                text += msg_text(220);
                break;
            case Probe::unopened:
                text += msg_text(221) + port_failure_reason(r.failure);
                break;
            case Probe::in_use:
                text += msg_text(227);
                break;
        }
    }
    if (found)
        text += "\r\n" + msg_text(223) + "COM" + std::to_string(found->com_number);
    else
        text += "\r\n" + msg_text(222);
    return text;
}

}  // namespace pv
