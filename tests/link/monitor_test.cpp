// The data monitor's texts: first display, dead band, formats, names and sizes.
#include "core/logging/monitor.h"

#include <gtest/gtest.h>

#include "core/document/unit.h"

namespace {

using pv::LiveValues;
using pv::MonitorLabels;

LiveValues values(int16_t boost, int16_t peak, uint8_t rev, uint8_t throttle, int16_t cb,
                  uint8_t co) {
    LiveValues v;
    v.live_boost = boost;
    v.live_peak_boost = peak;
    v.live_rev = rev;
    v.live_throttle = throttle;
    v.live_boost_correction = cb;
    v.live_offset_correction = co;
    return v;
}

std::vector<std::string> texts(const MonitorLabels& m) {
    std::vector<std::string> t;
    for (int row = 0; row < pv::kMonitorRows; ++row) t.push_back(m.text(row));
    return t;
}

TEST(MonitorTexts, PressureFormatsAndTheDeadBand) {
    EXPECT_EQ(pv::pressure_text(50, 0), "  5.0");
    EXPECT_EQ(pv::pressure_text(50, 1), "  0.5");
    EXPECT_EQ(pv::pressure_text(-1234, 0), "-123.4");
    EXPECT_EQ(pv::pressure_text(2578, 0), "257.8");
    // PSI counts are hundredths; a tie on the dropped digit goes away from zero.
    EXPECT_EQ(pv::pressure_text(1225, 1), " 12.3");
    EXPECT_EQ(pv::pressure_text(1234, 1), " 12.3");
    EXPECT_EQ(pv::pressure_text(1245, 1), " 12.5");
    EXPECT_EQ(pv::pressure_text(-1225, 1), "-12.3");
    EXPECT_EQ(pv::pressure_text(-4, 1), "  0.0");

    MonitorLabels m;
    LiveValues v = values(49, 49, 0, 0, 0, 0);
    m.refresh(v, true, 0, true);
    EXPECT_EQ(m.text(pv::row_boost), "  0.0");
    EXPECT_EQ(v.live_boost, 0);                     // the stored value itself
    EXPECT_EQ(m.text(pv::row_peak_hold), "  4.9");  // no dead band on the peak
    v.live_boost = -49;
    m.refresh(v, true, 0, true);
    EXPECT_EQ(v.live_boost, 0);
    v.live_boost = 50;
    m.refresh(v, true, 1, true);
    EXPECT_EQ(m.text(pv::row_boost), "  0.5");
    v.live_boost = -50;
    m.refresh(v, true, 0, true);
    EXPECT_EQ(m.text(pv::row_boost), " -5.0");
}

TEST(MonitorTexts, LabelsShowStarsUntilTheirFirstRealValue) {
    MonitorLabels m;
    EXPECT_EQ(texts(m), std::vector<std::string>(6, "*****"));

    // The sentinels: a value equal to one is not "new" and leaves its label untouched.
    LiveValues v = values(2578, 2578, 121, 101, 361, 171);
    EXPECT_EQ(m.refresh(v, true, 0, true), 0u);
    EXPECT_EQ(texts(m), std::vector<std::string>(6, "*****"));

    v = values(1234, 2578, 121, 60, -12, 200);
    EXPECT_EQ(m.refresh(v, true, 0, true), 0b111001u);
    EXPECT_EQ(texts(m),
              (std::vector<std::string>{"123.4", "*****", "*****", "   60", "  -12", "  200"}));
    v.live_rev = 45;
    EXPECT_EQ(m.refresh(v, true, 0, true), 0b000100u);
    EXPECT_EQ(m.text(pv::row_rev_speed), " 4500");
}

TEST(MonitorTexts, UnchangedValuesAreNotReformatted) {
    MonitorLabels m;
    LiveValues v = values(1000, 1000, 30, 50, 5, 100);
    m.refresh(v, true, 0, true);
    EXPECT_EQ(m.text(pv::row_rev_speed), " 3000");
    // The rev flag alone does not rewrite the text; the next new count does.
    EXPECT_EQ(m.refresh(v, true, 0, false), 0u);
    EXPECT_EQ(m.text(pv::row_rev_speed), " 3000");
    v.live_rev = 31;
    m.refresh(v, true, 0, false);
    EXPECT_EQ(m.text(pv::row_rev_speed), "   62");
}

TEST(MonitorTexts, HiddenLabelsTakeNothing) {
    MonitorLabels m;
    LiveValues v = values(30, 10, 30, 50, 5, 100);
    EXPECT_EQ(m.refresh(v, false, 0, true), 0u);
    EXPECT_EQ(v.live_boost, 30);  // the dead band did not act either
    EXPECT_EQ(m.text(pv::row_boost), "*****");
}

TEST(MonitorTexts, RowNamesAndUnits) {
    pv::settings.lang_id = pv::kLangEnglish;
    pv::MonitorRowText rev = pv::monitor_row_text(pv::row_rev_speed, 0, true);
    EXPECT_EQ(rev.name, "RPM");
    EXPECT_EQ(rev.unit, "rpm   ");
    EXPECT_EQ(rev.colour, pv::MonitorColour::red);
    rev = pv::monitor_row_text(pv::row_rev_speed, 0, false);
    EXPECT_EQ(rev.name, "Speed");
    EXPECT_EQ(rev.unit, "km/h");
    pv::MonitorRowText boost = pv::monitor_row_text(pv::row_correct_boost, 1, true);
    EXPECT_EQ(boost.name, "Boost Correction");
    EXPECT_EQ(boost.unit, "PSI");
    EXPECT_EQ(boost.colour, pv::MonitorColour::green);
    pv::MonitorRowText offset = pv::monitor_row_text(pv::row_correct_offset, 1, true);
    EXPECT_EQ(offset.name, "Offset Correction");
    EXPECT_EQ(offset.unit, "%");
    EXPECT_EQ(pv::monitor_row_text(pv::row_peak_hold, 0, true).unit, "kPa");
    EXPECT_EQ(pv::monitor_row_text(pv::row_peak_hold, 0, true).colour, pv::MonitorColour::blue);
}

TEST(MonitorTexts, FontSizesAndAutoFrameSize) {
    const int points[] = {32, 12, 16, 20, 24, 28, 32, 32};
    for (uint8_t k = 0; k < 8; ++k) EXPECT_EQ(pv::monitor_font_points(k), points[k]) << int{k};

    pv::settings.monitor_width = 310;
    pv::settings.monitor_height = 210;
    pv::MonitorSize s = pv::monitor_auto_size(true, 20, 250, 1920, 1080);
    EXPECT_EQ(s.width, 310);
    EXPECT_EQ(s.height, 210);
    s = pv::monitor_auto_size(true, 30, 400, 1920, 1080);  // the stored size would cut the text
    EXPECT_EQ(s.width, 416);
    EXPECT_EQ(s.height, 245);
    s = pv::monitor_auto_size(false, 20, 400, 1920, 1080);
    EXPECT_EQ(s.width, 416);
    EXPECT_EQ(s.height, 185);
    s = pv::monitor_auto_size(false, 200, 2000, 1920, 1080);
    EXPECT_EQ(s.width, 1920);
    EXPECT_EQ(s.height, 1080);
}

}  // namespace
