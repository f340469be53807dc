// pvtool pvd diff on hand-made data files with known differences.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "core/document/datafile.h"
#include "core/document/unit.h"
#include "tool/tool.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class PvdDiff : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("pvd_diff_" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        pv::settings.lang_id = pv::kLangEnglish;
        pv::SetDefaultData();
        base_ = pv::data;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A data file holding `d` exactly, save stamp included.
    std::string file(const std::string& name, const pv::ControllerData& d) {
        std::string p = (dir_ / name).string();
        auto bytes = pv::encode_data_file(d, d.status_word);
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    int diff(std::vector<std::string> args) {
        args.insert(args.begin(), {"--lang", "1033", "pvd", "diff"});
        std::ostringstream o, e;
        int status = pvtool::run(args, {o, e});
        out = o.str();
        err = e.str();
        return status;
    }
    bool has_line(const std::string& line) const {
        return ("\n" + out).find("\n" + line + "\n") != std::string::npos;
    }

    pv::ControllerData base_;
    std::string out, err;
    fs::path dir_;
};

TEST_F(PvdDiff, ShowsEveryKindOfValueAsTheProgramDoes) {
    pv::ControllerData b = base_;
    b.setboost_a = 180;     // pressure
    b.ext_bypass = 1;       // list entry
    b.rev_sampling = 1;     // radio pair
    b.warning_boost = 251;  // OFF
    b.barselect = 2;        // the bar maximum follows the bar selection
    b.barmaxset = 12;
    b.sampling_time = 0;  // the list counts from 1
    b.closeth = 480;
    b.comment = "tuned";
    b.rpm_axis[1] = 30;
    b.speed_axis[4] = 9;
    b.throttle_axis[0] = 5;
    b.boost_map_a[1][2] = 40;
    b.offset_map_a[0][0] = 90;
    b.boost_map_b[4][4] = -20;
    b.offset_map_b[3][1] = 120;
    pv::ControllerData a = base_;
    a.axis_select_no = 4;  // RPM + throttle: the maps show rows and columns
    b.axis_select_no = 4;

    ASSERT_EQ(diff({file("a.PVD", a), file("b.PVD", b)}), 1) << err;
    EXPECT_TRUE(
        has_line("Mode A Boost Setting  " + std::to_string(a.setboost_a) + " [kPa] -> 180 [kPa]"))
        << out;
    EXPECT_TRUE(has_line("Exhaust Bypass Type  SWING -> POPET")) << out;
    EXPECT_TRUE(has_line("Bar Graph Peak Function  OFF -> ON")) << out;
    EXPECT_TRUE(has_line("Boost Warning  250 [kPa] -> OFF")) << out;
    EXPECT_TRUE(has_line("Bar Graph Function  Boost A -> Speed")) << out;
    EXPECT_TRUE(has_line("Sampling Time Setting  4 -> 1")) << out;
    EXPECT_TRUE(
        has_line("Throttle Parameter CLOSE  " + std::to_string(a.closeth) + " [mV] -> 480 [mV]"))
        << out;
    EXPECT_TRUE(has_line("RPM Axis [RPM, 2]  2500 -> 3000")) << out;
    EXPECT_TRUE(
        has_line("Speed Axis [Speed, 5]  " + std::to_string(a.speed_axis[4] * 10) + " -> 90"))
        << out;
    // Rows are named by the throttle axis, columns by the rpm axis of the first file.
    EXPECT_TRUE(has_line("Boost Correction Map A [" + std::to_string(a.throttle_axis[2]) + ", " +
                         std::to_string(a.rpm_axis[1] * 100) + "]  0 -> 40"))
        << out;
    EXPECT_TRUE(has_line("Comment   -> tuned")) << out;

    ASSERT_EQ(diff({file("a.PVD", a), file("b.PVD", b), "--json"}), 1);
    json j = json::parse(out);
    ASSERT_TRUE(j.is_array());
    std::map<std::string, int> cells;
    for (const json& d : j) {
        EXPECT_TRUE(d["counts"].get<bool>()) << d.dump();
        if (d.contains("cell")) ++cells[d["field"]];
    }
    EXPECT_EQ(cells, (std::map<std::string, int>{{"rpm_axis", 1},
                                                 {"speed_axis", 1},
                                                 {"throttle_axis", 1},
                                                 {"boost_map_a", 1},
                                                 {"offset_map_a", 1},
                                                 {"boost_map_b", 1},
                                                 {"offset_map_b", 1}}));
    for (const json& d : j) {
        if (d["field"] == "boost_map_a") {
            EXPECT_EQ(d["cell"], json({1, 2}));
            EXPECT_EQ(d["a"], 0);
            EXPECT_EQ(d["b"], 40);
            EXPECT_EQ(d["b_text"], "40");
        }
        if (d["field"] == "warning_boost") {
            EXPECT_EQ(d["b"], 251);
        }
        if (d["field"] == "comment") {
            EXPECT_EQ(d["b"], "tuned");
        }
    }
}

TEST_F(PvdDiff, EveryPositionIndexesTheDumpOfTheSecondFile) {
    pv::ControllerData a = base_, b = base_;
    b.rpm_axis[2] = 33;
    b.speed_axis[4] = 19;
    b.throttle_axis[1] = 30;
    b.boost_map_a[3][1] = 21;
    b.offset_map_b[0][4] = -7;
    const std::string fb = file("b.PVD", b);
    ASSERT_EQ(diff({file("a.PVD", a), fb, "--json"}), 1) << err;
    const json listed = json::parse(out);

    std::ostringstream o, e;
    ASSERT_EQ(pvtool::run({"--lang", "1033", "pvd", "dump", fb}, {o, e}), 0) << e.str();
    const json dump = json::parse(o.str());

    std::map<std::string, json> cells;
    for (const json& d : listed) {
        if (!d.contains("cell")) continue;
        cells[d["field"]] = d["cell"];
        json at = dump[d["field"].get<std::string>()];
        for (const json& k : d["cell"]) at = at.at(k.get<size_t>());
        EXPECT_EQ(at, d["b"]) << d.dump();
    }
    // An axis is one row of numbers in the dump: its points have one index, map cells two.
    EXPECT_EQ(cells, (std::map<std::string, json>{{"rpm_axis", json::array({2})},
                                                  {"speed_axis", json::array({4})},
                                                  {"throttle_axis", json::array({1})},
                                                  {"boost_map_a", json({3, 1})},
                                                  {"offset_map_b", json({0, 4})}}));
}

TEST_F(PvdDiff, EachSideInItsOwnPressureUnit) {
    pv::ControllerData a = base_, b = base_;
    a.setboost_a = 200;
    b.pressure_unit = 1;
    b.setboost_a = 205;
    b.boost_map_a[0][0] = -15;
    b.drop_boost = 7;
    a.axis_select_no = b.axis_select_no = 2;  // RPM only: the maps show one row
    ASSERT_EQ(diff({file("a.PVD", a), file("b.PVD", b)}), 1) << err;
    EXPECT_TRUE(has_line("Pressure Unit  kPa -> PSI")) << out;
    EXPECT_TRUE(has_line("Mode A Boost Setting  200 [kPa] -> 20.5 [PSI]")) << out;
    EXPECT_TRUE(has_line("Drop Boost  OFF -> 0.7 [PSI]")) << out;
    EXPECT_TRUE(has_line("Boost Correction Map A [Correction value, 1000]  0 -> -1.5")) << out;
}

TEST_F(PvdDiff, CellsTheModeDoesNotShowAreStillCompared) {
    pv::ControllerData a = base_, b = base_;
    a.axis_select_no = b.axis_select_no = 1;  // throttle only: the grid shows map[0][*]
    b.boost_map_b[3][2] = 11;
    ASSERT_EQ(diff({file("a.PVD", a), file("b.PVD", b), "--json"}), 1) << err;
    json j = json::parse(out);
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0]["cell"], json({3, 2}));
    EXPECT_EQ(j[0]["name"], "Boost Correction Map B (3, 2)");
}

TEST_F(PvdDiff, TheSaveStampIsListedButIsNoDifference) {
    pv::ControllerData a = base_, b = base_;
    a.save_stamp = {2026, 1, 2, 3, 4, 5};
    b.save_stamp = {2026, 1, 2, 3, 4, 6};
    ASSERT_EQ(diff({file("a.PVD", a), file("b.PVD", b)}), 0) << err;
    EXPECT_TRUE(has_line("Saved  2026/1/2 3:04:05 -> 2026/1/2 3:04:06  (information only)")) << out;
    ASSERT_EQ(diff({file("a.PVD", a), file("b.PVD", b), "--json"}), 0);
    json j = json::parse(out);
    ASSERT_EQ(j.size(), 1u);
    EXPECT_EQ(j[0]["field"], "save_stamp");
    EXPECT_EQ(j[0]["b"], json({2026, 1, 2, 3, 4, 6}));
    EXPECT_FALSE(j[0]["counts"].get<bool>());

    ASSERT_EQ(diff({file("a.PVD", a), file("a2.PVD", a)}), 0);
    EXPECT_EQ(out, "");
}

TEST_F(PvdDiff, ErrorsAreTwoLikeCmp) {
    std::string a = file("a.PVD", base_);
    EXPECT_EQ(diff({a, (dir_ / "none.PVD").string()}), 2);
    EXPECT_NE(err.find("Cannot open file."), std::string::npos);
    EXPECT_EQ(diff({a}), 2);
    EXPECT_EQ(diff({a, a, a}), 2);
}

}  // namespace
