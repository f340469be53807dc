// Hostile typing into the parameter dialog's form: any sequence of field texts, steps, radio
// clicks, list picks and unit switches over any stored document. Every field just left must
// show a number within its limits, OK must write only values the data file and the unit can
// take for the special fields, and a memo edit never grows past the file's 255 bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "core/params/memo.h"
#include "core/params/param_form.h"

namespace {

std::optional<std::string> ascii_only(std::string_view c) {
    if (c.size() == 1 && static_cast<unsigned char>(c[0]) < 0x80) return std::string(c);
    if (c.size() == 3) return std::string("\x82\xA0");  // some double-byte character
    return std::nullopt;
}

void check_field(const pv::PrmForm& f, pv::PrmField field) {
    pv::FieldLimits lim = pv::prm_limits(f, field);
    auto v = pv::pressure_raw(f[field], lim.decimals > 0);
    if (!v || *v < lim.lo || *v > lim.hi) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    using namespace pv;
    if (size < pv::kDataFileSize + 1) return 0;
    InitState();
    ControllerData d;
    decode_data_file(bytes, d);
    PrmForm f;
    uint8_t how = bytes[pv::kDataFileSize];
    prm_open(f, d, how & 1, how & 2 ? 0x1234 : kStatusUnknown);
    std::string memo;

    size_t p = pv::kDataFileSize + 1;
    while (p + 2 <= size) {
        uint8_t op = bytes[p], arg = bytes[p + 1];
        p += 2;
        size_t len = std::min<size_t>(arg & 15, size - p);
        std::string text(reinterpret_cast<const char*>(bytes + p), len);
        auto field = static_cast<PrmField>(arg % kPrmFieldCount);
        switch (op % 8) {
            case 0:
                p += len;
                prm_enter(f, field);
                f[field] = text;
                prm_exit(f, field);
                // Letters put back the last valid text, which may be a stored value out of range.
                if (parse_number(text)) check_field(f, field);
                break;
            case 1:
                prm_enter(f, field);
                prm_step(f, field, arg & 0x80 ? 1 : -1);
                prm_exit(f, field);
                check_field(f, field);
                break;
            case 2:
                prm_set_warning(f, arg & 1);
                break;
            case 3:
                prm_set_drop(f, arg & 1);
                break;
            case 4:
                prm_select_bar(f, arg % 5);
                break;
            case 5:
                prm_select_unit(f, arg & 1);
                break;
            case 6:
                prm_select_map_function(f, arg % 6);
                break;
            case 7: {
                p += len;
                MemoFit fit = fit_memo_edit(memo, memo + text, ascii_only);
                if (fit.bytes.size() > kCommentMaxBytes) std::abort();
                if (fit.bytes.find('\0') != std::string::npos) std::abort();
                memo = fit.text;
                f.comment = fit.bytes;
                break;
            }
        }
    }
    ControllerData out = d;
    prm_ok(f, out, kStatusUnknown);
    bool psi = f.psi();
    if (f.warning_on && out.warning_boost > boost_top(psi)) std::abort();
    if (!f.warning_on && out.warning_boost != warning_off_value(psi)) std::abort();
    if (!f.drop_on && out.drop_boost != 0) std::abort();
    if (f.drop_on && out.drop_boost > low_boost_top(psi)) std::abort();
    return 0;
}
