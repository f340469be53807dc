// The map grid's log overlay without a window: hand-made logs with known samples per cell
// give the overlay's figures, colours, tooltips and legend; the filters; the reasons nothing
// is drawn; and the tally is worked out again only when what it depends on changed.
#include "core/logging/map_overlay.h"

#include <gtest/gtest.h>

#include "core/document/unit.h"
#include "core/mapedit/edit_ops.h"
#include "support/log_images.h"
#include "support/program.h"

namespace pv {
namespace {

using logtest::Words;

class Overlay : public ::testing::Test {
  protected:
    void SetUp() override {
        pvtest::reset_program();
        SetDefaultData();  // rpm axis 1000, 2500, 4000, 5500, 7000; throttle 0, 25, ... 100
        show(map_boost_a, 2);
    }
    void TearDown() override { pvtest::reset_program(); }
    // The table the map window would show.
    static void show(int map_id, uint8_t axis_mode) {
        data.axis_select_no = axis_mode;
        grid.current_map = map_id;
        const Shape s = MapShape(map_id, false);
        grid.grid_cols = s.cols;
        grid.grid_rows = s.rows;
        fill_grid_values();
    }
    // A current recording of (rev, throttle, pressure, marking) samples, 100 ms apart.
    std::string drive(std::initializer_list<std::array<uint16_t, 4>> samples, uint16_t rev_flag = 1,
                      const std::string& name = "drive.PVL") {
        Words w = logtest::current_header(100, rev_flag, 0);
        for (const auto& x : samples) w.insert(w.end(), {x[2], 0, x[0], x[1], 0, 0, x[3]});
        const std::string path = s.path(name);
        logtest::write_words(path, w);
        return path;
    }
    OverlayLook look(const std::string& path, OverlayChoice choice, CellsFilter filter = {},
                     OverlaySource source = OverlaySource::data_log) {
        tally.update(path, filter);
        return overlay_look(tally, choice, source);
    }
    logtest::Scratch s;
    OverlayTally tally;
};

// Column 1: 1000 rpm (3 samples: 10.0, 30.0 and -5.0 kPa), column 3: 4000 rpm (1 sample of
// 110.0 kPa), column 5: 7000 rpm (2 samples, 60.0 and 70.0 kPa); columns 2 and 4 empty.
std::initializer_list<std::array<uint16_t, 4>> kDrive = {{10, 0, 100, 0},   {10, 0, 300, 255},
                                                         {14, 0, 65486, 0}, {40, 90, 1100, 255},
                                                         {70, 0, 600, 0},   {250, 0, 700, 0}};

TEST_F(Overlay, FiguresColoursTooltipsAndLegendFollowTheChoice) {
    const std::string log = drive(kDrive);
    OverlayLook t = look(log, OverlayChoice::time);
    ASSERT_TRUE(t.drawn) << t.note;
    EXPECT_EQ(t.legend.title, "Time in cell [s]");
    EXPECT_EQ(t.legend.high, "0.3");
    EXPECT_EQ(t.legend.low, "0.0");
    EXPECT_EQ(t.legend.source, "Data Log");
    EXPECT_EQ(t.legend.filter, "All samples");
    EXPECT_EQ(t.legend.empty, "No samples");
    // Time counts from nothing: 0.3 s is the dark end, 0.1 s a third of the way.
    EXPECT_EQ(t.cells[0][0].fill, overlay_colour(1.0));
    EXPECT_EQ(t.cells[2][0].fill, overlay_colour(1.0 / 3));
    EXPECT_EQ(t.cells[0][0].figure, "0.3");
    EXPECT_FALSE(t.cells[1][0].filled);
    EXPECT_EQ(t.cells[1][0].figure, "0.0");
    EXPECT_EQ(t.cells[0][0].tooltip,
              "Time: 0.3 s\nSamples: 3\nMean boost: 11.7 kPa\nPeak boost: 30.0 kPa");
    EXPECT_EQ(t.cells[1][0].tooltip, "Time: 0.0 s\nSamples: 0\nMean boost: -\nPeak boost: -");
    EXPECT_EQ(overlay_print_line(t), "Log overlay: Time in cell [s]  Data Log  All samples");

    // The boost scale spans what the drive made: 11.7 kPa light, 110.0 kPa dark.
    OverlayLook mean = look(log, OverlayChoice::mean);
    EXPECT_EQ(mean.legend.title, "Mean boost [kPa]");
    EXPECT_EQ(mean.legend.low, "11.7");
    EXPECT_EQ(mean.legend.high, "110.0");
    EXPECT_EQ(mean.cells[0][0].fill, overlay_colour(0));
    EXPECT_EQ(mean.cells[2][0].fill, overlay_colour(1));
    EXPECT_EQ(mean.cells[4][0].figure, "65.0");
    // The value text reads on its fill: black on the light end, white on the dark one.
    EXPECT_EQ(mean.cells[0][0].ink, (OverlayRgb{0, 0, 0}));
    EXPECT_EQ(mean.cells[2][0].ink, (OverlayRgb{255, 255, 255}));
    EXPECT_EQ(look(log, OverlayChoice::peak).cells[4][0].figure, "70.0");
    EXPECT_EQ(tally.computations(), 1) << "a new choice reuses the tally";

    EXPECT_FALSE(overlay_look(tally, OverlayChoice::off, OverlaySource::data_log).on);
}

TEST_F(Overlay, FiltersCountMarkedSamplesOrThoseAboveAThrottleOpening) {
    const std::string log = drive(kDrive);
    OverlayLook m = look(log, OverlayChoice::time, {CellsFilter::Kind::marked, 0});
    EXPECT_EQ(tally.cells().samples, 2);
    EXPECT_EQ(m.legend.filter, "Marked samples only");
    EXPECT_EQ(m.cells[0][0].figure, "0.1");
    EXPECT_EQ(m.cells[0][0].fill, m.cells[2][0].fill) << "one sample each: both at the top";

    settings.overlay_filter = 2;
    settings.overlay_throttle = 89;
    ASSERT_EQ(overlay_filter(), (CellsFilter{CellsFilter::Kind::throttle_above, 89}));
    OverlayLook a = look(log, OverlayChoice::peak, overlay_filter());
    EXPECT_EQ(tally.cells().samples, 1);
    EXPECT_EQ(a.legend.filter, "Throttle above 89 %");
    EXPECT_TRUE(a.cells[2][0].filled);
    EXPECT_FALSE(a.cells[0][0].filled);
}

TEST_F(Overlay, SaysWhyNothingIsDrawn) {
    auto note = [&](const std::string& path, CellsFilter f = {},
                    OverlaySource source = OverlaySource::data_log) {
        OverlayLook l = look(path, OverlayChoice::time, f, source);
        EXPECT_FALSE(l.drawn);
        EXPECT_TRUE(l.on);
        return l.note;
    };
    EXPECT_EQ(note(""), "No data log is open.");
    EXPECT_EQ(note("", {}, OverlaySource::comparison_log), "No comparison log is open.");
    EXPECT_EQ(note(drive(kDrive, 0)),
              "The log recorded vehicle speed, but the map's axis is engine speed.");
    EXPECT_EQ(note(s.path("gone.PVL")), "Cannot read the log.");

    // An older log of pressure, rev and throttle: no marking channel to filter by.
    Words old = logtest::old_header(100, 1, 0);
    old[3] = 4;
    logtest::write_words(s.path("old.PVL"), logtest::cat({old, Words{100, 20, 30}}));
    EXPECT_EQ(note(s.path("old.PVL"), {CellsFilter::Kind::marked, 0}),
              "The log has no marking channel.");
    EXPECT_TRUE(look(s.path("old.PVL"), OverlayChoice::time).drawn);

    show(map_rpm_axis, 2);
    EXPECT_EQ(note(drive(kDrive)), "The overlay is drawn on the maps.");
    show(map_boost_a, 3);
    EXPECT_EQ(note(drive(kDrive)),
              "The log recorded engine speed, but the map's axis is vehicle speed.");
    settings.lang_id = kLangJapanese;
    EXPECT_NE(overlay_look(tally, OverlayChoice::time, OverlaySource::data_log).note,
              "The log recorded engine speed, but the map's axis is vehicle speed.");
}

TEST_F(Overlay, TallyIsWorkedOutAgainOnlyWhenLogTableAxesOrFilterChange) {
    const std::string log = drive(kDrive);
    EXPECT_TRUE(tally.update(log, {}));
    EXPECT_FALSE(tally.update(log, {}));
    EXPECT_TRUE(tally.update(log, {CellsFilter::Kind::marked, 0}));
    EXPECT_FALSE(tally.update(log, {CellsFilter::Kind::marked, 0}));
    show(map_boost_b, 2);
    EXPECT_TRUE(tally.update(log, {CellsFilter::Kind::marked, 0}));
    data.rpm_axis[1] = 30;  // an axis edit moves the cells' borders
    fill_grid_values();
    EXPECT_TRUE(tally.update(log, {CellsFilter::Kind::marked, 0}));
    drive({{10, 0, 100, 255}});  // the same file recorded anew
    EXPECT_TRUE(tally.update(log, {CellsFilter::Kind::marked, 0}));
    EXPECT_EQ(tally.cells().samples, 1);
    EXPECT_EQ(tally.computations(), 5);
}

TEST(OverlayScale, RunsFromLightToDarkWithReadableInk) {
    EXPECT_EQ(overlay_colour(0), (OverlayRgb{255, 255, 204}));
    EXPECT_EQ(overlay_colour(1), (OverlayRgb{128, 0, 38}));
    EXPECT_EQ(overlay_colour(-3), overlay_colour(0));
    EXPECT_EQ(overlay_colour(7), overlay_colour(1));
    EXPECT_EQ(overlay_ink(overlay_colour(0.25)), (OverlayRgb{0, 0, 0}));
    EXPECT_EQ(overlay_ink(overlay_colour(0.9)), (OverlayRgb{255, 255, 255}));
}

}  // namespace
}  // namespace pv
