#include <gtest/gtest.h>

#include "core/document/unit.h"
#include "core/params/param_form.h"

namespace pv {
namespace {

using F = PrmField;

class Form : public ::testing::Test {
  protected:
    void SetUp() override {
        InitState();
        data = ControllerData{};
        SetDefaultData();
        d_ = data;
    }
    // What the user does in a numeric field: focus, type, leave.
    void type(F field, const std::string& text) {
        prm_enter(f_, field);
        f_[field] = text;
        prm_exit(f_, field);
    }
    void open_new() { prm_open(f_, d_, true, kStatusUnknown); }
    void open_stored(uint16_t status = kStatusUnknown) { prm_open(f_, d_, false, status); }

    ControllerData d_;
    PrmForm f_;
};

TEST_F(Form, NewDocumentOpensWithItsDefaultsAndComposedStatus) {
    open_new();
    EXPECT_EQ(f_[F::setboost_a], "0");
    EXPECT_EQ(f_[F::openth], "5000");
    EXPECT_EQ(f_[F::offset_a], "100");
    EXPECT_EQ(f_[F::barmaxset], "250");
    EXPECT_EQ(f_.bar_label, 96u);
    EXPECT_EQ(f_.bar_hint, 41u);
    EXPECT_EQ(f_.unit_label, 96u);
    EXPECT_EQ(f_.low_boost_hint, 98u);
    EXPECT_TRUE(f_.warning_on);  // 250 kPa is below the OFF value 251
    EXPECT_EQ(f_[F::warning_boost], "250");
    EXPECT_FALSE(f_.drop_on);
    EXPECT_FALSE(f_.is_enabled(F::drop_boost));
    EXPECT_EQ(f_[F::drop_boost], "0");
    EXPECT_EQ(f_.cyls_entry, 3);
    EXPECT_EQ(f_.spdpulse_entry, 1);
    EXPECT_EQ(f_.sampling_time, 3);
    EXPECT_TRUE(f_.setup_enabled);
    EXPECT_TRUE(f_.is_enabled(F::normal_boost));
    EXPECT_TRUE(f_.is_enabled(F::first_boost));
    EXPECT_TRUE(f_.is_enabled(F::up_boost_offset));
    // SWING (bit 12) and kPa (bit 5); map function OFF adds nothing.
    EXPECT_EQ(f_.derived_status_word, 0x1020);
    EXPECT_EQ(f_.valve.valvetype, 70u);
    EXPECT_EQ(f_.valve.xaxis, 61u);
    EXPECT_EQ(f_.valve.yaxis, 61u);
    EXPECT_EQ(f_.valve.xaxistype, 106u);
    EXPECT_EQ(f_.valve.select, 106u);
    EXPECT_EQ(f_.valve.power, 106u);
}

TEST_F(Form, StoredDocumentKeepsInitialSetupDisabledAndShowsItsStatus) {
    d_.pressure_unit = 1;
    d_.setboost_a = 125;
    d_.warning_boost = 361;
    d_.drop_boost = 50;
    d_.barselect = bar_rpm;
    d_.barmaxset = 80;
    d_.cyls = 5;
    d_.status_word = 0x4808;  // setup finished, mode B, horizontal axis, speed
    d_.axis_select_no = 3;
    open_stored();
    EXPECT_FALSE(f_.setup_enabled);
    EXPECT_FALSE(f_.is_enabled(F::normal_boost));
    EXPECT_FALSE(f_.is_enabled(F::first_boost));
    EXPECT_FALSE(f_.is_enabled(F::up_boost_offset));
    EXPECT_TRUE(f_.is_enabled(F::setboost_a));
    EXPECT_EQ(f_[F::setboost_a], "12.5");
    EXPECT_FALSE(f_.warning_on);
    EXPECT_FALSE(f_.is_enabled(F::warning_boost));
    EXPECT_EQ(f_[F::warning_boost], "36.0");
    EXPECT_EQ(f_[F::drop_boost], "5.0");
    EXPECT_EQ(f_[F::barmaxset], "8000");
    EXPECT_EQ(f_.bar_label, 102u);
    EXPECT_EQ(f_.unit_label, 97u);
    EXPECT_EQ(f_.boost_hint, 50u);
    EXPECT_EQ(f_.cyls_entry, 3);
    EXPECT_EQ(f_.derived_status_word, 0x4808);
    ValveLabels want{106, 65, 67, 71, 61, 62, 77, 74};
    EXPECT_EQ(f_.valve, want);

    // Without a map function, a clear rpm bit says nothing about the axis type.
    d_.axis_select_no = 0;
    open_stored();
    EXPECT_EQ(f_.valve.xaxistype, 106u);
}

TEST_F(Form, LiveStatusDecidesTheValveLabels) {
    open_new();
    open_stored(0xF81C);  // bits 2, 3, 4, 11, 12, 13, 14, 15
    ValveLabels all{62, 65, 68, 70, 62, 62, 76, 74};
    EXPECT_EQ(f_.valve, all);
    EXPECT_EQ(valve_labels_of_status(0), (ValveLabels{61, 64, 67, 71, 61, 61, 77, 73}));
}

TEST_F(Form, DerivedStatusOfEveryMapFunction) {
    uint16_t bits[] = {0x0000, 0x0004, 0x0018, 0x0008, 0x001C, 0x000C};
    for (int a = 0; a <= 5; ++a) {
        d_.axis_select_no = uint8_t(a);
        d_.ext_bypass = 1;
        d_.pressure_unit = 1;
        d_.rev_sampling = 1;
        d_.after_on = 1;
        EXPECT_EQ(derived_status_word(d_), bits[a] | 0x00C0) << a;
        ValveLabels preview{};
        preview_map_function(preview, a);
        ValveLabels v = valve_labels_of_new(d_);
        EXPECT_EQ(v.xaxis, preview.xaxis);
        EXPECT_EQ(v.yaxis, preview.yaxis);
        EXPECT_EQ(v.xaxistype, preview.xaxistype);
        EXPECT_EQ(v.valvetype, 71u);
    }
    ValveLabels p{};
    preview_map_function(p, 4);
    EXPECT_EQ(p.xaxistype, 76u);
    EXPECT_EQ(p.xaxis, 62u);
    EXPECT_EQ(p.yaxis, 62u);
    preview_map_function(p, 1);
    EXPECT_EQ(p.xaxistype, 106u);
    EXPECT_EQ(p.xaxis, 61u);
    EXPECT_EQ(p.yaxis, 62u);
}

TEST_F(Form, TypedValuesAreClampedAndLettersPutBack) {
    open_stored();
    type(F::setboost_a, "300");
    EXPECT_EQ(f_[F::setboost_a], "250");
    EXPECT_EQ(f_.w.setboost_a, 250);
    type(F::offset_a, "abc");
    EXPECT_EQ(f_[F::offset_a], "100");
    type(F::offset_a, "0");
    EXPECT_EQ(f_[F::offset_a], "1");
    type(F::closeth, "7000");
    EXPECT_EQ(f_[F::closeth], "5000");
    // Enter normalises without leaving: the field keeps its text as the new last valid one.
    prm_enter(f_, F::sbc_time);
    f_[F::sbc_time] = "75";
    EXPECT_TRUE(prm_normalise(f_, F::sbc_time));
    EXPECT_EQ(f_[F::sbc_time], "60");
    f_[F::sbc_time] = "x";
    EXPECT_FALSE(prm_exit(f_, F::sbc_time));
    EXPECT_EQ(f_[F::sbc_time], "60");
}

TEST_F(Form, MaximumBoostRaisesSetAndInitialBoosts) {
    d_.normal_boost = 120;
    d_.setboost_a = 130;
    d_.setboost_b = 140;
    d_.first_boost = 120;
    open_new();
    type(F::setboost_a, "10");
    EXPECT_EQ(f_[F::setboost_a], "120");
    type(F::setboost_a, "130");
    type(F::normal_boost, "135");
    EXPECT_EQ(f_[F::setboost_a], "135");
    EXPECT_EQ(f_[F::setboost_b], "140");
    EXPECT_EQ(f_[F::first_boost], "135");
    EXPECT_EQ(f_.w.first_boost, 135);
    // Stepping a set boost stops at the new floor.
    prm_enter(f_, F::setboost_b);
    for (int k = 0; k < 10; ++k) prm_step(f_, F::setboost_b, -1);
    EXPECT_EQ(f_[F::setboost_b], "135");
}

TEST_F(Form, BarMaximumRoundsAndStepsByTheSelection) {
    d_.barselect = bar_speed;
    d_.barmaxset = 25;
    open_stored();
    EXPECT_EQ(f_[F::barmaxset], "250");
    type(F::barmaxset, "123");
    EXPECT_EQ(f_[F::barmaxset], "120");
    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.barmaxset, 12);

    prm_select_bar(f_, bar_rpm);
    EXPECT_EQ(f_[F::barmaxset], "1200");  // 12 hundreds of rpm
    EXPECT_EQ(f_.bar_label, 102u);
    prm_enter(f_, F::barmaxset);
    f_[F::barmaxset] = "11950";
    prm_step(f_, F::barmaxset, 1);
    EXPECT_EQ(f_[F::barmaxset], "12000");
    prm_step(f_, F::barmaxset, 1);
    EXPECT_EQ(f_[F::barmaxset], "12000");
    prm_exit(f_, F::barmaxset);
    EXPECT_FALSE(f_.bar_editing);
    EXPECT_EQ(f_.w.barmaxset, 120);

    // A change of selection limits the stored value to the new range.
    f_.w.barmaxset = 250;
    prm_select_bar(f_, bar_speed);
    EXPECT_EQ(f_[F::barmaxset], "500");
    prm_select_bar(f_, bar_throttle);
    EXPECT_EQ(f_[F::barmaxset], "100");
    EXPECT_EQ(f_.bar_hint, 105u);
    prm_select_bar(f_, bar_boost_b);
    EXPECT_EQ(f_[F::barmaxset], "250");
}

TEST_F(Form, UnitSwitchKeepsRawNumbersAndMapsTheTops) {
    d_.setboost_a = 200;
    d_.setboost_b = 250;
    d_.sbc_boost = 120;
    d_.drop_boost = 120;
    d_.warning_boost = 251;  // OFF
    d_.barmaxset = 250;
    open_new();
    prm_select_unit(f_, 1);
    EXPECT_EQ(f_[F::setboost_a], "20.0");
    EXPECT_EQ(f_[F::setboost_b], "36.0");
    EXPECT_EQ(f_[F::sbc_boost], "17.0");
    EXPECT_EQ(f_[F::drop_boost], "17.0");
    EXPECT_TRUE(f_.drop_on);
    EXPECT_FALSE(f_.warning_on);
    EXPECT_FALSE(f_.is_enabled(F::warning_boost));
    EXPECT_EQ(f_[F::warning_boost], "36.0");
    EXPECT_EQ(f_[F::barmaxset], "36.0");
    EXPECT_EQ(f_.unit_label, 97u);
    EXPECT_EQ(f_.boost_hint, 50u);
    EXPECT_EQ(f_.low_boost_hint, 99u);
    EXPECT_EQ(prm_limits(f_, F::setboost_a).hi, 360);

    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.warning_boost, 361);
    EXPECT_EQ(d_.pressure_unit, 1);
    EXPECT_EQ(d_.setboost_b, 360);
    EXPECT_EQ(d_.drop_boost, 170);
    EXPECT_EQ(d_.status_word & 0x0020, 0);  // composed at OK: PSI, so no kPa bit

    // Back to kPa: the tops come down, a warning ON keeps its number within 250.
    prm_set_warning(f_, true);
    f_[F::warning_boost] = "30.0";
    type(F::setboost_a, "26.0");
    prm_select_unit(f_, 0);
    EXPECT_EQ(f_[F::setboost_a], "250");
    EXPECT_EQ(f_[F::setboost_b], "250");
    EXPECT_EQ(f_[F::sbc_boost], "120");
    EXPECT_EQ(f_[F::drop_boost], "120");
    EXPECT_EQ(f_[F::warning_boost], "250");
    EXPECT_TRUE(f_.warning_on);
    EXPECT_EQ(f_[F::barmaxset], "250");
    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.warning_boost, 250);
    EXPECT_EQ(d_.pressure_unit, 0);
}

TEST_F(Form, UnitSwitchTurnsUncheckedWarningAndDropOff) {
    d_.warning_boost = 200;
    d_.drop_boost = 80;
    open_new();
    prm_set_warning(f_, false);
    prm_set_drop(f_, false);
    prm_select_unit(f_, 1);
    EXPECT_EQ(f_[F::warning_boost], "36.0");
    EXPECT_EQ(f_[F::drop_boost], "0");
    EXPECT_FALSE(f_.is_enabled(F::drop_boost));
    prm_select_unit(f_, 0);
    EXPECT_EQ(f_[F::warning_boost], "250");
    EXPECT_EQ(f_.w.warning_boost, 251);
    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.warning_boost, 251);
    EXPECT_EQ(d_.drop_boost, 0);
}

TEST_F(Form, DropBoostOnStartsAtTheSmallestStep) {
    d_.pressure_unit = 1;
    d_.warning_boost = 361;
    open_stored();
    prm_set_drop(f_, true);
    EXPECT_TRUE(f_.is_enabled(F::drop_boost));
    EXPECT_EQ(f_[F::drop_boost], "0.1");
    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.drop_boost, 1);
    EXPECT_EQ(d_.warning_boost, 361);

    d_.pressure_unit = 0;
    d_.drop_boost = 0;
    open_stored();
    prm_set_drop(f_, true);
    EXPECT_EQ(f_[F::drop_boost], "1");
}

TEST_F(Form, OkWritesListsRadiosAndStatus) {
    d_.status_word = 0x4000;
    d_.comment = "old";
    open_stored();
    f_.cyls_entry = 5;
    f_.spdpulse_entry = 3;
    f_.rev_sampling_on = true;
    prm_select_map_function(f_, 4);
    prm_select_sampling_time(f_, 0);
    type(F::backlight_level, "55");
    type(F::up_boost_offset, "150");  // disabled in the window; the text still reaches OK
    f_.comment = "new";
    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.cyls, 8);
    EXPECT_EQ(d_.spdpulse, 16);
    EXPECT_EQ(d_.rev_sampling, 1);
    EXPECT_EQ(d_.after_on, 0);
    EXPECT_EQ(d_.axis_select_no, 4);
    EXPECT_EQ(d_.sampling_time, 0);
    EXPECT_EQ(d_.backlight_level, 55);
    EXPECT_EQ(d_.status_word, 0x4000);  // unit unknown: the stored word stays
    EXPECT_EQ(d_.comment, "new");
    EXPECT_EQ(d_.warning_on, 1);

    open_stored();
    prm_ok(f_, d_, 0x8123);
    EXPECT_EQ(d_.status_word, 0x8123);
}

TEST_F(Form, OkComposesTheNewDocumentsStatusFromTheChoicesMade) {
    open_new();
    prm_select_bypass(f_, 1);
    EXPECT_EQ(f_.valve.valvetype, 71u);
    prm_select_map_function(f_, 2);
    EXPECT_EQ(f_.valve.xaxistype, 76u);
    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.ext_bypass, 1);
    EXPECT_EQ(d_.status_word, 0x0038);  // kPa, horizontal axis, rpm; POPET has no bit
}

TEST_F(Form, ListValuesOutsideTheListsSurviveOk) {
    d_.barselect = 9;
    d_.axis_select_no = 7;
    d_.closeth = 6000;  // beyond the field's limit, never typed
    open_stored();
    prm_ok(f_, d_, kStatusUnknown);
    EXPECT_EQ(d_.barselect, 9);
    EXPECT_EQ(d_.axis_select_no, 7);
    EXPECT_EQ(d_.closeth, 6000);
}

}  // namespace
}  // namespace pv
