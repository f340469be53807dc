#include <gtest/gtest.h>

#include "core/params/param_fields.h"

namespace pv {
namespace {

TEST(FieldRules, LimitsFollowKindUnitAndBarSelection) {
    struct Case {
        FieldKind kind;
        bool psi;
        int bar;
        FieldLimits want;
    } cases[] = {
        {FieldKind::voltage, true, 0, {0, 5000, 0}},
        {FieldKind::percent, false, 0, {0, 100, 0}},
        {FieldKind::offset, true, 0, {1, 199, 0}},
        {FieldKind::scramble_time, true, 0, {0, 60, 0}},
        {FieldKind::scramble_boost, false, 0, {0, 120, 0}},
        {FieldKind::scramble_boost, true, 0, {0, 170, 1}},
        {FieldKind::boost, false, 0, {0, 250, 0}},
        {FieldKind::boost, true, 0, {0, 360, 1}},
        {FieldKind::drop_boost, false, 0, {1, 120, 0}},
        {FieldKind::drop_boost, true, 0, {1, 170, 1}},
        {FieldKind::bar_max, true, bar_speed, {0, 500, 0}},
        {FieldKind::bar_max, true, bar_rpm, {0, 12000, 0}},
        {FieldKind::bar_max, false, bar_throttle, {0, 100, 0}},
        {FieldKind::bar_max, true, bar_boost_b, {0, 360, 1}},
        {FieldKind::bar_max, false, bar_boost_a, {0, 250, 0}},
    };
    for (const Case& c : cases) {
        FieldLimits got = field_limits(c.kind, c.psi, c.bar, 0);
        EXPECT_EQ(got.lo, c.want.lo) << int(c.kind) << " psi " << c.psi;
        EXPECT_EQ(got.hi, c.want.hi) << int(c.kind) << " psi " << c.psi;
        EXPECT_EQ(got.decimals, c.want.decimals) << int(c.kind) << " psi " << c.psi;
    }
}

TEST(FieldRules, SetBoostsStartAtTheWorkingMaximumBoost) {
    EXPECT_EQ(field_limits(FieldKind::set_boost, false, 0, 120).lo, 120);
    EXPECT_EQ(field_limits(FieldKind::set_boost, true, 0, 150).lo, 150);
    // A maximum boost beyond the top (a file out of range) leaves the set boosts at the top
    // instead of an upside-down clamp.
    FieldLimits lim = field_limits(FieldKind::set_boost, false, 0, 300);
    EXPECT_EQ(lim.lo, 250);
    EXPECT_EQ(lim.hi, 250);
    EXPECT_EQ(normalise_text("400", lim, 1), "250");
    EXPECT_EQ(normalise_text("10", lim, 1), "250");
}

TEST(FieldRules, NormalisingClampsRoundsAndRefusesLetters) {
    FieldLimits kpa{0, 250, 0}, psi{0, 360, 1}, speed{0, 500, 0}, rpm{0, 12000, 0};
    EXPECT_EQ(normalise_text("300", kpa, 1), "250");
    EXPECT_EQ(normalise_text("-5", kpa, 1), "0");
    EXPECT_EQ(normalise_text(" 120 ", kpa, 1), "120");
    EXPECT_EQ(normalise_text("120.5", kpa, 1), "120");  // half to even
    EXPECT_EQ(normalise_text("121.5", kpa, 1), "122");
    EXPECT_EQ(normalise_text("20", psi, 1), "20.0");
    EXPECT_EQ(normalise_text("12.25", psi, 1), "12.2");  // 122.5 raw
    EXPECT_EQ(normalise_text("40", psi, 1), "36.0");
    EXPECT_EQ(normalise_text("1e1", psi, 1), "10.0");
    EXPECT_EQ(normalise_text("123", speed, 10), "120");
    EXPECT_EQ(normalise_text("125", speed, 10), "120");  // 12.5 tens, half to even
    EXPECT_EQ(normalise_text("135", speed, 10), "140");
    EXPECT_EQ(normalise_text("12345", rpm, 100), "12000");
    EXPECT_EQ(normalise_text("3050", rpm, 100), "3000");
    EXPECT_EQ(normalise_text("99999999999999", kpa, 1), "250");
    for (const char* bad : {"", "abc", "12a", "0x10", "inf", "nan", "1,5"})
        EXPECT_FALSE(normalise_text(bad, kpa, 1)) << bad;
}

TEST(FieldRules, StepsAreOneShownDigitOrTheBarStep) {
    FieldLimits psi{0, 360, 1}, kpa{120, 250, 0}, rpm{0, 12000, 0}, speed{0, 500, 0};
    EXPECT_EQ(step_text("20.0", psi, 1, 1), "20.1");
    EXPECT_EQ(step_text("0.0", psi, 1, -1), "0.0");
    EXPECT_EQ(step_text("36.0", psi, 1, 1), "36.0");
    EXPECT_EQ(step_text("120", kpa, 1, -1), "120");  // the maximum boost holds the floor
    EXPECT_EQ(step_text("130", kpa, 1, -1), "129");
    EXPECT_EQ(step_text("11900", rpm, 100, 1), "12000");
    EXPECT_EQ(step_text("12000", rpm, 100, 1), "12000");
    EXPECT_EQ(step_text("250", speed, 10, -1), "240");
    EXPECT_FALSE(step_text("x", speed, 10, 1));
}

TEST(FieldRules, PressureAndBarMaximumTexts) {
    EXPECT_EQ(pressure_text(200, true), "20.0");
    EXPECT_EQ(pressure_text(361, true), "36.1");
    EXPECT_EQ(pressure_text(200, false), "200");
    EXPECT_EQ(pressure_raw("20.0", true), 200);
    EXPECT_EQ(pressure_raw("0.05", true), 0);  // 0.5 raw rounds to the even 0
    EXPECT_EQ(pressure_raw("0.15", true), 2);  // 1.5 raw, though 0.15 has no exact double
    EXPECT_EQ(pressure_raw("2.35", true), 24);
    EXPECT_EQ(pressure_raw("0.235e1", true), 24);
    EXPECT_EQ(pressure_raw("235E-2", true), 24);
    EXPECT_EQ(pressure_raw("120", false), 120);
    EXPECT_FALSE(pressure_raw("", false));

    EXPECT_EQ(bar_max_text(25, bar_speed, false), "250");
    EXPECT_EQ(bar_max_text(25, bar_rpm, true), "2500");
    EXPECT_EQ(bar_max_text(25, bar_throttle, true), "25");
    EXPECT_EQ(bar_max_text(250, bar_boost_a, true), "25.0");
    EXPECT_EQ(bar_max_stored("120", bar_speed, false), 12);
    EXPECT_EQ(bar_max_stored("8000", bar_rpm, false), 80);
    EXPECT_EQ(bar_max_stored("8050", bar_rpm, false), 80);
    EXPECT_EQ(bar_max_stored("25.0", bar_boost_b, true), 250);
    EXPECT_EQ(bar_max_stored("77", bar_throttle, true), 77);

    EXPECT_EQ(bar_max_label(bar_speed, true), 100u);
    EXPECT_EQ(bar_max_hint(bar_rpm, true), 103u);
    EXPECT_EQ(bar_max_label(bar_boost_a, true), 97u);
    EXPECT_EQ(bar_max_hint(bar_boost_b, false), 41u);
}

TEST(FieldRules, ListEntriesOfStoredValues) {
    int cyl_entries[] = {0, 1, 2, 3, 3, 4, 3, 5};  // cylinders 1..8
    for (int c = 1; c <= 8; ++c) EXPECT_EQ(cylinder_entry(uint8_t(c)), cyl_entries[c - 1]) << c;
    EXPECT_EQ(cylinder_entry(0), 3);
    EXPECT_EQ(speed_pulse_entry(16), 3);
    EXPECT_EQ(speed_pulse_entry(2), 0);
    EXPECT_EQ(speed_pulse_entry(3), 1);
}

TEST(FieldRules, FieldNamesAreTheDocumentFields) {
    EXPECT_EQ(prm_field_named("setboost_a"), PrmField::setboost_a);
    EXPECT_EQ(prm_field_named("barmaxset"), PrmField::barmaxset);
    EXPECT_FALSE(prm_field_named("edsetboost_a"));
    int initial = 0;
    for (const auto& d : prm_fields()) {
        EXPECT_EQ(prm_field(d.field).name, d.name);
        initial += d.initial_setup;
    }
    EXPECT_EQ(initial, 3);  // maximum boost, initial boost, initial offset
}

}  // namespace
}  // namespace pv
