// What the parameter dialog shows and how each of its events changes it, without a window:
// the dialog and `pvtool pvd set` both drive this form and write the document only through
// prm_ok. Texts of labels and hints are held as numbers of the parameter catalogue.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "core/params/param_fields.h"

namespace pv {

struct ControllerData;

// The eight value labels of the valve condition page.
struct ValveLabels {
    uint32_t power = 0;      // lbpower
    uint32_t study = 0;      // lbstudy
    uint32_t studyno = 0;    // lbstudyno
    uint32_t valvetype = 0;  // lbvalvetype
    uint32_t yaxis = 0;      // lbyaxis: vertical (throttle) axis in use
    uint32_t xaxis = 0;      // lbxaxis: horizontal axis in use
    uint32_t xaxistype = 0;  // lbxaxistype
    uint32_t select = 0;     // lbselect: mode A or B
    bool operator==(const ValveLabels&) const = default;
};

// Labels of a status word the unit just delivered.
ValveLabels valve_labels_of_status(uint16_t status);
// Labels of the status word a stored document carries when the unit is not there.
ValveLabels valve_labels_of_document(uint16_t status_word, uint8_t axis_select_no);
// A New document has no status word of its own: it is composed from its parameters.
uint16_t derived_status_word(const ControllerData& d);
ValveLabels valve_labels_of_new(const ControllerData& d);
// The map function and bypass type chosen in the lists, shown before the unit has them.
void preview_map_function(ValveLabels& v, int axis_select_no);
void preview_bypass(ValveLabels& v, int ext_bypass);

// Working values kept while the dialog is open, raw (kPa or PSI x 10; barmaxset stored units).
struct PrmWorking {
    int32_t setboost_a = 0;
    int32_t setboost_b = 0;
    int32_t barmaxset = 0;
    int32_t sbc_boost = 0;
    int32_t warning_boost = 0;
    int32_t drop_boost = 0;
    int32_t normal_boost = 0;  // lower limit of the set boosts and the initial boost
    int32_t first_boost = 0;
};

struct PrmForm {
    // Lists (entry index) and radio pairs. A stored value outside a list is kept as it is
    // until the user picks an entry.
    int unit = 0;  // cbunit_select: the dialog's pressure unit, 1 PSI
    int ext_bypass = 0;
    int cyls_entry = 3;
    int spdpulse_entry = 1;
    int barselect = 0;
    int axis_select_no = 0;
    int sampling_time = 0;
    bool rev_sampling_on = false;
    bool after_on = false;
    bool warning_on = true;
    bool drop_on = false;

    std::array<std::string, kPrmFieldCount> text;
    std::array<bool, kPrmFieldCount> enabled{};
    bool setup_enabled = false;  // unit, bypass type and the initial setup values
    bool doc_is_new = false;

    PrmWorking w;
    std::string last_valid;  // of the field being edited
    bool bar_editing = false;

    uint32_t unit_label = 96;      // lbkpaorpsi1, 2, 4 to 8
    uint32_t boost_hint = 41;      // set boosts, maximum, initial boost, warning
    uint32_t low_boost_hint = 98;  // drop and scramble boost
    uint32_t bar_label = 96;       // lbkpaorpsi3
    uint32_t bar_hint = 41;
    ValveLabels valve;
    uint16_t derived_status_word = 0;

    std::string comment;  // document bytes; whoever owns the memo replaces them before OK

    bool psi() const { return unit == 1; }
    std::string& operator[](PrmField f) { return text[static_cast<size_t>(f)]; }
    const std::string& operator[](PrmField f) const { return text[static_cast<size_t>(f)]; }
    bool is_enabled(PrmField f) const { return enabled[static_cast<size_t>(f)]; }
};

// Opening: the form of document `d`. `status` is what read_status delivered (0x6603 when the
// link is off or the unit did not answer).
void prm_open(PrmForm& f, const ControllerData& d, bool doc_is_new, uint16_t status);

FieldLimits prm_limits(const PrmForm& f, PrmField field);

// A numeric field takes the focus.
void prm_enter(PrmForm& f, PrmField field);
// The Enter key: the field's text is normalised (or put back when it is not a number) and the
// working values follow. False when the text was put back.
bool prm_normalise(PrmForm& f, PrmField field);
// Leaving the field: normalises as the Enter key and ends the bar maximum's edit.
bool prm_exit(PrmForm& f, PrmField field);
// Up (dir 1) or down (dir -1) by one step. False when the text was put back.
bool prm_step(PrmForm& f, PrmField field, int dir);

void prm_set_warning(PrmForm& f, bool on);
void prm_set_drop(PrmForm& f, bool on);
void prm_select_bar(PrmForm& f, int barselect);
void prm_select_unit(PrmForm& f, int pressure_unit);
void prm_select_bypass(PrmForm& f, int ext_bypass);
void prm_select_map_function(PrmForm& f, int axis_select_no);
void prm_select_sampling_time(PrmForm& f, int sampling_time);

// OK: writes the form into the document. `status` is the unit's status word at that moment;
// when it is unknown the composed (New) or stored status is kept.
void prm_ok(const PrmForm& f, ControllerData& d, uint16_t status);

}  // namespace pv
